// A character code: one 32-bit code point, with its conversions to the platform's
// character types. Narrow chars hold ASCII only (0 to 0x7F), since a narrow string's
// other bytes are UTF-8 code units rather than characters. wchar_t is 32-bit on this
// platform and holds any Unicode scalar value (0 to 0x10FFFF without the surrogates
// 0xD800 to 0xDFFF). The text character type vxTChar is wchar_t.
#pragma once

#include "vxException.h"

using vxTChar = wchar_t;
static_assert(sizeof(wchar_t) == 4, "wchar_t must hold any Unicode scalar value");

class vxCharCodeDefs {
public:
    // The code has no value of the requested character type.
    class NotRepresentable : public vx_ExceptionImpl<NotRepresentable, 0x10000048> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
        static vxPersistent* make();
        static const vx_Instantiator sExemplar;
    };
};

class vxCharCode {
public:
    explicit vxCharCode(unsigned long code = 0) : code_(code) {}
    unsigned long code() const { return code_; }

    // ASCII (0 to 0x7F).
    bool isRepresentableAsChar() const { return code_ <= 0x7F; }
    // A Unicode scalar value.
    bool isRepresentableAsWChar() const {
        return code_ <= 0x10FFFF && !(code_ >= 0xD800 && code_ <= 0xDFFF);
    }
    bool isRepresentableAsTChar() const { return isRepresentableAsWChar(); }

    // The code as the given type; throw vxCharCodeDefs::NotRepresentable when the
    // matching isRepresentableAs... is false.
    char getAsChar() const;
    wchar_t getAsWChar() const;
    vxTChar getAsTChar() const { return getAsWChar(); }

    // Whether the code has the Unicode White_Space property (tab, line breaks, space,
    // the no-break and typographic spaces, the line and paragraph separators).
    bool isSpace() const;

    friend bool operator==(vxCharCode a, vxCharCode b) { return a.code_ == b.code_; }

private:
    unsigned long code_;
};
