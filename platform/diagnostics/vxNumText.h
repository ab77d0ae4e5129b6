// Numbers as wide text for diagnostics. The results do not depend on the global
// locale or on any stream state.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <type_traits>

// Integer types that print as numbers: every standard signed and unsigned integer,
// but not bool and not the character types (which would print as codes by surprise).
template <class T>
concept vx_PrintableInteger =
    std::integral<T> && !std::same_as<T, bool> && !std::same_as<T, char> &&
    !std::same_as<T, wchar_t> && !std::same_as<T, char8_t> && !std::same_as<T, char16_t> &&
    !std::same_as<T, char32_t>;

std::wstring vf_DecimalText(std::int64_t value);
std::wstring vf_DecimalText(std::uint64_t value);
std::wstring vf_HexText(std::uint64_t bits, int digits);

// The decimal text of an integer of any width: "-12", "4294967295".
template <vx_PrintableInteger T> std::wstring vfStr(T value) {
    if constexpr (std::is_signed_v<T>)
        return vf_DecimalText(static_cast<std::int64_t>(value));
    else
        return vf_DecimalText(static_cast<std::uint64_t>(value));
}

// "true" or "false".
inline std::wstring vfStr(bool value) {
    return value ? L"true" : L"false";
}

// A double in fixed notation with `precision` decimals (vfDbl(0.9, 3, false) is "0.900")
// or, when `scientific`, with one digit before the point, `precision` after it and a
// signed two-digit-or-more exponent ("9.000e-01"). Rounds to nearest. A result that
// shows only zeros has no minus sign (-0.0001 gives "0.000"). NaN gives "nan",
// infinities "inf" and "-inf". Throws vxDiagDefs::BadArgument for a precision outside
// 0 .. 40.
std::wstring vfDbl(double value, int precision, bool scientific);

// Upper-case hexadecimal without prefix, zero-padded to at least `digits` digits and
// never truncated: vfHex(0x41, 8) is "00000041". A negative value of a signed type
// that fits 32 bits prints as its 32-bit two's complement (vfHex(-1L, 8) is
// "FFFFFFFF"); a more negative one as its 64-bit two's complement. Throws
// vxDiagDefs::BadArgument for `digits` outside 0 .. 32.
template <vx_PrintableInteger T> std::wstring vfHex(T value, int digits) {
    if constexpr (std::is_signed_v<T>) {
        const auto v = static_cast<std::int64_t>(value);
        if (v < 0 && v >= INT32_MIN)
            return vf_HexText(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)), digits);
        return vf_HexText(static_cast<std::uint64_t>(v), digits);
    } else {
        return vf_HexText(static_cast<std::uint64_t>(value), digits);
    }
}
