// Errors of the alphabet, target description and character data, the polarity of
// characters and its conversion to the C-level character layer.
#pragma once

#include "voc_charPolarity.h"
#include "vx_OCErrorLevels.h"

#include <string>

class vxOCDefs {
public:
    enum Polarity { eDarkOnLight = 1, eLightOnDark = 2, eUnknownPolarity = 4 };

    class Errors;
    class BadParams;      // an argument or parameter out of range or inconsistent
    class BadImage;       // a required image is missing or unbound
    class NotImplemented; // an unsupported combination
    class BadKey;         // a key not in the alphabet or key set
    class SameKey;        // two characters or possible keys with the same key
    class UnrepresentableKey;
    class IntegerOverflow; // a value beyond the C-level integer or fixed-point range
    class BadIndex;        // an index out of range, or a wild-card position
    class NotCompiled;     // the operation needs a compiled alphabet
    class RectNotSpecified;
    class MetricNotSpecified;
    class ThresholdAndInvertNotSpecified;
    class BadFileFormat;
};

// Base of the errors above; its archive level hands on to vxExceptionWithString.
class vxOCDefs::Errors : public vx_OCErrorLevel<vxOCDefs::Errors, vxExceptionWithString> {
public:
    static constexpr const char* className_ = "vxOCDefs::Errors";
    Errors(const Errors&) = default;
    Errors& operator=(const Errors&) = default;

protected:
    explicit Errors(const std::wstring& message) : vx_OCErrorLevel(message) {}
};

#define VX_OC_DEFS_ERROR(Name, Number)                                                             \
    VX_OC_DECLARE_ERROR(vxOCDefs, Name, Errors, Number, const std::wstring&, std::wstring())
VX_OC_DEFS_ERROR(BadParams, 0x10005e00);
VX_OC_DEFS_ERROR(BadImage, 0x10005e01);
VX_OC_DEFS_ERROR(NotImplemented, 0x10005e02);
VX_OC_DEFS_ERROR(SameKey, 0x10005e03);
VX_OC_DEFS_ERROR(BadKey, 0x10005e04);
VX_OC_DEFS_ERROR(BadIndex, 0x10005e05);
VX_OC_DEFS_ERROR(NotCompiled, 0x10005e06);
VX_OC_DEFS_ERROR(RectNotSpecified, 0x10005e09);
VX_OC_DEFS_ERROR(MetricNotSpecified, 0x10005e0a);
VX_OC_DEFS_ERROR(ThresholdAndInvertNotSpecified, 0x10005e0b);
VX_OC_DEFS_ERROR(IntegerOverflow, 0x10005e0d);
VX_OC_DEFS_ERROR(UnrepresentableKey, 0x10005e0e);
VX_OC_DEFS_ERROR(BadFileFormat, 0x10005e0f);
#undef VX_OC_DEFS_ERROR

// Converts between the module's polarity and the C layer's; any value other than
// 1, 2 or 4 throws vxOCDefs::BadParams "Illegal polarity" and leaves `out` untouched.
void vfConvertPolarity(vxOCDefs::Polarity in, voc_charPolarity& out);
void vfConvertPolarity(voc_charPolarity in, vxOCDefs::Polarity& out);

// Turns failure statuses of the C-level character layer (family 159) into the
// errors above; registered when the module loads. Returns for statuses it does not know.
void vf_OCStatusConverter(long status);
