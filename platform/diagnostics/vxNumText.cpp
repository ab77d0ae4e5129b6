#include "vxNumText.h"

#include "vxDiagDefs.h"

#include <charconv>
#include <cmath>

namespace {

// Widens ASCII text.
std::wstring widen(const char* first, const char* last) {
    return std::wstring(first, last);
}

// Drops the sign of a number whose digits are all zero ("-0.000", "-0.00e+00").
void dropNegativeZeroSign(std::wstring& text) {
    if (text.empty() || text[0] != L'-') return;
    for (wchar_t c : text) {
        if (c == L'e') break;
        if (c != L'-' && c != L'0' && c != L'.') return;
    }
    text.erase(0, 1);
}

} // namespace

std::wstring vf_DecimalText(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return widen(buffer, result.ptr);
}

std::wstring vf_DecimalText(std::uint64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return widen(buffer, result.ptr);
}

std::wstring vf_HexText(std::uint64_t bits, int digits) {
    if (digits < 0 || digits > 32)
        throw vxDiagDefs::BadArgument(L"Hexadecimal digit count must be 0 to 32");
    static constexpr wchar_t hexDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    do {
        text.insert(text.begin(), hexDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    if (static_cast<int>(text.size()) < digits) text.insert(0, digits - text.size(), L'0');
    return text;
}

std::wstring vfDbl(double value, int precision, bool scientific) {
    if (precision < 0 || precision > 40)
        throw vxDiagDefs::BadArgument(L"Decimal precision must be 0 to 40");
    if (std::isnan(value)) return L"nan";
    // 309 integer digits of the largest double, the point, 40 decimals and the sign fit.
    char buffer[400];
    const auto format = scientific ? std::chars_format::scientific : std::chars_format::fixed;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    std::wstring text = widen(buffer, result.ptr);
    dropNegativeZeroSign(text);
    return text;
}
