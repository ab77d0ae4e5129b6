// vxOCCharMetrics: the typographic measurements of one character of a font. Six
// rectangles (cell, mark and detected mark, each in client coordinates and in image
// coordinates) and the advance to the next character's origin, each with its own
// specified flag. Values and flags are set independently: a value setter leaves the
// flag alone and a flag setter the value, and the getters refuse a value whose flag is
// clear. The image rectangles are held as 32-bit fixed-point numbers with
// fractionalBits() fractional bits (16 unless a C record said otherwise).
#pragma once

#include "vxArchive.h"
#include "vxOCDefs.h"
#include "vxPelBuffer.h"
#include "vxRect.h"
#include "vxVector.h"
#include "vxXform.h"
#include "voc_charMetrics.h"

#include <cstdint>

class vxOCCharMetrics {
public:
    // The six rectangles; the values are also their bits in the specified flags.
    enum RectType {
        eCellRect = 1,
        eCellRectImage = 2,
        eMarkRect = 4,
        eMarkRectImage = 8,
        eDetectedMarkRect = 16,
        eDetectedMarkRectImage = 32
    };

    // Nothing specified, fractional bits 16, every value zero.
    vxOCCharMetrics();
    void reset();

    // Read or set the type's specified flag. A type other than the six throws
    // vxOCDefs::BadParams "Illegal metrics rect type".
    bool isRectSpecified(RectType type) const;
    void isRectSpecified(RectType type, bool specified);

    // The rectangle; an image type converted from fixed point. Throws BadParams for an
    // illegal type and vxOCDefs::RectNotSpecified when its flag is clear.
    vxRect rect(RectType type) const;
    // Stores the rectangle (an image type in fixed point) without touching its flag.
    // Throws BadParams for an illegal type and vxOCDefs::IntegerOverflow when an image
    // value does not fit fixed point; nothing changes then.
    void rect(RectType type, const vxRect& r);
    void rect(RectType type, const vxPelRect& r) { rect(type, vxRect(r)); }

    vxRect cellRect() const { return rect(eCellRect); }
    void cellRect(const vxRect& r) { rect(eCellRect, r); }
    vxRect markRect() const { return rect(eMarkRect); }
    void markRect(const vxRect& r) { rect(eMarkRect, r); }
    vxRect detectedMarkRect() const { return rect(eDetectedMarkRect); }
    void detectedMarkRect(const vxRect& r) { rect(eDetectedMarkRect, r); }
    bool isMarkRectSpecified() const { return isRectSpecified(eMarkRect); }
    void isMarkRectSpecified(bool specified) { isRectSpecified(eMarkRect, specified); }
    bool hasDetectedMarkRect() const { return isRectSpecified(eDetectedMarkRect); }
    void hasDetectedMarkRect(bool specified) { isRectSpecified(eDetectedMarkRect, specified); }

    bool isAdvanceSpecified() const { return advanceSpecified_; }
    void isAdvanceSpecified(bool specified) { advanceSpecified_ = specified; }
    // Throws vxOCDefs::MetricNotSpecified when the advance is not specified.
    vxVector<2> advance() const;
    void advance(const vxVector<2>& a) { advance_ = a; }

    long fractionalBits() const { return fractionalBits_; }

    // The smallest pel rectangle holding rect(type). Throws vxOCDefs::IntegerOverflow
    // "Value overflows integer value range" when a corner lies outside the 32-bit range.
    vxPelRect encloseRect(RectType type) const;
    // The pel rectangle of the type in the image: an image type as encloseRect, a
    // client type mapped through imageFromClient and enclosed (same overflow check).
    vxPelRect encloseRectImage(RectType type, const vxXform<2>& imageFromClient) const;
    // The same with the image's transform; BadParams "image must have a linear
    // imageFromClient transform" when it is not linear.
    vxPelRect encloseRectImage(RectType type, const vx_PelBuffer& image) const;

    // For cell, mark and detected mark in turn: a specified client rectangle is mapped
    // into the image and stored as the image rectangle, and the image flag is set to
    // the client flag (an unspecified client rectangle clears it and leaves the value).
    // A failure leaves the pairs before it updated.
    void setImageRectsFromClientRects(const vxXform<2>& imageFromClient);
    void setImageRectsFromClientRects(const vx_PelBuffer& image);

    // Blank when the specified mark rectangles (client, image or both) are empty;
    // false when neither is specified. Throws vxOCDefs::MetricNotSpecified when both
    // are specified and disagree.
    bool isBlank() const;
    // Specifies the four mark rectangles as empty; cell and advance stay.
    void makeBlank();
    static vxOCCharMetrics blankMetrics();

    // Copy from or to the C-level record: flags (the six bits), advance flag,
    // fractional bits and all values, fixed point unscaled.
    void setMetrics(const voc_charMetrics& m);
    void getMetrics(voc_charMetrics& m) const;

    friend bool operator==(const vxOCCharMetrics& a, const vxOCCharMetrics& b);
    friend bool operator!=(const vxOCCharMetrics& a, const vxOCCharMetrics& b) {
        return !(a == b);
    }

private:
    friend vxArchive& operator||(vxArchive& ar, vxOCCharMetrics& m);
    static void checkType_(RectType type);
    static bool isImageType_(RectType type);
    vxPelRect& imageRect_(RectType type);
    const vxPelRect& imageRect_(RectType type) const;
    vxRect& clientRect_(RectType type);
    const vxRect& clientRect_(RectType type) const;

    uint32_t specified_ = 0;
    bool advanceSpecified_ = false;
    vxPelRect cellImage_;
    vxPelRect markImage_;
    vxPelRect detectedMarkImage_;
    int32_t fractionalBits_ = 16;
    vxRect cell_;
    vxRect mark_;
    vxRect detectedMark_;
    vxVector<2> advance_;
};

// Archive: version byte (1), flags (unsigned 32-bit), advance flag, the three image
// rectangles (x, y, width, height as long), fractional bits (signed 32-bit), the
// three client rectangles as persistent vxRect objects, the advance. Any other version
// throws vxArchive::UnknownVersion; flags with bits beyond the six vxArchive::BadData.
// A failed load leaves the metrics unchanged.
vxArchive& operator||(vxArchive& ar, vxOCCharMetrics& m);
