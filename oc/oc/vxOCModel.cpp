// The character model: validation, comparison, enclosing rectangle and archive.
#include "vxOCModel.h"

#include "vfEncloseRect.h"
#include "vxPelOps.h"
#include "vxShapes.h"

const vx_Instantiator vxOCModel::sExemplar(typeid(vxOCModel), &vxOCModel::make);

vxPersistent* vxOCModel::make() {
    return new vxOCModel;
}

vxOCModel::vxOCModel(long key, const vxPelBuffer_const<unsigned char>& image,
                     const vxPelBuffer_const<unsigned char>& mask, const vxPelRect& imageArea,
                     CharType charType, const std::wstring& name, const std::wstring& description)
    : key_(key), charType_(charType), name_(name), description_(description),
      imageArea_(imageArea) {
    model_(image, mask);
}

vxOCModel::vxOCModel(long key, const vxPelBuffer_const<unsigned char>& image,
                     const vxPelRect& imageArea, CharType charType, const std::wstring& name,
                     const std::wstring& description)
    : vxOCModel(key, image, vxPelBuffer_const<unsigned char>(), imageArea, charType, name,
                description) {}

void vxOCModel::key(long key) {
    key_ = key;
    mutating();
}

void vxOCModel::name(const std::wstring& name) {
    name_ = name;
    mutating();
}

void vxOCModel::description(const std::wstring& description) {
    description_ = description;
    mutating();
}

void vxOCModel::image(const vxPelBuffer_const<unsigned char>& image) {
    mutating();
    model_(image, mask_);
}

void vxOCModel::mask(const vxPelBuffer_const<unsigned char>& mask) {
    mutating();
    model_(image_, mask);
}

void vxOCModel::model(const vxPelBuffer_const<unsigned char>& image,
                      const vxPelBuffer_const<unsigned char>& mask) {
    mutating();
    model_(image, mask);
}

void vxOCModel::imageArea(const vxPelRect& area) {
    mutating();
    checkArea_(image_, mask_, area);
    imageArea_ = area;
}

void vxOCModel::model_(const vxPelBuffer_const<unsigned char>& image,
                       const vxPelBuffer_const<unsigned char>& mask) {
    if (charType_ == eNormal && !image.isBound())
        throw vxOCDefs::BadImage(L"Image models must be bound for normal characters.");
    if (charType_ == eBlank && image.isBound())
        throw vxOCDefs::NotImplemented(L"Bound images are not supported for blank characters");
    if (mask.isBound() && image.isBound() && mask.window() != image.window())
        throw vxOCDefs::BadParams(
            L"Character mask window must be equal to the image character model window.");
    checkArea_(image, mask, imageArea_);
    image_ = image;
    mask_ = mask;
}

void vxOCModel::checkArea_(const vxPelBuffer_const<unsigned char>& image,
                           const vxPelBuffer_const<unsigned char>& mask, const vxPelRect& area) {
    // Windowing a working copy is the foundation's test of "inside the root"; the
    // area must also lie inside the buffer's own window, which may be narrower.
    try {
        for (const vxPelBuffer_const<unsigned char>* buffer : {&image, &mask}) {
            if (!buffer->isBound()) continue;
            vxPelBuffer_const<unsigned char> probe(*buffer);
            probe.window(area, false);
            if (!buffer->window().contains(area))
                throw vxPel::BadWindow(L"Area outside the window");
        }
    } catch (const vxException&) {
        throw vxOCDefs::BadParams(L"The image area must fit within the mask and image windows.");
    }
}

vxRect vxOCModel::encloseRect(const vxXform<2>& first, const vxXform<2>& second,
                              const vxXform<2>& third, double translationUncertainty,
                              vxRadian rotationUncertainty, double scaleUncertainty) const {
    if (translationUncertainty < 0)
        throw vxOCDefs::BadParams(L"Translation uncertainty must be >= 0");
    if (rotationUncertainty.plain() < 0)
        throw vxOCDefs::BadParams(L"Rotation uncertainty must be >= 0");
    if (scaleUncertainty < 0) throw vxOCDefs::BadParams(L"Scale uncertainty must be >= 0");

    // In double: a blank's area is bound by no window, so x + width may overflow long.
    const double x0 = double(imageArea_.x()), y0 = double(imageArea_.y());
    const double x1 = x0 + double(imageArea_.width()), y1 = y0 + double(imageArea_.height());
    vxPolygon corners(
        {vxVector<2>(x0, y0), vxVector<2>(x1, y0), vxVector<2>(x1, y1), vxVector<2>(x0, y1)}, 0);
    const vxPolygon mapped = corners.map(second.inverse() * image_.clientFromImageXform());
    const double viewAngleUncertainty = 0.0;
    return vfEncloseRect(mapped, first * second, third, translationUncertainty,
                         translationUncertainty, rotationUncertainty,
                         scaleUncertainty + std::sin(viewAngleUncertainty), 0.0, 0.0, 0.0, 1);
}

namespace {

// Both unbound, or both bound with equal windows, transforms and pixels.
template <class SameXform>
bool sameBuffer(const vxPelBuffer_const<unsigned char>& a,
                const vxPelBuffer_const<unsigned char>& b, SameXform sameXform) {
    if (a.isBound() != b.isBound()) return false;
    if (!a.isBound()) return true;
    return a.window() == b.window() && sameXform(*a.clientFromImage(), *b.clientFromImage()) &&
           vfPelEqual(a, b);
}

template <class SameXform>
bool sameModel(const vxOCModel& a, const vxOCModel& b, SameXform sameXform) {
    return a.key() == b.key() && a.charType() == b.charType() && a.name() == b.name() &&
           a.description() == b.description() && a.imageArea() == b.imageArea() &&
           sameBuffer(a.image(), b.image(), sameXform) && sameBuffer(a.mask(), b.mask(), sameXform);
}

} // namespace

bool operator==(const vxOCModel& a, const vxOCModel& b) {
    return sameModel(a, b, [](const vx2XformBase& x, const vx2XformBase& y) { return x == y; });
}

bool vfRealEq(const vxOCModel& a, const vxOCModel& b, double tolerance) {
    return sameModel(a, b, [tolerance](const vx2XformBase& x, const vx2XformBase& y) {
        return vfRealEq(x, y, tolerance);
    });
}

vxArchive& operator||(vxArchive& ar, vxOCModel::CharType& type) {
    vf_SerializeEnum(ar, type, vxOCModel::eNormal, vxOCModel::eBlank);
    return ar;
}

void vxOCModel::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vxOCModel))) return;
    unsigned char version = 1;
    ar || version;
    serialize_(ar, version);
    setVisited(ar, typeid(vxOCModel));
}

void vxOCModel::serialize_(vxArchive& ar, unsigned char version) {
    if (version > 1) throw vxArchive::UnknownVersion("vxOCModel", version);
    vxPersistent::dispatchSerialize(ar);
    // Loading fills a working copy first, so a failed load leaves the model as it was.
    vxOCModel loaded(*this);
    vxOCModel& target = ar.isLoading() ? loaded : *this;
    ar || target.key_ || target.image_ || target.mask_ || target.charType_ || target.name_;
    if (version >= 1)
        ar || target.description_;
    else if (ar.isLoading())
        target.description_.clear();
    vf_PersistenceHelper<vxPelRect>::serialize(ar, target.imageArea_);
    if (!ar.isLoading()) return;
    // The stream is not trusted: what the constructor would refuse is corrupt.
    try {
        loaded.model_(loaded.image_, loaded.mask_);
    } catch (const vxOCDefs::Errors& e) {
        throw vxArchive::BadData(L"Archive holds an inconsistent character model: " + e.message());
    }
    *this = loaded;
}
