// Registration of the alignment tool's errors with the archive's class registry.
#include "vx_KSDefs.h"

#define VX_KS_REGISTER_ERROR(Class)                                                                \
    vxPersistent* vx_KSDefs::Class::make() {                                                       \
        return new Class;                                                                          \
    }                                                                                              \
    const vx_Instantiator vx_KSDefs::Class::sExemplar(typeid(Class), &Class::make)
VX_KS_REGISTER_ERROR(Errors);
VX_KS_REGISTER_ERROR(BadParams);
VX_KS_REGISTER_ERROR(BadImage);
VX_KS_REGISTER_ERROR(TooFewFeatures);
VX_KS_REGISTER_ERROR(NotTrained);
VX_KS_REGISTER_ERROR(InternalError);
#undef VX_KS_REGISTER_ERROR
