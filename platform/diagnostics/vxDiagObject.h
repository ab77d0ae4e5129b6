// An in-memory collection of diagnostic records, and the helpers that add image, text
// and graphics records to it.
//
// Operations that can record take a vxDiagObject* (null for none) and flags; they test
// vxDiagObject::shouldRecord(flags, kind) before building anything, so that nothing
// costs more than a bit test when nobody records.
#pragma once

#include "vxDiagRecord.h"

#include <deque>

// Copying the object copies its records; copied records share their images' pixels.
class vxDiagObject {
public:
    // Kinds of records, each a bit of the callers' flags.
    enum Kind : unsigned long { eInput = 0x10000, eResults = 0x20000, eIntermediate = 0x40000 };

    // True when `kind` is not 0 and `flags` holds every bit of it. Static, so that it
    // needs no object: call it as vxDiagObject::shouldRecord, also when diag is null.
    static constexpr bool shouldRecord(unsigned long flags, unsigned long kind) noexcept {
        return kind != 0 && (flags & kind) == kind;
    }

    vxDiagObject() = default;

    // Appends an empty record at the current level and returns it. The reference stays
    // valid for the object's life (adding records does not move earlier ones).
    vxDiagRecord& newDiagRecord();
    long numRecords() const { return static_cast<long>(records_.size()); }
    // Record i, in the order records were added; throws vxDiagDefs::BadIndex outside
    // 0 .. numRecords() - 1.
    vxDiagRecord& diagRecord(long i);
    const vxDiagRecord& diagRecord(long i) const;

    // The nesting level that new records take (0 at first). Callers raise it around
    // records that belong to the one before and lower it afterwards.
    long level() const { return level_; }
    // Throws vxDiagDefs::BadLevel (changing nothing) for a negative level.
    void level(long level);

    // Removes every record; the level is kept.
    void clear() { records_.clear(); }

private:
    std::deque<vxDiagRecord> records_;
    long level_ = 0;
};

// A new record titled `title` holding `image`: a private copy of its window's pixels
// (with its window position and client-from-image transform) when `copy` is true, so
// that later writes to the caller's pixels do not show; the caller's pixels, shared,
// when false. An unbound image gives a record without an image. Returns the record, or
// null (doing nothing) when diag is null.
vxDiagRecord* vf_AddImage(vxDiagObject* diag, const vxPelBuffer_const<unsigned char>& image,
                          const std::wstring& title, bool copy);
// A new record titled `title` holding one text annotation, `text`, named `title`.
// Returns the record, or null (doing nothing) when diag is null.
vxDiagRecord* vf_AddText(vxDiagObject* diag, const std::wstring& text, const std::wstring& title);
// A new record titled `title` holding one graphics annotation, `graphics`, named
// `title` in `coordinateSystem` (see vxDiagRecord::graphics). Returns the record, or
// null (doing nothing) when diag is null. Throws vxDiagDefs::BadArgument (adding no
// record) for a bad coordinate system.
vxDiagRecord* vf_AddGraphics(vxDiagObject* diag, const vxGraphicList& graphics,
                             const std::wstring& title,
                             int coordinateSystem = vxDiagRecord::eClientCoordinates);
