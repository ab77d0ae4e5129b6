// Archive registration of the search errors.
#include "vxNrcSearchDefs.h"

#define VX_NRC_REGISTER_ERROR(Class)                                                               \
    vxPersistent* vxNrcSearchDefs::Class::make() {                                                 \
        return new Class;                                                                          \
    }                                                                                              \
    const vx_Instantiator vxNrcSearchDefs::Class::sExemplar(typeid(Class), &Class::make)
VX_NRC_REGISTER_ERROR(Error);
VX_NRC_REGISTER_ERROR(BadParams);
VX_NRC_REGISTER_ERROR(BadTrainImage);
VX_NRC_REGISTER_ERROR(NotTrained);
#undef VX_NRC_REGISTER_ERROR
