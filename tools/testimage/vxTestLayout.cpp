// Placement of strings along lines and circular arcs.
#include "vxTestLayout.h"

#include "vxTestImageDefs.h"

#include <cmath>
#include <numbers>

namespace {

using Bad = vxTestImageDefs::BadArgument;

// The centre-to-centre distance in pixels, after checking the style.
double advanceOf(const vxTestTextStyle& s) {
    if (!(s.size > 0.0 && std::isfinite(s.size) && s.scale > 0.0 && std::isfinite(s.scale)))
        throw Bad(L"Text size and scale must be positive and finite");
    if (!(s.advance >= 0.0 && std::isfinite(s.advance)) || !(s.strokeWidth >= 0.0))
        throw Bad(L"Text advance and stroke width must be finite and not negative");
    return (s.advance > 0.0 ? s.advance : vxTestFont::cellWidth * s.size) * s.scale;
}

void checkPoint(const vxVector<2>& p, vxRadian a) {
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(a.plain()))
        throw Bad(L"Text position and angle must be finite");
}

vxTestCharPlacement placement(char c, const vxVector<2>& at, vxRadian angle,
                              const vxTestTextStyle& s) {
    vxTestCharPlacement p;
    p.code = c;
    p.x = at.x();
    p.y = at.y();
    p.angle = angle;
    p.scale = s.scale;
    p.size = s.size;
    p.strokeWidth = s.strokeWidth;
    return p;
}

} // namespace

std::vector<vxTestCharPlacement> vfLayoutLine(const std::string& text, const vxVector<2>& center,
                                              vxRadian angle, const vxTestTextStyle& style) {
    checkPoint(center, angle);
    const double advance = advanceOf(style);
    const vxVector<2> step = vxVector<2>::polar(advance, angle);
    const double middle = 0.5 * (double(text.size()) - 1.0);
    std::vector<vxTestCharPlacement> out;
    for (size_t k = 0; k < text.size(); ++k)
        out.push_back(placement(text[k], center + step * (double(k) - middle), angle, style));
    return out;
}

std::vector<vxTestCharPlacement> vfLayoutArc(const std::string& text,
                                             const vxVector<2>& circleCenter, double radius,
                                             vxRadian middle, bool topsOutward,
                                             const vxTestTextStyle& style) {
    checkPoint(circleCenter, middle);
    if (!(radius > 0.0 && std::isfinite(radius))) throw Bad(L"Arc radius must be positive");
    const double step = advanceOf(style) / radius * (topsOutward ? 1.0 : -1.0);
    const vxRadian turn(topsOutward ? std::numbers::pi / 2 : -std::numbers::pi / 2);
    const double mid = 0.5 * (double(text.size()) - 1.0);
    std::vector<vxTestCharPlacement> out;
    for (size_t k = 0; k < text.size(); ++k) {
        const vxRadian t = middle + vxRadian(step * (double(k) - mid));
        out.push_back(
            placement(text[k], circleCenter + vxVector<2>::polar(radius, t), t + turn, style));
    }
    return out;
}
