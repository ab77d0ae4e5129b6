// Overlay drawing: anti-aliased strokes accumulated into a coverage mask per call, then
// blended over the picture once.
#include "vxOverlay.h"

#include "vxTestFont.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <numbers>

namespace {

// Geometry runs in extended precision so that finite coordinates far outside the
// picture (up to the largest double) clip without overflow.
using real = long double;

struct Point {
    real x, y;
};

bool isFinitePoint(const vxVector<2>& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// How much of every picture pixel one primitive covers (0..255). Overlapping strokes of
// the primitive take the larger coverage, so joints and crossings are not painted twice.
// The mask spans the primitive's bounding box clipped to the picture; it is allocated
// zeroed by the system (pages never touched cost nothing) and painting visits only the
// columns each row's strokes reached.
class CoverageMask {
public:
    // `lo`..`hi` bound every stroke centre line; `halfWidth` is the strokes' half width.
    CoverageMask(const vxRgbImage& picture, Point lo, Point hi, real halfWidth)
        : reach_(halfWidth + 0.5L), halfWidth_(halfWidth) {
        x0_ = clampToSide(std::floor(lo.x - reach_), picture.width);
        y0_ = clampToSide(std::floor(lo.y - reach_), picture.height);
        x1_ = clampToSide(std::ceil(hi.x + reach_), picture.width);
        y1_ = clampToSide(std::ceil(hi.y + reach_), picture.height);
        if (x0_ >= x1_ || y0_ >= y1_) return;
        cover_.reset(
            static_cast<unsigned char*>(std::calloc(size_t((x1_ - x0_) * (y1_ - y0_)), 1)));
        if (!cover_) throw std::bad_alloc();
        touched_.assign(size_t(y1_ - y0_), {x1_, x0_});
    }

    bool empty() const { return !cover_; }

    // Adds a straight stroke from a to b with round caps.
    void segment(Point a, Point b) {
        if (empty() || !clip(a, b)) return;
        const real dx = b.x - a.x, dy = b.y - a.y;
        const long rowLo = std::max(y0_, toIndex(std::ceil(std::min(a.y, b.y) - reach_ - 0.5L)));
        const long rowHi =
            std::min(y1_ - 1, toIndex(std::floor(std::max(a.y, b.y) + reach_ - 0.5L)));
        for (long j = rowLo; j <= rowHi; ++j) {
            // The part of the centre line within `reach_` of this row's centres bounds the
            // columns that can be covered.
            const real yc = j + 0.5L;
            real t0 = 0, t1 = 1;
            if (dy != 0) {
                const real ta = (yc - reach_ - a.y) / dy, tb = (yc + reach_ - a.y) / dy;
                t0 = std::max(t0, std::min(ta, tb));
                t1 = std::min(t1, std::max(ta, tb));
                if (t0 > t1) continue;
            }
            const real xa = a.x + t0 * dx, xb = a.x + t1 * dx;
            const long colLo = std::max(x0_, toIndex(std::ceil(std::min(xa, xb) - reach_ - 0.5L)));
            const long colHi =
                std::min(x1_ - 1, toIndex(std::floor(std::max(xa, xb) + reach_ - 0.5L)));
            if (colLo > colHi) continue;
            auto& [touchedLo, touchedHi] = touched_[size_t(j - y0_)];
            touchedLo = std::min(touchedLo, colLo);
            touchedHi = std::max(touchedHi, colHi + 1);
            unsigned char* row = cover_.get() + (j - y0_) * (x1_ - x0_) - x0_;
            for (long i = colLo; i <= colHi; ++i) {
                const real d = distance(Point{i + 0.5L, yc}, a, b);
                // The overlap of the pixel's unit span across the stroke with the stroke.
                const real c = std::min(d + 0.5L, halfWidth_) - std::max(d - 0.5L, -halfWidth_);
                const int v = int(std::clamp(c, real(0), real(1)) * 255 + 0.5L);
                row[i] = static_cast<unsigned char>(std::max<int>(row[i], v));
            }
        }
    }

    // Blends `colour` over the picture by the coverage.
    void paint(vxRgbImage& picture, vxColour colour) const {
        if (empty()) return;
        const unsigned char target[3] = {colour.r, colour.g, colour.b};
        for (long j = y0_; j < y1_; ++j)
            for (long i = touched_[size_t(j - y0_)].first; i < touched_[size_t(j - y0_)].second;
                 ++i) {
                const int c = cover_.get()[(j - y0_) * (x1_ - x0_) + (i - x0_)];
                if (c == 0) continue;
                unsigned char* p = &picture.rgb[size_t(3 * (j * picture.width + i))];
                for (int k = 0; k < 3; ++k)
                    p[k] =
                        static_cast<unsigned char>((p[k] * (255 - c) + target[k] * c + 127) / 255);
            }
    }

private:
    // Converts a bound to an index within [lo, hi]; NaN (possible only where long double
    // has no more range than double) gives lo, which leaves the loops it bounds empty or short.
    static long toRange(real v, long lo, long hi) {
        if (!(v > lo)) return lo;
        return v < hi ? long(v) : hi;
    }
    static long clampToSide(real v, long side) { return toRange(v, 0, side); }
    long toIndex(real v) const { return toRange(v, -1, 1 + std::max(x1_, y1_)); }

    static real distance(Point p, Point a, Point b) {
        const real dx = b.x - a.x, dy = b.y - a.y;
        const real len2 = dx * dx + dy * dy;
        real t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
        t = std::clamp(t, real(0), real(1));
        const real ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
        return std::sqrt(ex * ex + ey * ey); // cannot overflow in extended precision
    }

    // Cuts the segment to the mask's box widened by the reach (the only part that can
    // cover a mask pixel); false when nothing is left. Each cut puts the moved end exactly
    // on the box edge and steps from the end nearer to it, so that a segment reaching far
    // beyond the picture keeps its position across it.
    bool clip(Point& a, Point& b) const {
        const real lo[2] = {x0_ - reach_, y0_ - reach_}, hi[2] = {x1_ + reach_, y1_ + reach_};
        for (int k = 0; k < 2; ++k)
            for (int upper = 0; upper < 2; ++upper) {
                const real edge = upper ? hi[k] : lo[k];
                const auto inside = [&](const Point& p) {
                    const real v = k == 0 ? p.x : p.y;
                    return upper ? v <= edge : v >= edge;
                };
                const bool aIn = inside(a), bIn = inside(b);
                if (!aIn && !bIn) return false;
                if (aIn && bIn) continue;
                const Point cut = onEdge(aIn ? a : b, aIn ? b : a, k, edge);
                (aIn ? b : a) = cut;
            }
        return true;
    }

    // The point where the line through p and q crosses coordinate k = edge.
    static Point onEdge(const Point& p, const Point& q, int k, real edge) {
        const real pk = k == 0 ? p.x : p.y, qk = k == 0 ? q.x : q.y;
        const real po = k == 0 ? p.y : p.x, qo = k == 0 ? q.y : q.x;
        const real slope = (qo - po) / (qk - pk);
        const real other = std::fabs(edge - pk) <= std::fabs(edge - qk) ? po + slope * (edge - pk)
                                                                        : qo + slope * (edge - qk);
        return k == 0 ? Point{edge, other} : Point{other, edge};
    }

    real reach_, halfWidth_;
    long x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
    struct Free {
        void operator()(unsigned char* p) const { std::free(p); }
    };
    std::unique_ptr<unsigned char, Free> cover_;
    std::vector<std::pair<long, long>> touched_; // per row: columns [first, second) reached
};

Point point(const vxVector<2>& v) {
    return Point{v.x(), v.y()};
}

// Draws polylines (each closed when asked) as one primitive.
void stroke(vxRgbImage& picture, const std::vector<std::vector<Point>>& lines, bool closed,
            vxColour colour, real width) {
    Point lo{INFINITY, INFINITY}, hi{-INFINITY, -INFINITY};
    for (const auto& line : lines)
        for (const Point& p : line) {
            lo = Point{std::min(lo.x, p.x), std::min(lo.y, p.y)};
            hi = Point{std::max(hi.x, p.x), std::max(hi.y, p.y)};
        }
    if (lo.x > hi.x) return;
    CoverageMask mask(picture, lo, hi, width / 2);
    if (mask.empty()) return;
    for (const auto& line : lines) {
        if (line.empty()) continue;
        mask.segment(line[0], line[0]);
        for (size_t k = 1; k < line.size(); ++k)
            mask.segment(line[k - 1], line[k]);
        if (closed && line.size() > 2) mask.segment(line.back(), line[0]);
    }
    mask.paint(picture, colour);
}

// The pieces of the angle interval [from, from + span] (span at most a turn) where the
// circle can reach the picture, found by intersecting it with a disc around the picture.
// Keeps the number of chords bounded by the picture's size even for huge radii.
std::vector<std::pair<real, real>> visibleArcPieces(const vxRgbImage& picture, Point c, real r,
                                                    real from, real span, real reach) {
    const real pi = std::numbers::pi_v<real>;
    const Point pc{picture.width / 2.0L, picture.height / 2.0L};
    const real rho = std::hypot(pc.x, pc.y) + reach;
    const real dist = std::hypot(pc.x - c.x, pc.y - c.y);
    if (dist + r <= rho) return {{from, from + span}};
    if (dist > r + rho || r > dist + rho) return {};
    const real half = std::acos(
        std::clamp((r * r + dist * dist - rho * rho) / (2 * r * dist), real(-1), real(1)));
    const real towards = std::atan2(pc.y - c.y, pc.x - c.x);
    const real mid = from + std::remainder(towards - from, 2 * pi);
    std::vector<std::pair<real, real>> pieces;
    for (real m : {mid, mid + 2 * pi}) {
        const real lo = std::max(from, m - half), hi = std::min(from + span, m + half);
        if (lo < hi) pieces.emplace_back(lo, hi);
    }
    return pieces;
}

bool usableWidth(double width) {
    return std::isfinite(width) && width > 0;
}

void checkPicture(const vxRgbImage& picture) {
    const long w = picture.width, h = picture.height;
    if (w < 0 || h < 0 || (w > 0 && h > LONG_MAX / 3 / w) ||
        picture.rgb.size() != size_t(3 * w * h))
        throw vxImageFileError("overlay picture's pixels do not match its size");
}

} // namespace

void vxOverlay::line(const vxVector<2>& from, const vxVector<2>& to, vxColour colour,
                     double width) {
    checkPicture(picture_);
    if (!isFinitePoint(from) || !isFinitePoint(to) || !usableWidth(width)) return;
    stroke(picture_, {{point(from), point(to)}}, false, colour, width);
}

void vxOverlay::polygon(const std::vector<vxVector<2>>& points, vxColour colour, double width) {
    checkPicture(picture_);
    if (!usableWidth(width) || !std::all_of(points.begin(), points.end(), isFinitePoint)) return;
    std::vector<Point> p;
    for (const auto& v : points)
        p.push_back(point(v));
    stroke(picture_, {p}, true, colour, width);
}

void vxOverlay::arc(const vxVector<2>& centre, double radius, double start, double sweep,
                    vxColour colour, double width) {
    checkPicture(picture_);
    if (!isFinitePoint(centre) || !std::isfinite(radius) || radius < 0 || !std::isfinite(start) ||
        !std::isfinite(sweep) || !usableWidth(width))
        return;
    const real pi = std::numbers::pi_v<real>;
    const real span = std::min<real>(std::fabs(sweep), 2 * pi);
    const real from = sweep < 0 ? start - span : start;
    const Point c = point(centre);
    // Chords stay within a tenth of a pixel of the circle; their number is also capped by
    // the picture's size.
    const real step = std::sqrt(0.8L / std::max<real>(radius, 0.8L));
    const real cap = 4.0L * (picture_.width + picture_.height) + 64;
    std::vector<std::vector<Point>> pieces;
    for (const auto& [lo, hi] : visibleArcPieces(picture_, c, radius, from, span, width / 2 + 1)) {
        const long n = long(std::clamp(std::ceil((hi - lo) / step), real(1), cap));
        pieces.emplace_back();
        for (long k = 0; k <= n; ++k) {
            const real a = lo + (hi - lo) * k / n;
            pieces.back().push_back(Point{c.x + radius * std::cos(a), c.y + radius * std::sin(a)});
        }
    }
    stroke(picture_, pieces, false, colour, width);
}

void vxOverlay::text(const std::string& text, const vxVector<2>& at, double height,
                     vxColour colour) {
    checkPicture(picture_);
    if (!isFinitePoint(at) || !std::isfinite(height) || height <= 0) return;
    const vxTestFont& font = vxTestFont::get(vxTestFont::eStroke);
    const real h = height;
    const real width = std::max<real>(1, font.defaultStrokeWidth() * h);
    const real advance = vxTestFont::cellWidth * h;
    long cell = -1;
    for (size_t k = 0; k < text.size(); ++k) {
        // UTF-8 continuation bytes belong to the character before them: one cell each.
        if ((static_cast<unsigned char>(text[k]) & 0xc0) == 0x80 && cell >= 0) continue;
        ++cell;
        const real cx = at.x() + (cell + 0.5L) * advance,
                   cy = at.y() + vxTestFont::cellHeight / 2 * h;
        if (cx - advance / 2 - width > picture_.width) break; // the rest lies right of it
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[k])));
        std::vector<std::vector<Point>> strokes;
        if (font.hasGlyph(c)) {
            for (const auto& line : font.glyph(c).strokes) {
                strokes.emplace_back();
                for (const auto& q : line)
                    strokes.back().push_back(Point{cx + q.x() * h, cy + q.y() * h});
            }
            stroke(picture_, strokes, false, colour, width);
        } else {
            const real bx = 0.3L * h, by = 0.5L * h;
            strokes.push_back(
                {{cx - bx, cy - by}, {cx + bx, cy - by}, {cx + bx, cy + by}, {cx - bx, cy + by}});
            stroke(picture_, strokes, true, colour, width);
        }
    }
}
