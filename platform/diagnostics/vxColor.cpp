#include "vxColor.h"

#include "vxNumText.h"

#include <array>
#include <utility>

std::wstring vxColor::name() const {
    static constexpr std::array<std::pair<const vxColor*, const wchar_t*>, 10> named = {{
        {&black, L"black"},
        {&white, L"white"},
        {&grey, L"grey"},
        {&red, L"red"},
        {&green, L"green"},
        {&blue, L"blue"},
        {&yellow, L"yellow"},
        {&orange, L"orange"},
        {&cyan, L"cyan"},
        {&magenta, L"magenta"},
    }};
    for (const auto& [color, text] : named)
        if (*color == *this) return text;
    return L"rgb(" + vfStr(r_) + L", " + vfStr(g_) + L", " + vfStr(b_) + L")";
}
