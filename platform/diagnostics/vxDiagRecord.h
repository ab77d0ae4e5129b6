// One diagnostic record: a nesting level, an optional image, a title (the record's
// annotation) and, in the order they were added, named text annotations and named
// graphics annotations.
#pragma once

#include "vxGraphicList.h"
#include "vxPelBuffer.h"

#include <string>
#include <vector>

class vxDiagRecord {
public:
    // Coordinate systems of graphics annotations. Image coordinates are those of the
    // record's image pixels; client coordinates are mapped to image coordinates through
    // the image's image-from-client transform when drawn (and used as they are when the
    // record has no image).
    enum CoordinateSystem { eImageCoordinates = 1, eClientCoordinates = 2 };

    struct TextAnnotation {
        std::wstring name;
        std::wstring text;
        friend bool operator==(const TextAnnotation&, const TextAnnotation&) = default;
    };
    struct GraphicsAnnotation {
        std::wstring name;
        vxGraphicList graphics;
        int coordinateSystem = eClientCoordinates;
        friend bool operator==(const GraphicsAnnotation&, const GraphicsAnnotation&) = default;
    };

    // An empty record at `level` (vxDiagObject makes records at its current level).
    // Throws vxDiagDefs::BadLevel for a negative level.
    explicit vxDiagRecord(long level = 0);

    long level() const { return level_; }

    // Whether the record holds an image (a bound one).
    bool hasImage() const { return image_.isBound(); }
    // The image; unbound when the record has none.
    const vxPelBuffer_const<unsigned char>& image() const { return image_; }
    // Sets the image, sharing its pixels (an unbound buffer removes the image).
    void image(const vxPelBuffer_const<unsigned char>& image) { image_ = image; }

    // The title.
    const std::wstring& annotation() const { return title_; }
    // Sets the title.
    void recordAnnotation(const std::wstring& title) { title_ = title; }

    // Appends a text annotation: the text first, its name second.
    void text(const std::wstring& text, const std::wstring& name);
    // Appends a graphics annotation in coordinate system 1 (image) or 2 (client, the
    // default). Throws vxDiagDefs::BadArgument (adding nothing) for another system.
    void graphics(const vxGraphicList& graphics, const std::wstring& name,
                  int coordinateSystem = eClientCoordinates);

    const std::vector<TextAnnotation>& texts() const { return texts_; }
    const std::vector<GraphicsAnnotation>& graphicsAnnotations() const { return graphics_; }
    long numTexts() const { return static_cast<long>(texts_.size()); }
    long numGraphics() const { return static_cast<long>(graphics_.size()); }
    // Text or graphics annotation i; throws vxDiagDefs::BadIndex when out of range.
    const TextAnnotation& textAnnotation(long i) const;
    const GraphicsAnnotation& graphicsAnnotation(long i) const;

private:
    long level_ = 0;
    vxPelBuffer_const<unsigned char> image_;
    std::wstring title_;
    std::vector<TextAnnotation> texts_;
    std::vector<GraphicsAnnotation> graphics_;
};
