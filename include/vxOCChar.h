// vxOCChar: one character of a font. Its key, polarity, image with an optional care
// mask, a normalized image with the threshold and invert that binarize it (and the
// binarized image, made on demand and cached), the image area that bounds it, its
// metrics, and a name and description held both as wide strings and as strings of
// 32-bit code points.
//
// Images are stored as private copies ("root copies": the window, or the window with a
// margin of context around it) and handed out as shared views. Every setter checks
// before it changes anything. Changing the image, mask, normalized image, image area or
// polarity forgets the detected mark rectangle; changing the normalized image or the
// threshold and invert drops the binarized image. Not safe for concurrent use, not even
// for reading: binarizedImage() fills the cache.
#pragma once

#include "vxArchive.h"
#include "vxOCCharKey.h"
#include "vxOCCharMetrics.h"
#include "vxOCDefs.h"
#include "vxPelBuffer.h"
#include "voc_char.h"

#include <cstdint>
#include <string>
#include <vector>

class vxOCChar {
public:
    using Image = vxPelBuffer_const<unsigned char>;

    // Unknown key, unknown polarity, no images, no threshold and invert (threshold 128,
    // no invert), the null image area, blank metrics, empty texts.
    vxOCChar();
    void reset();

    const vxOCCharKey& key() const { return key_; }
    void key(const vxOCCharKey& key) { key_ = key; }
    unsigned long characterCode() const { return key_.characterCode(); }
    void characterCode(unsigned long code) { key_.characterCode(code); }

    vxOCDefs::Polarity polarity() const { return polarity_; }
    // Throws vxOCDefs::BadParams "Unknown polarity" for a value other than 1, 2 or 4.
    void polarity(vxOCDefs::Polarity polarity);

    // Setting one form of a text sets the other: a wide text widens unit by unit; a
    // 32-bit text narrows to wide characters, or to an empty wide text when a code point
    // has no wide form. name() and description() then throw
    // vxCharCodeDefs::NotRepresentable.
    const std::u32string& name32() const { return name32_; }
    void name32(const std::u32string& name);
    const std::wstring& name() const;
    void name(const std::wstring& name);
    const std::u32string& description32() const { return description32_; }
    void description32(const std::u32string& description);
    const std::wstring& description() const;
    void description(const std::wstring& description);

    // Store a private copy of img: its window, or with a non-null rootCopyRect that
    // rectangle clipped to img's root, windowed back to img's window. Throws
    // vxOCDefs::BadParams "Root copy rect does not contain image window" when a non-null
    // rootCopyRect does not hold the window. An unbound img is stored as it is.
    void image(const Image& img, const vxPelRect& rootCopyRect = vxPelRect());
    void mask(const Image& img, const vxPelRect& rootCopyRect = vxPelRect());
    void normalizedImage(const Image& img, const vxPelRect& rootCopyRect = vxPelRect());
    // The same through the C-level layer, also setting the threshold and invert (the
    // threshold must be 0 to 256, else BadParams "Threshold must be between 0 and 256
    // inclusive"; other C-level failures surface as their converted errors).
    void normalizedImage(const Image& img, bool hasThresholdAndInvert, long threshold, bool invert,
                         const vxPelRect& rootCopyRect);

    // The stored image; with inImageArea and a bound image, a view of the image area.
    // Throws BadParams "imageArea cannot be null" or "image does not contain imageArea".
    Image image(bool inImageArea = false) const { return inImageArea_(image_, inImageArea); }
    Image mask(bool inImageArea = false) const { return inImageArea_(mask_, inImageArea); }
    Image normalizedImage(bool inImageArea = false) const {
        return inImageArea_(normalized_, inImageArea);
    }
    // The stored image windowed to the first specified of the mark image, detected mark
    // image, mark and detected mark rectangles (enclosed in pels, clipped to the window).
    // Throws vxOCDefs::RectNotSpecified when none is specified, BadParams when the image's
    // transform is not linear.
    Image imageMarkRect() const { return inMarkRect_(image_); }
    Image maskMarkRect() const { return inMarkRect_(mask_); }
    Image normalizedImageMarkRect() const { return inMarkRect_(normalized_); }

    // Throw vxOCDefs::ThresholdAndInvertNotSpecified while hasThresholdAndInvert() is false.
    bool hasThresholdAndInvert() const { return hasThresholdAndInvert_; }
    void hasThresholdAndInvert(bool has);
    long threshold() const;
    // Pixels at or above the threshold binarize high. Throws BadParams "Threshold must be
    // >= 0." below 0 and vxOCDefs::IntegerOverflow above the 32-bit range; values above
    // 256 are kept but cannot binarize. Does not set hasThresholdAndInvert().
    void threshold(long threshold);
    bool invert() const;
    void invert(bool invert);

    // The normalized image binarized (high 255, low 0; swapped by invert), made once and
    // kept until the normalized image, threshold or invert change. Unbound while the
    // normalized image is. Throws ThresholdAndInvertNotSpecified, BadParams
    // "threshold() > 256)", and the image-area errors of image(true).
    Image binarizedImage(bool inImageArea = false) const;
    // The binarized image windowed to the bounding box of its high pixels, through the
    // C-level layer (its root is the binarized window). Throws
    // ThresholdAndInvertNotSpecified, and RectNotSpecified when no pixel is high.
    Image binarizedImageMarkRect() const;

    const vxPelRect& imageArea() const { return imageArea_; }
    void imageArea(const vxPelRect& area);
    // The image area for blank metrics, else the window of imageMarkRect() (the image
    // area when no mark rectangle is specified).
    vxPelRect markOrImageArea() const;
    // Moves the client origin to the old client point d: image and mask transforms and
    // the specified, non-degenerate client rectangles of the metrics follow.
    void moveOrigin(const vxVector<2>& d);

    const vxOCCharMetrics& metrics() const { return metrics_; }
    void metrics(const vxOCCharMetrics& metrics) { metrics_ = metrics; }

    // key with an instance no key of the same character code in `keys` uses: key itself
    // when its instance is specified and free, else the smallest free non-negative one.
    // Throws BadParams "All key values in use" when no instance is left.
    static vxOCCharKey makeUniqueInstanceKey(const vxOCCharKey& key,
                                             const std::vector<vxOCCharKey>& keys);
    static vxOCCharKey makeUniqueInstanceKey(const vxOCCharKey& key,
                                             const std::vector<vxOCChar>& chars);
    // Gives each key an instance unique among the keys before it (an unspecified first
    // instance becomes 0). Returns whether a key other than that first one changed.
    static bool makeUniqueInstanceKeys(std::vector<vxOCCharKey>& keys);

    // Replace this character by the C record's content (all or nothing). With
    // copyImages the images get pixels of their own, else they share the record's.
    // Throws BadParams "Illegal polarity" for a polarity other than 1, 2 or 4.
    void setCharacter(const voc_char& record, bool copyImages);
    // Fill a constructed record (releasing what it held in the fields written); the
    // record owns the copies of the strings and its image references. On failure the
    // record is unchanged. Throws vxPel::NonLinearXform for a non-linear image transform.
    void getCharacter(voc_char& record, bool copyImages) const;

    // Every field equal; images equal when both unbound or of equal size and pixels.
    friend bool operator==(const vxOCChar& a, const vxOCChar& b);
    friend bool operator!=(const vxOCChar& a, const vxOCChar& b) { return !(a == b); }
    // Archive: version byte (1), key, polarity (unsigned 32-bit), image, mask, normalized
    // image, cache flag, binarized image, threshold-and-invert flag, threshold (signed
    // 32-bit), invert, image area, metrics, name32, description32, name, description.
    // Another version throws vxArchive::UnknownVersion; an illegal polarity or a negative
    // threshold vxArchive::BadData. A failed load leaves the character unchanged.
    friend vxArchive& operator||(vxArchive& ar, vxOCChar& c);

private:
    Image inImageArea_(const Image& img, bool inImageArea) const;
    Image inMarkRect_(const Image& img) const;
    void undetectMarkRect_();
    void cacheBinarizedImage_() const;
    void uncacheBinarizedImage_();
    void checkHasThresholdAndInvert_() const;
    void checkHasBinarizedImage_() const;

    vxOCCharKey key_;
    vxOCDefs::Polarity polarity_ = vxOCDefs::eUnknownPolarity;
    Image image_;
    Image mask_;
    Image normalized_;
    mutable bool binarizedCached_ = false;
    mutable Image binarized_;
    bool hasThresholdAndInvert_ = false;
    int32_t threshold_ = 128;
    bool invert_ = false;
    vxPelRect imageArea_;
    vxOCCharMetrics metrics_ = vxOCCharMetrics::blankMetrics();
    std::u32string name32_;
    std::u32string description32_;
    std::wstring name_;
    std::wstring description_;
};
