#include "vxGraphic.h"

#include "vxDiagDefs.h"
#include "vxNumText.h"

#include <cmath>

int vx_GraphicStyle::checkedPenWidth_(int width) {
    if (width < 1 || width > kMaxPenWidth)
        throw vxDiagDefs::BadArgument(L"Pen width must be 1 to " + vfStr(kMaxPenWidth));
    return width;
}

vxGraphicPointIcon::vxGraphicPointIcon(const vxVector<2>& point, vxColor color, Icon icon, int size,
                                       int penWidth)
    : vx_GraphicStyle(color, penWidth), point_(point), icon_(icon), size_(size) {
    if (icon < ePlus || icon > eDiamond) throw vxDiagDefs::BadArgument(L"Unknown point icon");
    if (size < 0 || size > kMaxSize)
        throw vxDiagDefs::BadArgument(L"Point icon size must be 0 to " + vfStr(kMaxSize));
}

namespace {

// An axis-parallel rectangle mapped by a matrix without off-diagonal elements. A flip
// moves the origin to the other side so that the sign of each side length is kept.
vxRect mapAxisParallel(const vxRect& r, const vxXform<2>& x) {
    const double sx = x.matrix().element(0, 0), sy = x.matrix().element(1, 1);
    const vxVector<2> o = x.mapPoint(r.origin());
    const double w = sx * r.width(), h = sy * r.height();
    return vxRect(sx < 0 ? o.x() + w : o.x(), sy < 0 ? o.y() + h : o.y(), std::fabs(sx) * r.width(),
                  std::fabs(sy) * r.height());
}

// The arc whose point at parameter t' is x applied to the point of `a` at the
// corresponding t. With B = x.matrix() R(rotation) diag(rx, ry) written in the closed
// 2x2 form B = R(theta) diag(s1, s2) R(phi) (s1 >= |s2|), the mapped point is
// c' + R(theta) (s1 cos(t + phi), s2 sin(t + phi)); a negative s2 (a flip) is absorbed
// by running the parameter backwards.
vxEllipseArc2 mapArc(const vxEllipseArc2& a, const vxXform<2>& x) {
    const vxMatrix<2> b =
        x.matrix() * vxMatrix<2>::rotation(a.rotation()) * vxMatrix<2>::scaling(a.rx(), a.ry());
    const double m00 = b.element(0, 0), m01 = b.element(0, 1);
    const double m10 = b.element(1, 0), m11 = b.element(1, 1);
    const double e = 0.5 * (m00 + m11), f = 0.5 * (m00 - m11);
    const double g = 0.5 * (m10 + m01), h = 0.5 * (m10 - m01);
    const double q = std::hypot(e, h), r = std::hypot(f, g);
    const double s1 = q + r, s2 = q - r;
    const double sum = std::atan2(h, e), diff = std::atan2(g, f); // theta + phi, theta - phi
    const vxRadian theta(0.5 * (sum + diff)), phi(0.5 * (sum - diff));
    const vxVector<2> center = x.mapPoint(a.center());
    if (s2 >= 0) return vxEllipseArc2(center, s1, s2, theta, a.start() + phi, a.sweep());
    return vxEllipseArc2(center, s1, -s2, theta, -(a.start() + phi), -a.sweep());
}

bool keepsAxesParallel(const vxXform<2>& x) {
    return x.matrix().element(0, 1) == 0.0 && x.matrix().element(1, 0) == 0.0;
}

std::wstring num(double v) {
    return vfDbl(v, 3, false);
}
std::wstring point(const vxVector<2>& p) {
    return L"(" + num(p.x()) + L", " + num(p.y()) + L")";
}
std::wstring style(const vx_GraphicStyle& s) {
    return L" " + s.color().name() + L" pen " + vfStr(s.penWidth());
}
std::wstring fill(bool filled) {
    return filled ? L" filled" : L" outline";
}

const wchar_t* iconName(vxGraphicPointIcon::Icon icon) {
    switch (icon) {
    case vxGraphicPointIcon::ePlus:
        return L"plus";
    case vxGraphicPointIcon::eCross:
        return L"cross";
    case vxGraphicPointIcon::eCircle:
        return L"circle";
    case vxGraphicPointIcon::eSquare:
        return L"square";
    case vxGraphicPointIcon::eDiamond:
        return L"diamond";
    }
    return L"?";
}

struct Mapper {
    const vxXform<2>& x;
    vxGraphic operator()(const vxGraphicLineSeg& g) const {
        vxGraphicLineSeg out = g;
        out.shape(g.shape().map(x));
        return out;
    }
    vxGraphic operator()(const vxGraphicRect& g) const {
        if (keepsAxesParallel(x)) {
            vxGraphicRect out = g;
            out.shape(mapAxisParallel(g.shape(), x));
            return out;
        }
        return vxGraphicAffineRect(vxAffineRectangle(g.shape()).map(x), g.color(), g.penWidth(),
                                   g.filled());
    }
    vxGraphic operator()(const vxGraphicAffineRect& g) const {
        vxGraphicAffineRect out = g;
        out.shape(g.shape().map(x));
        return out;
    }
    vxGraphic operator()(const vxGraphicPolygon& g) const {
        vxGraphicPolygon out = g;
        out.shape(g.shape().map(x));
        return out;
    }
    vxGraphic operator()(const vxGraphicEllipseArc& g) const {
        vxGraphicEllipseArc out = g;
        out.shape(mapArc(g.shape(), x));
        return out;
    }
    vxGraphic operator()(const vxGraphicPointIcon& g) const {
        vxGraphicPointIcon out = g;
        out.point(x.mapPoint(g.point()));
        return out;
    }
};

struct Describer {
    std::wstring operator()(const vxGraphicLineSeg& g) const {
        return L"line " + point(g.shape().p1()) + L"-" + point(g.shape().p2()) + style(g);
    }
    std::wstring operator()(const vxGraphicRect& g) const {
        const vxRect& r = g.shape();
        return L"rect (" + num(r.x()) + L", " + num(r.y()) + L", " + num(r.width()) + L", " +
               num(r.height()) + L")" + style(g) + fill(g.filled());
    }
    std::wstring operator()(const vxGraphicAffineRect& g) const {
        const vxAffineRectangle& r = g.shape();
        return L"affine rect " + point(r.cornerPo()) + L" " + point(r.cornerPx()) + L" " +
               point(r.cornerPy()) + style(g) + fill(g.filled());
    }
    std::wstring operator()(const vxGraphicPolygon& g) const {
        std::wstring text = L"polygon";
        for (const vxVector<2>& v : g.shape().vertices())
            text += L" " + point(v);
        return text + style(g) + fill(g.filled());
    }
    std::wstring operator()(const vxGraphicEllipseArc& g) const {
        const vxEllipseArc2& a = g.shape();
        return L"arc centre " + point(a.center()) + L" radii " + num(a.rx()) + L", " + num(a.ry()) +
               L" rotation " + num(vxDegree(a.rotation()).plain()) + L" start " +
               num(vxDegree(a.start()).plain()) + L" sweep " + num(vxDegree(a.sweep()).plain()) +
               L" deg" + style(g);
    }
    std::wstring operator()(const vxGraphicPointIcon& g) const {
        return std::wstring(iconName(g.icon())) + L" " + point(g.point()) + L" size " +
               vfStr(g.size()) + style(g);
    }
};

} // namespace

vxGraphic vfMapGraphic(const vxGraphic& graphic, const vxXform<2>& x) {
    return std::visit(Mapper{x}, graphic);
}

std::wstring vfDescribeGraphic(const vxGraphic& graphic) {
    return std::visit(Describer{}, graphic);
}
