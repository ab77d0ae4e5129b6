// Encloses a polygon under a pose with translation, rotation, scale, aspect and
// shear uncertainties: every vertex sweeps an annular sector (rotation and scale)
// whose convex hull is enclosed by a few points, and the hull points are mapped
// into the outer frame and boxed.
#include "vfEncloseRect.h"

#include "vxGeomDefs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

// Angular step of the polygon that encloses a rotation arc.
constexpr double kArcStep = 2.0 * std::numbers::pi / 180.0;

void checkUncertainty(double value, const wchar_t* what) {
    if (!(value >= 0.0) || !std::isfinite(value))
        throw vxGeomDefs::BadArgument(std::wstring(what) + L" must be finite and >= 0");
}

struct Box {
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0;
    double x1 = -x0, y1 = -x0;
    void add(const vxVector<2>& p) {
        x0 = std::min(x0, p.x());
        y0 = std::min(y0, p.y());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
};

// Points whose convex hull holds { sigma R(theta) q : |theta| <= r, |sigma - 1| <= s }.
void addSectorHull(const vxVector<2>& q, double r, double s, bool conservative,
                   std::vector<vxVector<2>>& out) {
    const double rho = std::hypot(q.x(), q.y());
    if (rho == 0.0) {
        out.push_back(q);
        return;
    }
    const double phi = std::atan2(q.y(), q.x());
    const bool fullTurn = r >= std::numbers::pi;
    const double sweep = fullTurn ? 2.0 * std::numbers::pi : 2.0 * r;
    const double start = fullTurn ? phi : phi - r;
    const int steps = std::max(1, static_cast<int>(std::ceil(sweep / kArcStep)));
    const double step = sweep / steps;
    const double outer = rho * (1.0 + s);
    auto polar = [](double radius, double angle) {
        return vxVector<2>(radius * std::cos(angle), radius * std::sin(angle));
    };
    if (r == 0.0) {
        out.push_back(polar(outer, phi));
    } else if (conservative) {
        // Tangent points of the circumscribed polygon, plus the arc's exact ends.
        const double lift = outer / std::cos(0.5 * step);
        for (int k = 0; k < steps; ++k)
            out.push_back(polar(lift, start + (k + 0.5) * step));
        out.push_back(polar(outer, start));
        out.push_back(polar(outer, start + sweep));
    } else {
        for (int k = 0; k <= steps; ++k)
            out.push_back(polar(outer, start + k * step));
    }
    if (!fullTurn) {
        // The inner arc lies between its chord and the outer arc: its ends suffice.
        out.push_back(polar(rho * (1.0 - s), phi - r));
        out.push_back(polar(rho * (1.0 - s), phi + r));
    }
}

} // namespace

vxRect vfEncloseRect(const vxPolygon& polygon, const vxXform<2>& pose, const vxXform<2>& outer,
                     double xUncertainty, double yUncertainty, vxRadian rotationUncertainty,
                     double scaleUncertainty, double aspectUncertainty, double shearUncertainty,
                     double margin, int conservative) {
    checkUncertainty(xUncertainty, L"x uncertainty");
    checkUncertainty(yUncertainty, L"y uncertainty");
    checkUncertainty(rotationUncertainty.plain(), L"Rotation uncertainty");
    checkUncertainty(scaleUncertainty, L"Scale uncertainty");
    checkUncertainty(aspectUncertainty, L"Aspect uncertainty");
    checkUncertainty(shearUncertainty, L"Shear uncertainty");
    checkUncertainty(margin, L"Margin");
    if (scaleUncertainty >= 1.0 || aspectUncertainty >= 1.0)
        throw vxGeomDefs::BadArgument(L"Scale and aspect uncertainties must be below 1");
    if (polygon.numVertices() == 0) return vxRect();

    // Aspect and shear are bounded by their extreme and central values.
    std::vector<vxMatrix<2>> shapes;
    for (double a : {0.0, -aspectUncertainty, aspectUncertainty}) {
        for (double h : {0.0, -shearUncertainty, shearUncertainty}) {
            shapes.emplace_back(vxRadian(0.0), vxRadian(h), 1.0, 1.0 + a);
            if (shearUncertainty == 0.0) break;
        }
        if (aspectUncertainty == 0.0) break;
    }

    std::vector<vxVector<2>> hull;
    for (const vxVector<2>& p : polygon.vertices())
        for (const vxMatrix<2>& shape : shapes)
            addSectorHull(shape * p, rotationUncertainty.plain(), scaleUncertainty,
                          conservative != 0, hull);

    const vxMatrix<2> linear = outer.matrix() * pose.matrix();
    const vxVector<2> origin = outer.mapPoint(pose.trans());
    Box box;
    for (const vxVector<2>& q : hull)
        box.add(linear * q + origin);

    // The translation box [-x, x] x [-y, y] seen through outer's linear part.
    const vxMatrix<2>& m = outer.matrix();
    const double ex = std::abs(m(0, 0)) * xUncertainty + std::abs(m(0, 1)) * yUncertainty + margin;
    const double ey = std::abs(m(1, 0)) * xUncertainty + std::abs(m(1, 1)) * yUncertainty + margin;
    return vxRect(box.x0 - ex, box.y0 - ey, box.x1 - box.x0 + 2.0 * ex, box.y1 - box.y0 + 2.0 * ey);
}
