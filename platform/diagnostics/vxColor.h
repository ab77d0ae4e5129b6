// An RGB display colour with 8 bits per channel and the named colours diagnostics use.
#pragma once

#include <string>

class vxColor {
public:
    // Black.
    constexpr vxColor() = default;
    constexpr vxColor(unsigned char red, unsigned char green, unsigned char blue)
        : r_(red), g_(green), b_(blue) {}

    // The channels (named r, g, b because red, green and blue name colours below).
    constexpr unsigned char r() const { return r_; }
    constexpr unsigned char g() const { return g_; }
    constexpr unsigned char b() const { return b_; }

    // The name of a named colour below ("green"), otherwise "rgb(r, g, b)".
    std::wstring name() const;

    friend constexpr bool operator==(const vxColor& a, const vxColor& b) = default;

    // Named colours: the pure primaries and secondaries, orange (255, 165, 0) and
    // mid grey (128, 128, 128).
    static const vxColor black;
    static const vxColor white;
    static const vxColor grey;
    static const vxColor red;
    static const vxColor green;
    static const vxColor blue;
    static const vxColor yellow;
    static const vxColor orange;
    static const vxColor cyan;
    static const vxColor magenta;

private:
    unsigned char r_ = 0;
    unsigned char g_ = 0;
    unsigned char b_ = 0;
};

inline constexpr vxColor vxColor::black{0, 0, 0};
inline constexpr vxColor vxColor::white{255, 255, 255};
inline constexpr vxColor vxColor::grey{128, 128, 128};
inline constexpr vxColor vxColor::red{255, 0, 0};
inline constexpr vxColor vxColor::green{0, 255, 0};
inline constexpr vxColor vxColor::blue{0, 0, 255};
inline constexpr vxColor vxColor::yellow{255, 255, 0};
inline constexpr vxColor vxColor::orange{255, 165, 0};
inline constexpr vxColor vxColor::cyan{0, 255, 255};
inline constexpr vxColor vxColor::magenta{255, 0, 255};
