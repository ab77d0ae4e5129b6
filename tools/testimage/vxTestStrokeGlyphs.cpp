// The stroke font's glyph table. Glyphs are drawn on a design grid of 0.05 em: the
// cap-height band is x in [0, 10], y in [0, 20] (y down, 20 the baseline), mapped so
// that its centre (5, 10) becomes the em origin. Arc angles are in degrees with y down
// (0 right, 90 bottom, 270 top); an arc runs from its first angle to its second in
// either sense.
#include "vx_TestGlyphTables.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kUnit = 0.05;

class GlyphBuilder {
public:
    explicit GlyphBuilder(char c) { g_.code = c; }

    // Starts a new polyline at (x, y).
    GlyphBuilder& M(double x, double y) {
        g_.strokes.emplace_back();
        open_ = true;
        return L(x, y);
    }
    // Continues the current polyline to (x, y).
    GlyphBuilder& L(double x, double y) {
        g_.strokes.back().push_back(vxVector<2>((x - 5.0) * kUnit, (y - 10.0) * kUnit));
        return *this;
    }
    // Continues the open polyline (or starts one) along an elliptical arc; a line
    // joins the polyline's last point to the arc's start.
    GlyphBuilder& A(double cx, double cy, double rx, double ry, double a0, double a1) {
        if (!open_) g_.strokes.emplace_back();
        open_ = true;
        const int n = std::max(2, int(std::ceil(std::abs(a1 - a0) / 7.5)));
        for (int k = 0; k <= n; ++k) {
            const double a = (a0 + (a1 - a0) * k / n) * std::numbers::pi / 180.0;
            L(cx + rx * std::cos(a), cy + ry * std::sin(a));
        }
        return *this;
    }
    // A closed ellipse as a polyline of its own.
    GlyphBuilder& E(double cx, double cy, double rx, double ry) {
        open_ = false;
        A(cx, cy, rx, ry, 0.0, 360.0);
        g_.strokes.back().back() = g_.strokes.back().front();
        open_ = false;
        return *this;
    }
    // A round dot.
    GlyphBuilder& D(double x, double y) {
        M(x, y);
        open_ = false;
        return *this;
    }
    vxTestGlyph done() { return std::move(g_); }

private:
    vxTestGlyph g_;
    bool open_ = false; // whether A continues the last polyline
};

// The glyph turned by half a turn about the cell centre.
vxTestGlyph halfTurn(vxTestGlyph g, char code) {
    g.code = code;
    for (auto& s : g.strokes)
        for (auto& p : s)
            p = -p;
    return g;
}

} // namespace

std::vector<vxTestGlyph> vf_StrokeGlyphs() {
    using B = GlyphBuilder;
    std::vector<vxTestGlyph> v;
    v.push_back(B(' ').done());
    v.push_back(B('-').M(2, 10).L(8, 10).done());
    v.push_back(B('.').D(5, 19.4).done());
    v.push_back(B('/').M(1, 20).L(9, 0).done());
    v.push_back(B('0').E(5, 10, 4, 10).done());
    v.push_back(B('1').M(2, 4).L(5, 0).L(5, 20).M(2, 20).L(8, 20).done());
    v.push_back(B('2').A(5, 5, 5, 5, 180, 385).L(0, 20).L(10, 20).done());
    v.push_back(B('3').A(5, 5, 4.75, 5, 200, 450).A(5, 15, 5, 5, 270, 520).done());
    v.push_back(B('4').M(7, 20).L(7, 0).L(0, 14).L(10, 14).done());
    v.push_back(B('5').M(9.5, 0).L(1, 0).A(5, 13.5, 5, 6.5, 225, 520).done());
    const vxTestGlyph six = B('6').A(10.5, 14.5, 10.5, 14, 262, 180).E(5, 14.5, 5, 5.5).done();
    v.push_back(six);
    v.push_back(B('7').M(0, 0).L(10, 0).L(3, 20).done());
    v.push_back(B('8').E(5, 4.75, 4.25, 4.75).E(5, 14.75, 5, 5.25).done());
    v.push_back(halfTurn(six, '9'));
    v.push_back(B(':').D(5, 7).D(5, 19.4).done());
    v.push_back(B('A').M(0, 20).L(5, 0).L(10, 20).M(1.75, 13).L(8.25, 13).done());
    v.push_back(B('B')
                    .M(0, 9.5)
                    .L(0, 0)
                    .L(5, 0)
                    .A(5, 4.75, 4.75, 4.75, 270, 450)
                    .L(0, 9.5)
                    .L(0, 20)
                    .L(4.75, 20)
                    .A(4.75, 14.75, 5.25, 5.25, 90, -90)
                    .L(0, 9.5)
                    .done());
    v.push_back(B('C').A(5.5, 10, 5.5, 10, 320, 40).done());
    v.push_back(B('D').M(0, 0).L(0, 20).L(3.5, 20).A(3.5, 10, 6.5, 10, 90, -90).L(0, 0).done());
    v.push_back(B('E').M(10, 0).L(0, 0).L(0, 20).L(10, 20).M(0, 10).L(8, 10).done());
    v.push_back(B('F').M(10, 0).L(0, 0).L(0, 20).M(0, 10).L(8, 10).done());
    v.push_back(B('G').A(5.25, 10, 5.25, 10, 320, 0).L(5.5, 10).done());
    v.push_back(B('H').M(0, 0).L(0, 20).M(10, 0).L(10, 20).M(0, 10).L(10, 10).done());
    v.push_back(B('I').M(5, 0).L(5, 20).M(2, 0).L(8, 0).M(2, 20).L(8, 20).done());
    v.push_back(B('J').M(4, 0).L(10, 0).M(8, 0).L(8, 15).A(4, 15, 4, 5, 0, 180).done());
    v.push_back(B('K').M(0, 0).L(0, 20).M(10, 0).L(0, 12.5).M(3.6, 8).L(10, 20).done());
    v.push_back(B('L').M(0, 0).L(0, 20).L(10, 20).done());
    v.push_back(B('M').M(-0.5, 20).L(-0.5, 0).L(5, 14).L(10.5, 0).L(10.5, 20).done());
    v.push_back(B('N').M(0, 20).L(0, 0).L(10, 20).L(10, 0).done());
    v.push_back(B('O').E(5, 10, 5.5, 10).done());
    v.push_back(B('P').M(0, 20).L(0, 0).L(5, 0).A(5, 5.25, 5, 5.25, 270, 450).L(0, 10.5).done());
    v.push_back(B('Q').E(5, 10, 5.5, 10).M(6, 14).L(11, 21).done());
    v.push_back(B('R')
                    .M(0, 20)
                    .L(0, 0)
                    .L(5, 0)
                    .A(5, 5.25, 5, 5.25, 270, 450)
                    .L(0, 10.5)
                    .M(4.5, 10.5)
                    .L(10, 20)
                    .done());
    v.push_back(B('S').A(5, 5, 4.75, 5, 330, 90).A(5, 15, 5, 5, 270, 510).done());
    v.push_back(B('T').M(0, 0).L(10, 0).M(5, 0).L(5, 20).done());
    v.push_back(B('U').M(0, 0).L(0, 14.5).A(5, 14.5, 5, 5.5, 180, 0).L(10, 0).done());
    v.push_back(B('V').M(0, 0).L(5, 20).L(10, 0).done());
    v.push_back(B('W').M(-0.5, 0).L(2.25, 20).L(5, 6).L(7.75, 20).L(10.5, 0).done());
    v.push_back(B('X').M(0, 0).L(10, 20).M(10, 0).L(0, 20).done());
    v.push_back(B('Y').M(0, 0).L(5, 10).L(10, 0).M(5, 10).L(5, 20).done());
    v.push_back(B('Z').M(0, 0).L(10, 0).L(0, 20).L(10, 20).done());
    return v;
}
