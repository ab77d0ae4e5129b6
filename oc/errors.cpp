// Factories and load-time registration of the module's error classes, polarity
// conversion and the C-level status converter.
#include "vxOCArrangeDefs.h"
#include "vxOCDefs.h"
#include "vxOCVerify.h"
#include "vx_OCExtractDefs.h"

struct vx_OCErrorRegistry {
    template <class E> static vxPersistent* make() { return new E; }
};

#define VX_OC_REGISTER_ERROR(Class)                                                                \
    vxPersistent* Class::make() {                                                                  \
        return vx_OCErrorRegistry::make<Class>();                                                  \
    }                                                                                              \
    const vx_Instantiator Class::sExemplar(typeid(Class), &Class::make)

VX_OC_REGISTER_ERROR(vxOCDefs::BadParams);
VX_OC_REGISTER_ERROR(vxOCDefs::BadImage);
VX_OC_REGISTER_ERROR(vxOCDefs::NotImplemented);
VX_OC_REGISTER_ERROR(vxOCDefs::BadKey);
VX_OC_REGISTER_ERROR(vxOCDefs::SameKey);
VX_OC_REGISTER_ERROR(vxOCDefs::UnrepresentableKey);
VX_OC_REGISTER_ERROR(vxOCDefs::IntegerOverflow);
VX_OC_REGISTER_ERROR(vxOCDefs::BadIndex);
VX_OC_REGISTER_ERROR(vxOCDefs::NotCompiled);
VX_OC_REGISTER_ERROR(vxOCDefs::RectNotSpecified);
VX_OC_REGISTER_ERROR(vxOCDefs::MetricNotSpecified);
VX_OC_REGISTER_ERROR(vxOCDefs::ThresholdAndInvertNotSpecified);
VX_OC_REGISTER_ERROR(vxOCDefs::BadFileFormat);
VX_OC_REGISTER_ERROR(vxOCArrangeDefs::BadParams);
VX_OC_REGISTER_ERROR(vxOCArrangeDefs::BadMask);
VX_OC_REGISTER_ERROR(vx_OCExtractDefs::vx_OCExtractError);
VX_OC_REGISTER_ERROR(vxOCVerifyDefs::BadParams);
#undef VX_OC_REGISTER_ERROR

namespace {
bool isLegalPolarity(long value) {
    return value == 1 || value == 2 || value == 4;
}
} // namespace

void vfConvertPolarity(vxOCDefs::Polarity in, voc_charPolarity& out) {
    if (!isLegalPolarity(in)) throw vxOCDefs::BadParams(L"Illegal polarity");
    out = static_cast<voc_charPolarity>(in);
}

void vfConvertPolarity(voc_charPolarity in, vxOCDefs::Polarity& out) {
    if (!isLegalPolarity(in)) throw vxOCDefs::BadParams(L"Illegal polarity");
    out = static_cast<vxOCDefs::Polarity>(in);
}

void vf_OCStatusConverter(long status) {
    switch (static_cast<uint32_t>(status)) {
    case 0x800013ecu:
        throw vxOCDefs::BadParams(L"Threshold must be between 0 and 256 inclusive");
    case 0x800013edu:
        throw vxOCDefs::ThresholdAndInvertNotSpecified(L"Threshold and invert not specified");
    case 0x800013efu:
        throw vxOCDefs::RectNotSpecified(L"Rect not specified");
    case 0x800013f0u:
        throw vxOCDefs::IntegerOverflow(L"Value overflows fixed point value range");
    case 0x800013f1u:
        throw vxOCDefs::IntegerOverflow(L"Value overflows integer value range");
    default:
        return; // 0x800013ee and every unknown status: the foundation decides
    }
}

namespace {
// The C-level character layer reports its failures in status family 159.
struct StatusConverterRegistration {
    StatusConverterRegistration() { vfRegisterExceptionConverter(159, &vf_OCStatusConverter); }
} const sStatusConverterRegistration;
} // namespace
