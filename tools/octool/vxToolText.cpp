// UTF-8 decoding and encoding.
#include "vxToolText.h"

#include "vxToolArgs.h"

std::wstring vfToolFromUtf8(const std::string& text, const std::string& what) {
    std::wstring out;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        unsigned long code = lead;
        if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            code = lead & 0x07;
        } else if (lead >= 0xE0) {
            extra = 2;
            code = lead & 0x0F;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            extra = 1;
            code = lead & 0x1F;
        } else if (lead >= 0x80) {
            throw vxToolError(what + ": not valid UTF-8 text");
        }
        if (i + extra >= text.size() && extra > 0) // the sequence is cut short
            throw vxToolError(what + ": not valid UTF-8 text");
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) throw vxToolError(what + ": not valid UTF-8 text");
            code = (code << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values beyond the Unicode range.
        const unsigned long least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            throw vxToolError(what + ": not valid UTF-8 text");
        out += static_cast<wchar_t>(code);
        i += extra + 1;
    }
    return out;
}

std::string vfToolToUtf8(wchar_t c) {
    unsigned long code = static_cast<unsigned long>(c);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

std::string vfToolToUtf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text)
        out += vfToolToUtf8(c);
    return out;
}
