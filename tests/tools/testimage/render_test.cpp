#include "vxPelOps.h"
#include "vxTestImageDefs.h"
#include "vxTestScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Ink weights (0 for background, 1 for full ink) of an image rendered with the
// default levels, dark on light.
double inkAt(const vxTestImage& t, long x, long y) {
    return (200.0 - *t.image.pointToPel(x, y)) / 160.0;
}

vxVector<2> inkCentroid(const vxTestImage& t) {
    double sum = 0.0, sx = 0.0, sy = 0.0;
    for (long y = 0; y < t.image.height(); ++y)
        for (long x = 0; x < t.image.width(); ++x) {
            const double w = inkAt(t, x, y);
            sum += w;
            sx += w * (x + 0.5);
            sy += w * (y + 0.5);
        }
    return vxVector<2>(sx / sum, sy / sum);
}

vxTestCharPlacement place(char c, double x, double y, double angle, double size, double scale) {
    vxTestCharPlacement p;
    p.code = c;
    p.x = x;
    p.y = y;
    p.angle = vxRadian(angle);
    p.size = size;
    p.scale = scale;
    return p;
}

} // namespace

TEST(TestImageRender, SymmetricGlyphInkCentroidIsTheReportedCentre) {
    vxTestScene scene;
    scene.width = 120;
    scene.height = 120;
    for (vxTestFont::Style font : {vxTestFont::eStroke, vxTestFont::eDotMatrix}) {
        scene.font = font;
        for (char c : {'O', 'H', '0', 'X'}) {
            const vxTestImage t = vfRenderTestImage(scene, {place(c, 57.3, 61.8, 0.7, 36.0, 1.13)});
            ASSERT_EQ(t.truth.size(), 1u);
            const vxVector<2> centroid = inkCentroid(t);
            EXPECT_NEAR(centroid.x(), t.truth[0].center.x(), 0.05) << c << " font " << font;
            EXPECT_NEAR(centroid.y(), t.truth[0].center.y(), 0.05) << c << " font " << font;
        }
    }
}

TEST(TestImageRender, TruthMapsTheGlyphCellIntoTheImage) {
    const vxTestCharTruth t =
        vfTestCharTruth(place('A', 100.0, 50.0, std::acos(-1.0) / 2, 40, 0.5));
    // A quarter turn clockwise: the cell's upper-left corner (-0.4, -0.7) em goes to
    // (0.7, -0.4) em, at 20 pixels per em.
    EXPECT_TRUE(vfRealEq(t.cell.cornerPo(), vxVector<2>(114.0, 42.0), 1e-9));
    EXPECT_TRUE(vfRealEq(t.cell.center(), t.center, 1e-9));
    EXPECT_DOUBLE_EQ(t.pixelsPerEm, 20.0);
    EXPECT_DOUBLE_EQ(t.strokeWidth, 0.12 * 40 * 0.5);
}

// Every glyph of both fonts stays inside its cell and spans the cap-height band, so a
// typing slip in a glyph table shows.
TEST(TestImageRender, GlyphsFillTheCapBandAndStayInTheirCells) {
    for (vxTestFont::Style style : {vxTestFont::eStroke, vxTestFont::eDotMatrix}) {
        const vxTestFont& font = vxTestFont::get(style);
        vxTestScene look;
        look.font = style;
        for (char c : font.characters()) {
            const long margin = 6;
            const vxTestImage t = vfRenderTestChar(c, 50.0, look, margin);
            const vxRect cell = t.truth[0].cell.encloseRect();
            EXPECT_DOUBLE_EQ(cell.x() + cell.width() / 2, t.image.width() / 2.0);
            double top = 1e9, bottom = -1e9;
            for (long y = 0; y < t.image.height(); ++y)
                for (long x = 0; x < t.image.width(); ++x) {
                    if (inkAt(t, x, y) < 0.5) continue;
                    EXPECT_TRUE(x + 0.5 > cell.x() && x + 0.5 < cell.x() + cell.width() &&
                                y + 0.5 > cell.y() && y + 0.5 < cell.y() + cell.height())
                        << c << " at " << x << "," << y;
                    top = std::min(top, y + 0.5);
                    bottom = std::max(bottom, y + 0.5);
                }
            if (!std::isalnum(static_cast<unsigned char>(c))) continue;
            const double cy = t.truth[0].center.y(), hw = t.truth[0].strokeWidth / 2;
            EXPECT_NEAR(top, cy - 25.0 - hw, 3.0) << c << " font " << style;
            EXPECT_NEAR(bottom, cy + 25.0 + hw, c == 'Q' ? 6.0 : 3.0) << c << " font " << style;
        }
    }
}

TEST(TestImageRender, SeedDecidesTheNoise) {
    vxTestScene scene;
    scene.width = 64;
    scene.height = 48;
    scene.noiseSigma = 5.0;
    scene.seed = 7;
    const std::vector<vxTestCharPlacement> chars = {place('8', 32, 24, 0.2, 20, 1)};
    const vxTestImage a = vfRenderTestImage(scene, chars), b = vfRenderTestImage(scene, chars);
    EXPECT_TRUE(vfPelEqual(a.image, b.image));
    scene.seed = 8;
    EXPECT_FALSE(vfPelEqual(a.image, vfRenderTestImage(scene, chars).image));
}

TEST(TestImageRender, PolarityInvertsTheLevels) {
    vxTestScene scene;
    scene.width = 80;
    scene.height = 60;
    scene.blurSigma = 0.8;
    const std::vector<vxTestCharPlacement> chars = {place('R', 40, 30, -0.3, 30, 1)};
    const vxTestImage dark = vfRenderTestImage(scene, chars);
    scene.polarity = vxTestScene::eLightOnDark;
    const vxTestImage light = vfRenderTestImage(scene, chars);
    int inked = 0;
    for (long y = 0; y < 60; ++y)
        for (long x = 0; x < 80; ++x) {
            const int a = *dark.image.pointToPel(x, y), b = *light.image.pointToPel(x, y);
            ASSERT_NEAR(a + b, 240, 1);
            inked += a < 100;
        }
    EXPECT_GT(inked, 50);
}

TEST(TestImageRender, NoiseHasTheRequestedSigma) {
    vxTestScene scene;
    scene.width = 200;
    scene.height = 200;
    scene.light = 128.0;
    scene.noiseSigma = 8.0;
    const vxTestImage t = vfRenderTestImage(scene, {});
    double sum = 0.0, sum2 = 0.0;
    for (long y = 0; y < 200; ++y)
        for (long x = 0; x < 200; ++x) {
            const double v = *t.image.pointToPel(x, y);
            sum += v;
            sum2 += v * v;
        }
    const double n = 200.0 * 200.0, mean = sum / n;
    EXPECT_NEAR(mean, 128.0, 0.3);
    EXPECT_NEAR(std::sqrt(sum2 / n - mean * mean), 8.0, 0.8);
}

TEST(TestImageRender, DegradationsChangeTheBackgroundAsDocumented) {
    vxTestScene scene;
    scene.width = 100;
    scene.height = 50;
    scene.contrast = 0.5;
    scene.gradient = vxVector<2>(0.002, 0.0);
    scene.occlusions.push_back(
        vxTestOcclusion::band(vxVector<2>(50, 0), vxVector<2>(50, 50), 10, 0));
    const vxTestImage t = vfRenderTestImage(scene, {});
    // Background 200 pulled halfway to the mean 120, times 1 + 0.002 (x + 0.5 - 50).
    EXPECT_EQ(*t.image.pointToPel(0, 10), std::lround(160.0 * (1 + 0.002 * (0.5 - 50))));
    EXPECT_EQ(*t.image.pointToPel(99, 10), std::lround(160.0 * (1 + 0.002 * (99.5 - 50))));
    EXPECT_EQ(*t.image.pointToPel(50, 25), 0);
    EXPECT_EQ(*t.image.pointToPel(44, 25), std::lround(160.0 * (1 + 0.002 * (44.5 - 50))));
}

TEST(TestImageRender, BadArgumentsThrowBeforeRendering) {
    using Bad = vxTestImageDefs::BadArgument;
    vxTestScene scene;
    const auto ok = place('A', 10, 10, 0, 20, 1);
    EXPECT_THROW(vfRenderTestImage(scene, {place('a', 10, 10, 0, 20, 1)}),
                 vxTestImageDefs::UnknownChar);
    EXPECT_THROW(vfRenderTestImage(scene, {place('A', NAN, 10, 0, 20, 1)}), Bad);
    EXPECT_THROW(vfRenderTestImage(scene, {place('A', 10, 10, 0, 0, 1)}), Bad);
    EXPECT_THROW(vfRenderTestImage(scene, {place('A', 10, 10, 0, 2e6, 1)}), Bad);
    for (auto spoil :
         {+[](vxTestScene& s) { s.width = 0; }, +[](vxTestScene& s) { s.contrast = 0; },
          +[](vxTestScene& s) { s.noiseSigma = -1; }, +[](vxTestScene& s) { s.blurSigma = NAN; },
          +[](vxTestScene& s) { s.light = 256; },
          +[](vxTestScene& s) { s.polarity = vxTestScene::Polarity(4); },
          +[](vxTestScene& s) {
              s.occlusions.push_back(vxTestOcclusion::rectangle(vxRect(1, 1, 0, 5), 9));
          }}) {
        vxTestScene bad = scene;
        spoil(bad);
        EXPECT_THROW(vfRenderTestImage(bad, {ok}), Bad);
    }
    EXPECT_THROW(vfRenderTestChar('A', 20, scene, -1), Bad);
    EXPECT_THROW(vxTestOcclusion::band(vxVector<2>(1, 1), vxVector<2>(1, 1), 3, 0), Bad);
}
