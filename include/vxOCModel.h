// vxOCModel: one character of an alphabet. A key, a training image with an optional
// care mask, the image area that holds the character, a type (normal or blank) and
// two free texts. A model validates itself on every change, so an existing model is
// always consistent:
//   1. a normal character has a bound image;
//   2. a blank character has no bound image (its mask may be bound);
//   3. when image and mask are both bound, their windows are equal;
//   4. the image area lies inside the window of each bound buffer.
// Every failed call throws before anything changes. Models are shared, read-only,
// through vxPtrHandle_const<vxOCModel>.
#pragma once

#include "vxAngle.h"
#include "vxArchive.h"
#include "vxOCDefs.h"
#include "vxPelBuffer.h"
#include "vxRect.h"
#include "vxXform.h"

#include <string>

class vxOCModel : public vxPersistent, public vxRepBase {
public:
    enum CharType { eNormal = 0, eBlank = 1 };

    // A blank with key -1, no image, no mask, the null image area and empty texts.
    vxOCModel() = default;
    // Throws vxOCDefs::BadImage, NotImplemented or BadParams when the fields break an
    // invariant (see model()).
    vxOCModel(long key, const vxPelBuffer_const<unsigned char>& image,
              const vxPelBuffer_const<unsigned char>& mask, const vxPelRect& imageArea,
              CharType charType, const std::wstring& name, const std::wstring& description);
    vxOCModel(long key, const vxPelBuffer_const<unsigned char>& image, const vxPelRect& imageArea,
              CharType charType, const std::wstring& name, const std::wstring& description);
    vxOCModel(const vxOCModel&) = default;
    vxOCModel& operator=(const vxOCModel&) = default;

    long key() const { return key_; }
    const vxPelBuffer_const<unsigned char>& image() const { return image_; }
    const vxPelBuffer_const<unsigned char>& mask() const { return mask_; }
    const vxPelRect& imageArea() const { return imageArea_; }
    CharType charType() const { return charType_; }
    const std::wstring& name() const { return name_; }
    const std::wstring& description() const { return description_; }

    void key(long key);
    void name(const std::wstring& name);
    void description(const std::wstring& description);
    // Replace the image, the mask, or both; validated as model() says.
    void image(const vxPelBuffer_const<unsigned char>& image);
    void mask(const vxPelBuffer_const<unsigned char>& mask);
    // Throws vxOCDefs::BadImage for a normal character without a bound image,
    // NotImplemented for a blank with a bound image, BadParams when the mask's window
    // differs from the image's or the image area does not fit.
    void model(const vxPelBuffer_const<unsigned char>& image,
               const vxPelBuffer_const<unsigned char>& mask);
    // Throws vxOCDefs::BadParams when the area does not fit the bound buffers.
    void imageArea(const vxPelRect& area);

    // The rectangle enclosing the image area, carried from the image into client
    // coordinates, back through second's inverse and out through first * second and
    // third, with translation, rotation and scale uncertainties. Throws
    // vxOCDefs::BadParams for a negative uncertainty.
    vxRect encloseRect(const vxXform<2>& first, const vxXform<2>& second, const vxXform<2>& third,
                       double translationUncertainty, vxRadian rotationUncertainty,
                       double scaleUncertainty) const;

    // Equal fields; images and masks both unbound, or with equal windows, equal
    // client-from-image transforms and equal pixels.
    friend bool operator==(const vxOCModel& a, const vxOCModel& b);
    friend bool operator!=(const vxOCModel& a, const vxOCModel& b) { return !(a == b); }
    // As operator==, with client-from-image transforms equal within tolerance.
    friend bool vfRealEq(const vxOCModel& a, const vxOCModel& b, double tolerance);

    // Archive: version byte (1), the persistent base, key, image, mask, charType,
    // name, description, imageArea. Version 0 (read only) has no description. A loaded
    // model that breaks an invariant throws vxArchive::BadData and changes nothing.
    void dispatchSerialize(vxArchive& ar) override;
    static vxPersistent* make();

private:
    void serialize_(vxArchive& ar, unsigned char version);
    void model_(const vxPelBuffer_const<unsigned char>& image,
                const vxPelBuffer_const<unsigned char>& mask);
    static void checkArea_(const vxPelBuffer_const<unsigned char>& image,
                           const vxPelBuffer_const<unsigned char>& mask, const vxPelRect& area);
    static const vx_Instantiator sExemplar;

    long key_ = -1;
    vxPelBuffer_const<unsigned char> image_;
    vxPelBuffer_const<unsigned char> mask_;
    CharType charType_ = eBlank;
    std::wstring name_;
    std::wstring description_;
    vxPelRect imageArea_;
};

// Archives the character type as an unsigned long (0 or 1).
vxArchive& operator||(vxArchive& ar, vxOCModel::CharType& type);
