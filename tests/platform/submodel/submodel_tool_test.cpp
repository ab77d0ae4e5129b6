// The sub-model tool must find smooth glyphs at the right sub-pixel offset, score flat
// data 0, and refuse bad arguments and expired limits cleanly.
#include "vxAttention.h"
#include "vx_SubModelDefs.h"
#include "vx_SubModelTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using Image = vxPelBuffer<unsigned char>;
using Ink = std::function<double(double x, double y)>; // 0 paper .. 1 ink, image coordinates

// Ink of the axis-parallel bar [x0, x1] x [y0, y1] blurred by a Gaussian of 1.2 pixels.
Ink bar(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) {
        const double k = 1.0 / (1.2 * std::sqrt(2.0));
        auto edge = [k](double t, double a, double b) {
            return 0.5 * (std::erf((t - a) * k) - std::erf((t - b) * k));
        };
        return edge(x, x0, x1) * edge(y, y0, y1);
    };
}

// Ink of a ring of radius r around (cx, cy), a stroke with a Gaussian profile.
Ink ring(double cx, double cy, double r) {
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy) - r;
        return std::exp(-d * d / (2 * 1.3 * 1.3));
    };
}

Ink both(Ink a, Ink b) {
    return [=](double x, double y) { return std::max(a(x, y), b(x, y)); };
}

// An image over `root` (image coordinates) whose window is `area`, drawn dark on light
// and sampled at pixel centres.
Image draw(const vxPelRect& root, const vxPelRect& area, const Ink& ink) {
    Image im(root);
    for (long y = root.y(); y < root.lr().y(); ++y)
        for (long x = root.x(); x < root.lr().x(); ++x)
            *im.pointToPel(x, y) = static_cast<unsigned char>(
                std::lround(220.0 - 180.0 * ink(double(x) + 0.5, double(y) + 0.5)));
    im.window(area, false);
    return im;
}

Image filled(const vxPelRect& area, unsigned char v) {
    Image im(area);
    for (long y = area.y(); y < area.lr().y(); ++y)
        std::fill_n(im.pointToPel(area.x(), y), area.width(), v);
    return im;
}

// Run parameters as an alphabet compilation makes them for a w x h model.
vxWarpSubModelCorRunParams compileParams(long w, long h) {
    vxWarpSubModelCorRunParams p;
    p.acceptThreshold(0.0);
    p.xyUncertainty(vxVector<2>(double(w), double(h)));
    p.partialMatch(vxPelRect(-w / 2, -h / 2, w, h));
    return p;
}

vx_SubModelTool trained(const vxPelBuffer_const<unsigned char>& image,
                        const vxPelBuffer_const<unsigned char>& mask = {}) {
    vx_SubModelTool tool;
    tool.train(vxWarpSubModel(image, mask, L""), vxWarpSubModelCorTrainParams());
    return tool;
}

const vxPelRect kArea(0, 0, 32, 48);

} // namespace

TEST(SubModelTool, FindsAGlyphInsideAnotherGlyphOffTheModelGrid) {
    // A dotless "i" in one image area, found in an "i" in another area placed elsewhere
    // in its image: the offset is the stems' displacement.
    const Image model = draw({0, 0, 60, 70}, {9, 11, 32, 48}, bar(23, 20, 27, 44));
    const Image image = draw({0, 0, 60, 70}, {4, 6, 32, 48},
                             both(bar(14.7, 22.4, 18.7, 46.4), bar(14.7, 14.4, 18.7, 18.4)));
    vx_SubModelResultSet rs;
    trained(model).run(image, vxXform<2>(), compileParams(32, 48), rs);
    ASSERT_EQ(rs.numFound(), 1);
    EXPECT_NEAR(rs[0].pose().trans().x(), -8.3, 0.1);
    EXPECT_NEAR(rs[0].pose().trans().y(), 2.4, 0.1);
    EXPECT_TRUE(rs[0].pose().matrix().isIdentity());
    EXPECT_GT(rs[0].score(), 0.6);
    EXPECT_LT(rs[0].score(), 0.99);
}

// Flat data scores 0, which an accept threshold of 0 still accepts, and stays at the
// nearest whole-pixel placement to the start.
TEST(SubModelTool, FlatDataScoresZeroAtTheStart) {
    const Image glyph = draw(kArea, kArea, ring(16, 24, 7));
    const Image flat = filled(kArea, 128);
    const vxXform<2> start(vxMatrix<2>(), vxVector<2>(2.5, -1));
    vxWarpSubModelCorRunParams p = compileParams(32, 48);
    p.acceptThreshold(0.0);
    vx_SubModelResultSet rs;
    for (const auto& [model, image] : {std::pair(flat, glyph), std::pair(glyph, flat)}) {
        trained(model).run(image, start, p, rs);
        ASSERT_EQ(rs.numFound(), 1);
        EXPECT_EQ(rs[0].score(), 0.0);
        EXPECT_NEAR(std::fabs(rs[0].pose().trans().x() - 2.5), 0.5, 1e-12);
        EXPECT_EQ(rs[0].pose().trans().y(), -1.0);
    }
}

TEST(SubModelTool, BadArgumentsAndTimeLimitsThrowAndLeaveResultsAlone) {
    const Image glyph = draw(kArea, kArea, ring(16, 24, 7));
    vx_SubModelResultSet rs;
    const vxWarpSubModelCorRunParams p = compileParams(32, 48);
    EXPECT_THROW(vx_SubModelTool().run(glyph, vxXform<2>(), p, rs), vx_SubModelDefs::NotTrained);
    EXPECT_THROW(vxWarpSubModel{Image()}, vx_SubModelDefs::BadImage);
    EXPECT_THROW(vxWarpSubModel(glyph, filled({1, 0, 32, 48}, 255)), vx_SubModelDefs::BadImage);

    const vx_SubModelTool tool = trained(glyph);
    tool.run(glyph, vxXform<2>(), p, rs);
    ASSERT_EQ(rs.numFound(), 1);
    const vxXform<2> turned(vxVector<2>(), 1.0, 1.0, vxRadian(0), vxRadian(0.1));
    EXPECT_THROW(tool.run(glyph, turned, p, rs), vx_SubModelDefs::NotImplemented);
    EXPECT_THROW(tool.run(glyph, filled({0, 0, 31, 48}, 255), vxXform<2>(), p, rs),
                 vx_SubModelDefs::BadImage);
    {
        vxAttentionTag limit;
        limit.attachTimeout(0);
        EXPECT_THROW(tool.run(glyph, vxXform<2>(), p, rs), vxTimeout::Expired);
    }
    EXPECT_EQ(rs.numFound(), 1);

    // One representative per kind of parameter refusal.
    vxWarpSubModelCorRunParams q;
    EXPECT_THROW(q.acceptThreshold(1.5), vx_SubModelDefs::BadParams);
    EXPECT_THROW(q.zoneEnable(1), vx_SubModelDefs::NotImplemented);
    EXPECT_EQ(q.acceptThreshold(), 0.5);
}
