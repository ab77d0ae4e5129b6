#include "vxGraphicSvg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Up to three decimals, trailing zeros dropped ("12.5", "-3", "0.125").
std::string number(double v) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", v);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string hexColour(vxColor c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r(), c.g(), c.b());
    return text;
}

std::string points(const std::vector<vxVector<2>>& ps) {
    std::string out;
    for (const vxVector<2>& p : ps) {
        if (!out.empty()) out += ' ';
        out += number(p.x());
        out += ',';
        out += number(p.y());
    }
    return out;
}

bool allFinite(const std::vector<vxVector<2>>& ps) {
    return std::all_of(ps.begin(), ps.end(), [](const vxVector<2>& p) {
        return std::isfinite(p.x()) && std::isfinite(p.y());
    });
}

// Paint of an outline or a filled shape.
std::string paint(const vx_GraphicStyle& style, bool filled) {
    const std::string colour = hexColour(style.color());
    if (filled) return " fill=\"" + colour + "\" stroke=\"none\"";
    return " fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" +
           std::to_string(style.penWidth()) + "\"";
}

// One graphic, already mapped into view coordinates: its element and the points that
// define it (for the bounds). An element is empty when nothing can be drawn.
struct Element {
    std::string svg;
    std::vector<vxVector<2>> points;
};

struct ToSvg {
    Element operator()(const vxGraphicLineSeg& g) const {
        const vxVector<2> a = g.shape().p1(), b = g.shape().p2();
        return {"<line x1=\"" + number(a.x()) + "\" y1=\"" + number(a.y()) + "\" x2=\"" +
                    number(b.x()) + "\" y2=\"" + number(b.y()) + "\"" + paint(g, false) + "/>",
                {a, b}};
    }
    Element operator()(const vxGraphicRect& g) const {
        // A flipped rectangle (negative width or height) covers the same area.
        const vxRect& r = g.shape();
        const double x = std::min(r.x(), r.x() + r.width()), y = std::min(r.y(), r.y() + r.height());
        const double w = std::fabs(r.width()), h = std::fabs(r.height());
        return {"<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(w) +
                    "\" height=\"" + number(h) + "\"" + paint(g, g.filled()) + "/>",
                {r.ul(), r.lr()}};
    }
    Element operator()(const vxGraphicAffineRect& g) const {
        const vxAffineRectangle& r = g.shape();
        return closed({r.cornerPo(), r.cornerPx(), r.cornerPopp(), r.cornerPy()}, "nonzero",
                      g.filled(), g);
    }
    Element operator()(const vxGraphicPolygon& g) const {
        return closed(g.shape().vertices(),
                      g.shape().fillMode() == vxPolygon::eNonZero ? "nonzero" : "evenodd",
                      g.filled(), g);
    }
    Element operator()(const vxGraphicEllipseArc& g) const {
        const vxEllipseArc2& a = g.shape();
        if (!std::isfinite(a.rx()) || !std::isfinite(a.ry()) ||
            !std::isfinite(a.sweep().plain()) || !std::isfinite(a.start().plain()))
            return {};
        // Short segments, as the raster drawing uses: about two units each.
        const double length =
            std::fabs(a.sweep().plain()) * std::max(std::fabs(a.rx()), std::fabs(a.ry()));
        const long n = static_cast<long>(std::clamp(std::ceil(length / 2.0), 8.0, 4096.0));
        std::vector<vxVector<2>> ps = a.points(n);
        return {"<polyline points=\"" + points(ps) + "\"" + paint(g, false) + "/>", ps};
    }
    Element operator()(const vxGraphicPointIcon& g) const {
        const double x = g.point().x(), y = g.point().y(), s = g.size();
        if (g.icon() == vxGraphicPointIcon::eCircle)
            return {"<circle cx=\"" + number(x) + "\" cy=\"" + number(y) + "\" r=\"" + number(s) +
                        "\"" + paint(g, false) + "/>",
                    {g.point()}};
        // The icon as path steps: a command letter and a point each.
        std::vector<std::pair<char, vxVector<2>>> steps;
        switch (g.icon()) {
        case vxGraphicPointIcon::ePlus:
            steps = {{'M', {x - s, y}}, {'L', {x + s, y}}, {'M', {x, y - s}}, {'L', {x, y + s}}};
            break;
        case vxGraphicPointIcon::eCross:
            steps = {{'M', {x - s, y - s}}, {'L', {x + s, y + s}}, {'M', {x - s, y + s}},
                     {'L', {x + s, y - s}}};
            break;
        case vxGraphicPointIcon::eSquare:
            steps = {{'M', {x - s, y - s}}, {'L', {x + s, y - s}}, {'L', {x + s, y + s}},
                     {'L', {x - s, y + s}}, {'Z', {}}};
            break;
        default: // diamond
            steps = {{'M', {x, y - s}}, {'L', {x + s, y}}, {'L', {x, y + s}}, {'L', {x - s, y}},
                     {'Z', {}}};
        }
        std::string d;
        for (const auto& [command, p] : steps) {
            d += command;
            if (command != 'Z') d += points({p});
        }
        return {"<path d=\"" + d + "\"" + paint(g, false) + "/>", {g.point()}};
    }

private:
    static Element closed(const std::vector<vxVector<2>>& ps, const char* rule, bool filled,
                          const vx_GraphicStyle& style) {
        return {"<polygon points=\"" + points(ps) + "\" fill-rule=\"" + rule + "\"" +
                    paint(style, filled) + "/>",
                ps};
    }
};

} // namespace

std::string vfGraphicsSvg(const vxGraphicList& graphics, const vxXform<2>& viewFromGraphics,
                          vxViewBounds* bounds) {
    std::string out;
    for (const vxGraphic& g : graphics) {
        const Element e = std::visit(ToSvg{}, vfMapGraphic(g, viewFromGraphics));
        if (e.svg.empty() || !allFinite(e.points)) continue;
        out += e.svg;
        out += '\n';
        if (!bounds) continue;
        for (const vxVector<2>& p : e.points)
            bounds->add(p);
    }
    return out;
}
