// Registration of the sub-model tool's errors with the archive's class registry.
#include "vx_SubModelDefs.h"

#define VX_SUBMODEL_REGISTER_ERROR(Class)                                                          \
    vxPersistent* vx_SubModelDefs::Class::make() {                                                 \
        return new Class;                                                                          \
    }                                                                                              \
    const vx_Instantiator vx_SubModelDefs::Class::sExemplar(typeid(Class), &Class::make)
VX_SUBMODEL_REGISTER_ERROR(Error);
VX_SUBMODEL_REGISTER_ERROR(BadParams);
VX_SUBMODEL_REGISTER_ERROR(BadImage);
VX_SUBMODEL_REGISTER_ERROR(NotTrained);
VX_SUBMODEL_REGISTER_ERROR(NotImplemented);
#undef VX_SUBMODEL_REGISTER_ERROR
