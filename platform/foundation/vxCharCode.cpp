// Character code conversions and the white-space table.
#include "vxCharCode.h"

vxPersistent* vxCharCodeDefs::NotRepresentable::make() {
    return new NotRepresentable;
}
const vx_Instantiator vxCharCodeDefs::NotRepresentable::sExemplar(typeid(NotRepresentable),
                                                                  &NotRepresentable::make);

char vxCharCode::getAsChar() const {
    if (!isRepresentableAsChar())
        throw vxCharCodeDefs::NotRepresentable(L"Character code is not representable as char");
    return static_cast<char>(code_);
}

wchar_t vxCharCode::getAsWChar() const {
    if (!isRepresentableAsWChar())
        throw vxCharCodeDefs::NotRepresentable(L"Character code is not representable as wchar_t");
    return static_cast<wchar_t>(code_);
}

bool vxCharCode::isSpace() const {
    switch (code_) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return code_ >= 0x2000 && code_ <= 0x200A;
    }
}
