// Archive registration of the test-image errors.
#include "vxTestImageDefs.h"

#define VX_TESTIMAGE_REGISTER_ERROR(Class)                                                         \
    vxPersistent* vxTestImageDefs::Class::make() {                                                 \
        return new Class;                                                                          \
    }                                                                                              \
    const vx_Instantiator vxTestImageDefs::Class::sExemplar(typeid(Class), &Class::make)
VX_TESTIMAGE_REGISTER_ERROR(Errors);
VX_TESTIMAGE_REGISTER_ERROR(BadArgument);
VX_TESTIMAGE_REGISTER_ERROR(UnknownChar);
VX_TESTIMAGE_REGISTER_ERROR(IoError);
VX_TESTIMAGE_REGISTER_ERROR(BadFormat);
#undef VX_TESTIMAGE_REGISTER_ERROR
