#include "vxOCCharMetrics.h"

#include "vxAffineRectangle.h"
#include "voc_rect.h"

#include <cmath>

namespace {

constexpr uint32_t kAllRectBits = 63;
constexpr uint32_t kMarkBits = vxOCCharMetrics::eMarkRect | vxOCCharMetrics::eMarkRectImage |
                               vxOCCharMetrics::eDetectedMarkRect |
                               vxOCCharMetrics::eDetectedMarkRectImage;
constexpr unsigned char kCurrentVersion = 1;
const wchar_t* const kIntegerOverflow = L"Value overflows integer value range";

bool fitsInt32(double v) { return v >= -2147483648.0 && v <= 2147483647.0; }

// The corners must lie in the 32-bit range before they become pel coordinates.
void checkCornersFit(const vxRect& r) {
    if (!fitsInt32(r.ul().x()) || !fitsInt32(r.ul().y()) || !fitsInt32(r.lr().x()) ||
        !fitsInt32(r.lr().y()))
        throw vxOCDefs::IntegerOverflow(kIntegerOverflow);
}

vxPelRect enclosePel(const vxRect& r) {
    checkCornersFit(r);
    try {
        return r.enclosePelRect();
    } catch (const vxGeomDefs::Overflow&) { // a corner just below 2^31 rounds up past it
        throw vxOCDefs::IntegerOverflow(kIntegerOverflow);
    }
}

// The bounding box of a client rectangle mapped into the image.
vxRect mapIntoImage(const vxRect& client, const vxXform<2>& imageFromClient) {
    const vxRect box = vxAffineRectangle(client).map(imageFromClient).encloseRect();
    checkCornersFit(box);
    return box;
}

vxXform<2> linearImageFromClient(const vx_PelBuffer& image) {
    if (!image.clientFromImage()->isLinear())
        throw vxOCDefs::BadParams(L"image must have a linear imageFromClient transform");
    return image.imageFromClientXform();
}

voc_rect32Fixed toRecord(const vxPelRect& r) {
    return {static_cast<int32_t>(r.x()), static_cast<int32_t>(r.y()),
            static_cast<int32_t>(r.width()), static_cast<int32_t>(r.height())};
}
vxPelRect fromRecord(const voc_rect32Fixed& r) { return vxPelRect(r.x, r.y, r.width, r.height); }
voc_rectD toRecord(const vxRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
vxRect fromRecord(const voc_rectD& r) { return vxRect(r.x, r.y, r.width, r.height); }

} // namespace

vxOCCharMetrics::vxOCCharMetrics() { reset(); }

void vxOCCharMetrics::reset() {
    specified_ = 0;
    advanceSpecified_ = false;
    cellImage_ = markImage_ = detectedMarkImage_ = vxPelRect();
    fractionalBits_ = 16;
    cell_ = mark_ = detectedMark_ = vxRect();
    advance_ = vxVector<2>(0.0, 0.0);
}

void vxOCCharMetrics::checkType_(RectType type) {
    switch (type) {
    case eCellRect:
    case eCellRectImage:
    case eMarkRect:
    case eMarkRectImage:
    case eDetectedMarkRect:
    case eDetectedMarkRectImage:
        return;
    }
    throw vxOCDefs::BadParams(L"Illegal metrics rect type");
}

bool vxOCCharMetrics::isImageType_(RectType type) {
    return type == eCellRectImage || type == eMarkRectImage || type == eDetectedMarkRectImage;
}

const vxPelRect& vxOCCharMetrics::imageRect_(RectType type) const {
    return type == eCellRectImage ? cellImage_ : type == eMarkRectImage ? markImage_
                                                                        : detectedMarkImage_;
}
vxPelRect& vxOCCharMetrics::imageRect_(RectType type) {
    return const_cast<vxPelRect&>(static_cast<const vxOCCharMetrics*>(this)->imageRect_(type));
}
const vxRect& vxOCCharMetrics::clientRect_(RectType type) const {
    return type == eCellRect ? cell_ : type == eMarkRect ? mark_ : detectedMark_;
}
vxRect& vxOCCharMetrics::clientRect_(RectType type) {
    return const_cast<vxRect&>(static_cast<const vxOCCharMetrics*>(this)->clientRect_(type));
}

bool vxOCCharMetrics::isRectSpecified(RectType type) const {
    checkType_(type);
    return (specified_ & type) != 0;
}

void vxOCCharMetrics::isRectSpecified(RectType type, bool specified) {
    checkType_(type);
    if (specified) specified_ |= type;
    else specified_ &= ~static_cast<uint32_t>(type);
}

vxRect vxOCCharMetrics::rect(RectType type) const {
    if (!isRectSpecified(type)) throw vxOCDefs::RectNotSpecified();
    if (!isImageType_(type)) return clientRect_(type);
    const voc_rect32Fixed fixed = toRecord(imageRect_(type));
    voc_rectD r{};
    vfThrowExceptionOnFailure(voc_rectDInitFromRect32Fixed_(&r, &fixed, fractionalBits_));
    return fromRecord(r);
}

void vxOCCharMetrics::rect(RectType type, const vxRect& r) {
    checkType_(type);
    if (!isImageType_(type)) {
        clientRect_(type) = r;
        return;
    }
    const voc_rectD value = toRecord(r);
    voc_rect32Fixed fixed{};
    vfThrowExceptionOnFailure(voc_rect32FixedInitFromRectD_(&fixed, &value, fractionalBits_));
    imageRect_(type) = fromRecord(fixed);
}

vxVector<2> vxOCCharMetrics::advance() const {
    if (!advanceSpecified_) throw vxOCDefs::MetricNotSpecified();
    return advance_;
}

vxPelRect vxOCCharMetrics::encloseRect(RectType type) const { return enclosePel(rect(type)); }

vxPelRect vxOCCharMetrics::encloseRectImage(RectType type,
                                            const vxXform<2>& imageFromClient) const {
    if (isImageType_(type)) return encloseRect(type);
    return enclosePel(mapIntoImage(rect(type), imageFromClient));
}

vxPelRect vxOCCharMetrics::encloseRectImage(RectType type, const vx_PelBuffer& image) const {
    return encloseRectImage(type, linearImageFromClient(image));
}

void vxOCCharMetrics::setImageRectsFromClientRects(const vxXform<2>& imageFromClient) {
    constexpr RectType kPairs[][2] = {{eCellRect, eCellRectImage},
                                      {eMarkRect, eMarkRectImage},
                                      {eDetectedMarkRect, eDetectedMarkRectImage}};
    for (const auto& [client, image] : kPairs) {
        const bool specified = isRectSpecified(client);
        if (specified) rect(image, mapIntoImage(clientRect_(client), imageFromClient));
        isRectSpecified(image, specified);
    }
}

void vxOCCharMetrics::setImageRectsFromClientRects(const vx_PelBuffer& image) {
    setImageRectsFromClientRects(linearImageFromClient(image));
}

bool vxOCCharMetrics::isBlank() const {
    const bool byClient = (specified_ & eMarkRect) != 0;
    const bool byImage = (specified_ & eMarkRectImage) != 0;
    const bool blankByClient = byClient && mark_.degen();
    const bool blankByImage = byImage && (markImage_.width() <= 0 || markImage_.height() <= 0);
    if (byClient && byImage && blankByClient != blankByImage)
        throw vxOCDefs::MetricNotSpecified();
    return byClient ? blankByClient : blankByImage;
}

void vxOCCharMetrics::makeBlank() {
    mark_ = detectedMark_ = vxRect();
    markImage_ = detectedMarkImage_ = vxPelRect();
    specified_ |= kMarkBits;
}

vxOCCharMetrics vxOCCharMetrics::blankMetrics() {
    vxOCCharMetrics m;
    m.makeBlank();
    return m;
}

void vxOCCharMetrics::setMetrics(const voc_charMetrics& m) {
    specified_ = m.specified & kAllRectBits;
    advanceSpecified_ = m.advanceSpecified != 0;
    cellImage_ = fromRecord(m.cellImageRect);
    markImage_ = fromRecord(m.markImageRect);
    detectedMarkImage_ = fromRecord(m.detectedMarkImageRect);
    fractionalBits_ = m.fractionalBits;
    cell_ = fromRecord(m.cellRect);
    mark_ = fromRecord(m.markRect);
    detectedMark_ = fromRecord(m.detectedMarkRect);
    advance_ = vxVector<2>(m.advanceX, m.advanceY);
}

void vxOCCharMetrics::getMetrics(voc_charMetrics& m) const {
    m.specified = specified_;
    m.advanceSpecified = advanceSpecified_ ? 1 : 0;
    m.cellImageRect = toRecord(cellImage_);
    m.markImageRect = toRecord(markImage_);
    m.detectedMarkImageRect = toRecord(detectedMarkImage_);
    m.fractionalBits = fractionalBits_;
    m.padding = 0;
    m.cellRect = toRecord(cell_);
    m.markRect = toRecord(mark_);
    m.detectedMarkRect = toRecord(detectedMark_);
    m.advanceX = advance_.x();
    m.advanceY = advance_.y();
}

bool operator==(const vxOCCharMetrics& a, const vxOCCharMetrics& b) {
    return a.specified_ == b.specified_ && a.advanceSpecified_ == b.advanceSpecified_ &&
           a.cellImage_ == b.cellImage_ && a.markImage_ == b.markImage_ &&
           a.detectedMarkImage_ == b.detectedMarkImage_ && a.fractionalBits_ == b.fractionalBits_ &&
           a.cell_ == b.cell_ && a.mark_ == b.mark_ && a.detectedMark_ == b.detectedMark_ &&
           a.advance_ == b.advance_;
}

vxArchive& operator||(vxArchive& ar, vxOCCharMetrics& m) {
    const unsigned char version =
        ar.transferVersion(kCurrentVersion, kCurrentVersion, "vxOCCharMetrics");
    if (version != kCurrentVersion) throw vxArchive::UnknownVersion("vxOCCharMetrics", version);
    vxOCCharMetrics t = ar.isStoring() ? m : vxOCCharMetrics();
    ar || t.specified_ || t.advanceSpecified_;
    vf_PersistenceHelper<vxPelRect>::serialize(ar, t.cellImage_);
    vf_PersistenceHelper<vxPelRect>::serialize(ar, t.markImage_);
    vf_PersistenceHelper<vxPelRect>::serialize(ar, t.detectedMarkImage_);
    ar || t.fractionalBits_ || t.cell_ || t.mark_ || t.detectedMark_ || t.advance_;
    if (ar.isLoading()) {
        if (t.specified_ & ~kAllRectBits)
            throw vxArchive::BadData(L"Archive holds unknown metrics rectangle flags");
        m = t;
    }
    return ar;
}
