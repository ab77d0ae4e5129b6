// Archive registration of the correlation-core errors.
#include "vx_CorrDefs.h"

#define VX_CORR_REGISTER_ERROR(Class)                                                              \
    vxPersistent* vx_CorrDefs::Class::make() {                                                     \
        return new Class;                                                                          \
    }                                                                                              \
    const vx_Instantiator vx_CorrDefs::Class::sExemplar(typeid(Class), &Class::make)
VX_CORR_REGISTER_ERROR(Error);
VX_CORR_REGISTER_ERROR(BadArgument);
#undef VX_CORR_REGISTER_ERROR
