// Alignment runs: parameters and errors, masks, time limits and abort requests.
#include "align_support.h"
#include "vxAttention.h"
#include "vxKSAlignPattern.h"
#include "vxPelOps.h"
#include "vxTestScene.h"
#include "vx_KSFootprint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace {

vxKSAlignPattern taught(char code, const vxTestScene& look = vxTestScene()) {
    vxKSAlignPattern p;
    p.train(vfRenderTestChar(code, 40.0, look, 4).image, vx_KSDefs::eTrainAll);
    return p;
}

vxTestCharPlacement at(char code, double x, double y, double angleDeg = 0.0, double scale = 1.0) {
    vxTestCharPlacement p;
    p.code = code;
    p.x = x;
    p.y = y;
    p.angle = vxDegree(angleDeg);
    p.scale = scale;
    p.size = 40.0;
    return p;
}

// Where the pattern's training-window centre lands under a result's pose.
vxVector<2> centreOf(const vxKSAlignPattern& p, const vxKSAlignResult& r) {
    const vxPelRect w = p.trainImage().window();
    const vxVector<2> c(w.x() + 0.5 * w.width(), w.y() + 0.5 * w.height());
    return r.pose().mapPoint(p.trainClientFromImage()->mapPoint(c));
}

} // namespace

TEST(AlignParams, DefaultsHoldThePoseAndSettersRejectBadValues) {
    vxKSAlignRunParams p;
    EXPECT_EQ(p.zoneEnable(), 0u);
    EXPECT_EQ(p.nominal(vx_KSDefs::eAngle), 0.0);
    EXPECT_EQ(p.nominal(vx_KSDefs::eScale), 1.0);
    EXPECT_EQ(p.algorithm(), vx_KSDefs::eCoarseToFine);
    const vxKSAlignRunParams before = p;
    EXPECT_THROW(p.acceptThreshold(1.5), vx_KSDefs::BadParams);
    EXPECT_THROW(p.contrastThreshold(-1.0), vx_KSDefs::BadParams);
    EXPECT_THROW(p.numToFind(0), vx_KSDefs::BadParams);
    EXPECT_THROW(p.nominal(vx_KSDefs::eScale, 0.0), vx_KSDefs::BadParams);
    EXPECT_THROW(p.nominal(3, 1.0), vx_KSDefs::BadParams);
    EXPECT_THROW(p.zone(vx_KSDefs::eAngle, 10.0, -10.0), vx_KSDefs::BadParams);
    EXPECT_THROW(p.zone(vx_KSDefs::eScale, 0.0, 2.0), vx_KSDefs::BadParams);
    EXPECT_THROW(p.zoneEnable(4), vx_KSDefs::BadParams);
    EXPECT_THROW(p.xyOverlap(std::nan("")), vx_KSDefs::BadParams);
    EXPECT_THROW(p.algorithm(3), vx_KSDefs::BadParams);
    EXPECT_TRUE(p == before);

    vxKSAlignPattern pattern;
    EXPECT_THROW(pattern.grainLimits(0.5, 4.0), vx_KSDefs::BadParams);
    pattern.grainLimits(2.0, 4.0); // either order
    EXPECT_EQ(pattern.grainLimits(), std::make_pair(4.0, 2.0));
    EXPECT_FALSE(pattern.autoSelectGrainLimits());
    pattern.autoSelectGrainLimits(true);
    EXPECT_TRUE(pattern.autoSelectGrainLimits());
}

TEST(AlignTrain, FailuresThrowToolErrorsAndKeepThePreviousTraining) {
    vxKSAlignPattern p = taught('5');
    const int coarse = p.coarseLevel();
    EXPECT_GT(coarse, 0);
    EXPECT_THROW(p.train(vxPelBuffer_const<unsigned char>()), vx_KSDefs::BadImage);
    vxPelBuffer<unsigned char> flat(40, 60);
    vfPelSet(flat, 128);
    EXPECT_THROW(p.train(flat), vx_KSDefs::TooFewFeatures);
    try {
        p.train(flat);
    } catch (const vx_KSDefs::Errors& e) {
        EXPECT_EQ(e.errorNumber(), 0x100000e3);
    }
    EXPECT_THROW(p.train(vfRenderTestChar('5', 40.0, vxTestScene()).image, 4),
                 vx_KSDefs::BadParams);
    EXPECT_TRUE(p.isTrained());
    EXPECT_EQ(p.coarseLevel(), coarse);

    vxKSAlignResultSet results;
    EXPECT_THROW(vxKSAlignPattern().run(flat, fullSearch(), results), vx_KSDefs::NotTrained);
    EXPECT_THROW(p.run(flat, vxPelBuffer<unsigned char>(10, 10), fullSearch(), results),
                 vx_KSDefs::BadImage);
    p.run(vxPelBuffer<unsigned char>(2, 2), fullSearch(), results);
    EXPECT_EQ(results.numResults(), 0);
}

TEST(AlignRun, DontCarePixelsCountNeitherForNorAgainst) {
    const vxKSAlignPattern p = taught('8');
    vxTestScene scene;
    // A bar of clutter across the lower half of the character.
    scene.occlusions.push_back(vxTestOcclusion::rectangle(vxRect(300, 245, 40, 12), 40.0));
    const vxTestImage img = vfRenderTestImage(scene, {at('8', 320.0, 240.0)});
    vxPelBuffer<unsigned char> mask(640, 480);
    vfPelSet(mask, 255);
    vxPelBuffer<unsigned char> hole = mask;
    hole.window(vxPelRect(296, 241, 48, 20), false);
    vfPelSet(hole, 0);
    vxKSAlignResultSet plain, masked;
    p.run(img.image, fullSearch(), plain);
    p.run(img.image, mask, fullSearch(), masked);
    ASSERT_EQ(masked.numResults(), 1);
    ASSERT_EQ(plain.numResults(), 1);
    EXPECT_GT(masked[0].score(), 0.97);
    EXPECT_LT(plain[0].score(), masked[0].score() - 0.05);
    EXPECT_LT((centreOf(p, masked[0]) - img.truth[0].center).length(), 0.1);
}

TEST(AlignRun, TimeLimitsAndAbortRequestsStopTheRun) {
    const vxKSAlignPattern p = taught('2');
    vxTestScene scene;
    scene.noiseSigma = 4.0;
    const vxTestImage img =
        vfRenderTestImage(scene, {at('2', 200.0, 200.0, 45.0), at('2', 450.0, 300.0)});
    vxKSAlignResultSet results;
    {
        vxAttentionTag tag;
        tag.attachTimeoutCustom(1.0, 0x80000064);
        try {
            p.run(img.image, fullSearch(2), results);
            FAIL() << "a 1 ms limit should expire";
        } catch (const vxTimeout::InternalExpired& e) {
            EXPECT_EQ(e.code(), 0x80000064u);
        }
        // Whatever was refined before the deadline is a real, merged result.
        EXPECT_LE(results.numResults(), 2);
        for (const vxKSAlignResult& r : results.results())
            EXPECT_GT(r.score(), 0.9);
    }
    {
        vxAttentionTag tag;
        tag.attachTimeout(0.0);
        EXPECT_THROW(p.run(img.image, fullSearch(2), results), vxTimeout::Expired);
    }
    p.run(img.image, fullSearch(2), results);
    EXPECT_EQ(results.numResults(), 2);
    const vxAttention::Token token = vxAttention::current();
    token.requestAbort();
    EXPECT_THROW(p.run(img.image, fullSearch(2), results), vx_KSDefs::InternalError);
    token.clearAbort();
    EXPECT_EQ(results.numResults(), 0);
}
