#include "vx_Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

bool isFinitePoint(const vxVector<2>& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Draws one pen square at pixel (x, y).
void stamp(vxRgbImage& raster, long long x, long long y, vxColor color, int pen) {
    const long long lo = -(pen - 1) / 2;
    for (long long dy = lo; dy < lo + pen; ++dy)
        for (long long dx = lo; dx < lo + pen; ++dx)
            raster.plot(static_cast<long>(x + dx), static_cast<long>(y + dy), color);
}

// Clips the segment a-b to the box [lo, hiX] x [lo, hiY] (Liang-Barsky). Returns false
// when nothing of it is left.
bool clip(vxVector<2>& a, vxVector<2>& b, double lo, double hiX, double hiY) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - lo, hiX - a.x(), a.y() - lo, hiY - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const vxVector<2> start = a;
    a = start + t0 * vxVector<2>(dx, dy);
    b = start + t1 * vxVector<2>(dx, dy);
    return true;
}

// Walks the pixels from (x0, y0) to (x1, y1), stamping each.
void bresenham(vxRgbImage& raster, long long x0, long long y0, long long x1, long long y1,
               vxColor color, int pen) {
    const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const long long sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long long err = dx + dy;
    for (;;) {
        stamp(raster, x0, y0, color, pen);
        if (x0 == x1 && y0 == y1) return;
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

// Pixel index ranges along one axis: the pixels whose centres lie in [from, to),
// limited to [lo, hi] so that far-away edges stay far away without overflowing.
void centreRange(double from, double to, double lo, double hi, long long& first, long long& last) {
    first = static_cast<long long>(std::clamp(std::ceil(from - 0.5), lo, hi));
    last = static_cast<long long>(std::clamp(std::ceil(to - 0.5) - 1.0, lo, hi));
}

// Pixels of a midpoint circle of integer radius r about (cx, cy).
void circle(vxRgbImage& raster, long long cx, long long cy, long long r, vxColor color, int pen) {
    long long x = r, y = 0, err = 1 - r;
    while (x >= y) {
        const long long pts[8][2] = {{x, y},   {y, x},   {-y, x}, {-x, y},
                                     {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
        for (const auto& p : pts)
            stamp(raster, cx + p[0], cy + p[1], color, pen);
        ++y;
        if (err < 0) {
            err += 2 * y + 1;
        } else {
            --x;
            err += 2 * (y - x) + 1;
        }
    }
}

} // namespace

void vf_RasterGrey(vxRgbImage& raster, const vxPelBuffer_const<unsigned char>& image) {
    const vxPelRect w = image.window();
    for (long y = 0; y < w.height(); ++y) {
        const unsigned char* row = image.pointToPel(w.x(), w.y() + y);
        for (long x = 0; x < w.width(); ++x)
            raster.plot(x, y, vxColor(row[x], row[x], row[x]));
    }
}

void vf_RasterLine(vxRgbImage& raster, const vxVector<2>& a, const vxVector<2>& b, vxColor color,
                   int pen) {
    if (!isFinitePoint(a) || !isFinitePoint(b)) return;
    // A margin of the pen width keeps the visible part of thick lines whose centre
    // passes just outside the raster.
    const double margin = pen + 1.0;
    vxVector<2> p = a, q = b;
    if (!clip(p, q, -margin, raster.width() + margin, raster.height() + margin)) return;
    bresenham(raster, static_cast<long long>(std::floor(p.x())),
              static_cast<long long>(std::floor(p.y())), static_cast<long long>(std::floor(q.x())),
              static_cast<long long>(std::floor(q.y())), color, pen);
}

void vf_RasterPolyline(vxRgbImage& raster, const std::vector<vxVector<2>>& points, bool closed,
                       vxColor color, int pen) {
    if (points.empty()) return;
    if (points.size() == 1) {
        vf_RasterLine(raster, points[0], points[0], color, pen);
        return;
    }
    for (size_t i = 0; i + 1 < points.size(); ++i)
        vf_RasterLine(raster, points[i], points[i + 1], color, pen);
    if (closed) vf_RasterLine(raster, points.back(), points.front(), color, pen);
}

void vf_RasterFillPolygon(vxRgbImage& raster, const std::vector<vxVector<2>>& points, bool nonZero,
                          vxColor color) {
    if (points.size() < 3 || !std::all_of(points.begin(), points.end(), isFinitePoint)) return;
    struct Crossing {
        double x;
        int winding;
    };
    double top = points[0].y(), bottom = top;
    for (const vxVector<2>& p : points) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    const long yFrom = static_cast<long>(std::clamp(std::floor(top), 0.0, double(raster.height())));
    const long yTo = static_cast<long>(std::clamp(std::ceil(bottom), 0.0, double(raster.height())));
    std::vector<Crossing> crossings;
    for (long y = yFrom; y < yTo; ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (size_t i = 0; i < points.size(); ++i) {
            const vxVector<2>& p = points[i];
            const vxVector<2>& q = points[(i + 1) % points.size()];
            // Half-open in y so that a vertex on the scan line counts once.
            const bool down = p.y() <= yc && yc < q.y(), up = q.y() <= yc && yc < p.y();
            if (!down && !up) continue;
            const double x = p.x() + (yc - p.y()) * (q.x() - p.x()) / (q.y() - p.y());
            crossings.push_back({x, down ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int winding = 0;
        for (size_t k = 0; k + 1 < crossings.size(); ++k) {
            winding += nonZero ? crossings[k].winding : 1;
            const bool inside = nonZero ? winding != 0 : (winding % 2) != 0;
            if (!inside) continue;
            long long first, last;
            centreRange(crossings[k].x, crossings[k + 1].x, -1.0, double(raster.width()), first,
                        last);
            for (long long x = first; x <= last; ++x)
                raster.plot(static_cast<long>(x), y, color);
        }
    }
}

void vf_RasterRect(vxRgbImage& raster, const vxRect& rect, bool filled, vxColor color, int pen) {
    if (!std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width()) ||
        !std::isfinite(rect.height()))
        return;
    // Limits beyond the raster by more than the pen keep off-raster edges invisible.
    const double lo = -pen - 1.0;
    long long x0, x1, y0, y1;
    centreRange(rect.x(), rect.x() + rect.width(), lo, raster.width() + pen + 1.0, x0, x1);
    centreRange(rect.y(), rect.y() + rect.height(), lo, raster.height() + pen + 1.0, y0, y1);
    if (x1 < x0 || y1 < y0) return;
    const long long yFrom = std::max(y0, 0LL), yTo = std::min(y1, (long long)raster.height() - 1);
    const long long xFrom = std::max(x0, 0LL), xTo = std::min(x1, (long long)raster.width() - 1);
    for (long long y = yFrom; y <= yTo; ++y) {
        const bool edgeRow = y - y0 < pen || y1 - y < pen;
        for (long long x = xFrom; x <= xTo; ++x)
            if (filled || edgeRow || x - x0 < pen || x1 - x < pen)
                raster.plot(static_cast<long>(x), static_cast<long>(y), color);
    }
}

void vf_RasterIcon(vxRgbImage& raster, const vxVector<2>& p, vxGraphicPointIcon::Icon icon,
                   int size, vxColor color, int pen) {
    if (!isFinitePoint(p)) return;
    const double reach = size + pen + 1.0;
    if (p.x() < -reach || p.y() < -reach || p.x() > raster.width() + reach ||
        p.y() > raster.height() + reach)
        return;
    const long long cx = static_cast<long long>(std::floor(p.x()));
    const long long cy = static_cast<long long>(std::floor(p.y()));
    const long long s = size;
    const auto line = [&](long long dx0, long long dy0, long long dx1, long long dy1) {
        bresenham(raster, cx + dx0, cy + dy0, cx + dx1, cy + dy1, color, pen);
    };
    switch (icon) {
    case vxGraphicPointIcon::ePlus:
        line(-s, 0, s, 0);
        line(0, -s, 0, s);
        break;
    case vxGraphicPointIcon::eCross:
        line(-s, -s, s, s);
        line(-s, s, s, -s);
        break;
    case vxGraphicPointIcon::eCircle:
        circle(raster, cx, cy, s, color, pen);
        break;
    case vxGraphicPointIcon::eSquare:
        line(-s, -s, s, -s);
        line(s, -s, s, s);
        line(s, s, -s, s);
        line(-s, s, -s, -s);
        break;
    case vxGraphicPointIcon::eDiamond:
        line(0, -s, s, 0);
        line(s, 0, 0, s);
        line(0, s, -s, 0);
        line(-s, 0, 0, -s);
        break;
    }
}
