#include "vxDiagDefs.h"

#define VX_DIAG_REGISTER_ERROR(Class)                                                              \
    vxPersistent* vxDiagDefs::Class::make() {                                                      \
        return new Class;                                                                          \
    }                                                                                              \
    const vx_Instantiator vxDiagDefs::Class::sExemplar(typeid(Class), &Class::make)
VX_DIAG_REGISTER_ERROR(Errors);
VX_DIAG_REGISTER_ERROR(BadIndex);
VX_DIAG_REGISTER_ERROR(BadLevel);
VX_DIAG_REGISTER_ERROR(BadArgument);
VX_DIAG_REGISTER_ERROR(IoError);
#undef VX_DIAG_REGISTER_ERROR
