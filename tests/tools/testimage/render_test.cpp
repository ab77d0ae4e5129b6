#include "vxPelOps.h"
#include "vxTestImageDefs.h"
#include "vxTestScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

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
