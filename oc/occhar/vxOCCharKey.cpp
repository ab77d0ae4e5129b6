#include "vxOCCharKey.h"

#include "vxCharCode.h"

namespace {

// One field of the order: an unset value sorts after every set one. Returns -1, 0 or
// 1 as a is before, tied with or after b.
template <class T> int compareField(T a, T b, T unset) {
    if (a == b) return 0;
    if (a == unset) return 1;
    if (b == unset) return -1;
    return a < b ? -1 : 1;
}

bool wildMatch(int32_t a, int32_t b) {
    return a == b || a == vxOCCharKey::kUnspecified || b == vxOCCharKey::kUnspecified;
}

constexpr unsigned char kCurrentVersion = 1;

} // namespace

vxOCCharKey::vxOCCharKey(unsigned long characterCode, long instance, long variant, long fontID)
    : code_(static_cast<uint32_t>(characterCode)), instance_(static_cast<int32_t>(instance)),
      variant_(static_cast<int32_t>(variant)), fontID_(static_cast<int32_t>(fontID)) {}

void vxOCCharKey::reset() { *this = vxOCCharKey(); }

bool vxOCCharKey::isMatch(const vxOCCharKey& other) const {
    if (!isCharacterCodeKnown() || !other.isCharacterCodeKnown()) return false;
    return code_ == other.code_ && wildMatch(instance_, other.instance_) &&
           wildMatch(variant_, other.variant_) && wildMatch(fontID_, other.fontID_);
}

bool vxOCCharKey::isRepresentableAsChar() const { return vxCharCode(code_).isRepresentableAsChar(); }
bool vxOCCharKey::isRepresentableAsWChar() const {
    return vxCharCode(code_).isRepresentableAsWChar();
}
bool vxOCCharKey::isRepresentableAsTChar() const {
    return vxCharCode(code_).isRepresentableAsTChar();
}
bool vxOCCharKey::isSpace() const { return vxCharCode(code_).isSpace(); }
vxOCCharKey::operator char() const { return vxCharCode(code_).getAsChar(); }
vxOCCharKey::operator wchar_t() const { return vxCharCode(code_).getAsWChar(); }

void vxOCCharKey::setKey(const voc_charKey& key) {
    code_ = key.characterCode;
    instance_ = key.instance;
    variant_ = key.variant;
    fontID_ = key.fontID;
}

void vxOCCharKey::getKey(voc_charKey& key) const {
    key.characterCode = code_;
    key.instance = instance_;
    key.variant = variant_;
    key.fontID = fontID_;
}

bool operator<(const vxOCCharKey& a, const vxOCCharKey& b) {
    const uint32_t unknown = vxOCCharKey::kUnknownCode;
    const int32_t open = vxOCCharKey::kUnspecified;
    int c = compareField(a.code_, b.code_, unknown);
    if (c == 0) c = compareField(a.fontID_, b.fontID_, open);
    if (c == 0) c = compareField(a.instance_, b.instance_, open);
    if (c == 0) c = compareField(a.variant_, b.variant_, open);
    return c < 0;
}

vxArchive& operator||(vxArchive& ar, vxOCCharKey& key) {
    const unsigned char version = ar.transferVersion(kCurrentVersion, kCurrentVersion, "vxOCCharKey");
    uint32_t code = static_cast<uint32_t>(key.characterCode());
    int32_t instance = static_cast<int32_t>(key.instance());
    int32_t fontID = static_cast<int32_t>(key.fontID());
    int32_t variant = static_cast<int32_t>(key.variant());
    ar || code || instance || fontID;
    if (version >= 1) ar || variant;
    else variant = vxOCCharKey::kUnspecified;
    if (ar.isLoading()) key = vxOCCharKey(code, instance, variant, fontID);
    return ar;
}
