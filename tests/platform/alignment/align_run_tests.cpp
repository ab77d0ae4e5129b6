// Alignment runs: parameters and errors, polarity, masks, held degrees of freedom,
// client coordinates, overlapping results, time limits and abort requests.
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

TEST(AlignTrain, SmallCharacterFallsBackToFinerLevelsAndIsStillFound) {
    vxKSAlignPattern p;
    p.train(vfRenderTestChar('1', 12.0, vxTestScene(), 2).image);
    EXPECT_LE(p.coarseLevel(), 1);
    vxTestCharPlacement c = at('1', 100.3, 80.6, 33.0);
    c.size = 12.0;
    vxTestScene scene;
    scene.width = 200;
    scene.height = 160;
    const vxTestImage img = vfRenderTestImage(scene, {c});
    vxKSAlignResultSet results;
    p.run(img.image, fullSearch(), results);
    ASSERT_EQ(results.numResults(), 1);
    EXPECT_GT(results[0].score(), 0.9);
    EXPECT_LT((centreOf(p, results[0]) - img.truth[0].center).length(), 0.2);
}

// A thin character in a wide window of noisy paper: the paper's noise peaks outnumber
// the ink's edges, and a pattern trained on them scored 0.3 in its own image.
TEST(AlignTrain, LittleInkOnNoisyPaperIsTrainedOnTheInk) {
    vxTestScene scene;
    scene.width = 90;
    scene.height = 90;
    scene.noiseSigma = 3.0;
    for (char c : {'1', '7', 'L'}) {
        const vxTestImage img = vfRenderTestImage(scene, {at(c, 45.0, 45.0, 0.0)});
        vxKSAlignPattern p;
        p.train(img.image);
        vxKSAlignResultSet results;
        p.run(img.image, vxKSAlignRunParams(), results);
        ASSERT_EQ(results.numResults(), 1) << c;
        EXPECT_GT(results[0].score(), 0.95) << c;
    }
}

TEST(AlignTrain, SearchOnlyAndFineOnlyModesStillFindTheCharacter) {
    vxTestScene small;
    small.width = 300;
    small.height = 240;
    const vxTestImage crop = vfRenderTestImage(small, {at('5', 150.3, 120.8, -100.0, 0.93)});
    for (long mode : {vx_KSDefs::eTrainSearch, vx_KSDefs::eTrainFine}) {
        vxKSAlignPattern p;
        p.train(vfRenderTestChar('5', 40.0, vxTestScene(), 4).image, mode);
        // A single full-resolution level is searched exhaustively: keep its zone small.
        vxKSAlignRunParams params = fullSearch();
        if (mode == vx_KSDefs::eTrainFine) params.zone(vx_KSDefs::eAngle, -110.0, -90.0);
        vxKSAlignResultSet results;
        p.run(crop.image, params, results);
        ASSERT_EQ(results.numResults(), 1) << mode;
        // Without the least-squares step the pose is good to about a pixel.
        const double tolerance = mode == vx_KSDefs::eTrainSearch ? 1.5 : 0.1;
        EXPECT_LT((centreOf(p, results[0]) - crop.truth[0].center).length(), tolerance) << mode;
    }
}

TEST(AlignRun, PolarityIsRespected) {
    const vxKSAlignPattern p = taught('7');
    vxTestScene reversed;
    reversed.polarity = vxTestScene::eLightOnDark;
    const vxTestImage img = vfRenderTestImage(reversed, {at('7', 320.0, 240.0, 20.0)});
    vxKSAlignRunParams params = fullSearch();
    params.acceptThreshold(0.0);
    vxKSAlignResultSet results;
    p.run(img.image, params, results);
    // Shifted by a stroke width, one side of each reversed stroke agrees: about half.
    for (const vxKSAlignResult& r : results.results())
        EXPECT_LT(r.score(), 0.6);
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

// Runs reuse the run image's pyramid while its pixels and mask stay the same; pixels
// or a mask changed in place between runs must be seen.
TEST(AlignRun, ImagesAndMasksChangedInPlaceBetweenRunsAreSeen) {
    const vxKSAlignPattern p = taught('8');
    const vxTestImage first = vfRenderTestImage(vxTestScene(), {at('8', 200.0, 200.0)});
    const vxTestImage second = vfRenderTestImage(vxTestScene(), {at('8', 420.0, 310.0, 30.0)});
    vxPelBuffer<unsigned char> image = vfPelCopy(first.image);
    vxKSAlignResultSet results;
    p.run(image, fullSearch(), results);
    ASSERT_EQ(results.numResults(), 1);
    EXPECT_LT((centreOf(p, results[0]) - first.truth[0].center).length(), 0.1);

    vfPelCopy(second.image, image);
    p.run(image, fullSearch(), results);
    ASSERT_EQ(results.numResults(), 1);
    EXPECT_LT((centreOf(p, results[0]) - second.truth[0].center).length(), 0.1);

    vxPelBuffer<unsigned char> mask(640, 480);
    vfPelSet(mask, 0);
    p.run(image, mask, fullSearch(), results);
    EXPECT_EQ(results.numResults(), 0);
    vfPelSet(mask, 255);
    p.run(image, mask, fullSearch(), results);
    ASSERT_EQ(results.numResults(), 1);
    EXPECT_GT(results[0].score(), 0.97);
}

// Two equal characters closer than their training margins are two results: footprints are the
// pattern's edges, not its training window with the margins around them.
TEST(AlignRun, EqualNeighboursCloserThanTheirMarginsAreBothFound) {
    const vxKSAlignPattern p = taught('2');
    const vxTestImage img = vfRenderTestImage(
        vxTestScene(), {at('2', 200.0, 200.0, 10.0), at('2', 227.6, 204.9, 10.0)});
    vxKSAlignRunParams params = fullSearch(4);
    params.xyOverlap(0.2);
    vxKSAlignResultSet results;
    p.run(img.image, params, results);
    for (const vxTestCharTruth& t : img.truth) {
        bool found = false;
        for (const vxKSAlignResult& r : results.results())
            found |= r.accepted() && r.score() > 0.95 && (centreOf(p, r) - t.center).length() < 0.2;
        EXPECT_TRUE(found) << t.center.x();
    }
}

// Refinement and tracking keep a free scale inside its zone.
TEST(AlignRun, FreeScaleStaysInsideItsZone) {
    const vxKSAlignPattern p = taught('5');
    const vxTestImage img = vfRenderTestImage(vxTestScene(), {at('5', 300.0, 200.0, -30.0, 1.2)});
    vxKSAlignResultSet results;
    p.run(img.image, fullSearch(), results);
    for (const vxKSAlignResult& r : results.results())
        EXPECT_LE(r.xScale(), 1.1 + 1e-9);
    vxKSAlignRunParams wide = fullSearch();
    wide.zone(vx_KSDefs::eScale, 0.9, 1.3);
    p.run(img.image, wide, results);
    ASSERT_EQ(results.numResults(), 1);
    EXPECT_NEAR(results[0].xScale(), 1.2, 0.005);
}

// Scale zones are accepted whatever their width; the search keeps to the scales at
// which the pattern fits the image and still spans a few pixels, and a held scale
// outside them finds nothing. (Such zones once asked for billions of angle steps.)
TEST(AlignRun, ScaleZonesBeyondTheImageAreSearchedWhereThePatternFits) {
    const vxKSAlignPattern p = taught('5');
    vxTestScene scene;
    scene.width = 160;
    scene.height = 120;
    const vxTestImage img = vfRenderTestImage(scene, {at('5', 80.0, 60.0, 0.0, 1.2)});
    for (const auto& [low, high] : {std::pair{0.9, 1e19}, std::pair{1e-300, 1e300}}) {
        vxKSAlignRunParams params = fullSearch();
        params.zone(vx_KSDefs::eAngle, -10.0, 10.0);
        params.zone(vx_KSDefs::eScale, low, high);
        vxKSAlignResultSet results;
        p.run(img.image, params, results);
        ASSERT_EQ(results.numResults(), 1) << high;
        EXPECT_NEAR(results[0].xScale(), 1.2, 0.01);
    }
    for (double held : {1e19, 1e-300}) {
        vxKSAlignRunParams params;
        params.nominal(vx_KSDefs::eScale, held);
        vxKSAlignResultSet results;
        p.run(img.image, params, results);
        EXPECT_EQ(results.numResults(), 0) << held;
    }
}

TEST(AlignRun, HeldDegreesOfFreedomStayAtTheirNominalValues) {
    const vxKSAlignPattern p = taught('4');
    const vxTestImage img = vfRenderTestImage(vxTestScene(), {at('4', 200.4, 150.7, 180.0, 1.05)});
    vxKSAlignRunParams params; // angle and scale held: the way a symmetry test runs
    params.nominal(vx_KSDefs::eAngle, 180.0);
    params.nominal(vx_KSDefs::eScale, 1.05);
    params.acceptThreshold(0.3);
    vxKSAlignResultSet results;
    p.run(img.image, params, results);
    ASSERT_EQ(results.numResults(), 1);
    EXPECT_NEAR(std::fabs(vxDegree(results[0].angle()).plain()), 180.0, 1e-9);
    EXPECT_NEAR(results[0].xScale(), 1.05, 1e-9);
    EXPECT_LT((centreOf(p, results[0]) - img.truth[0].center).length(), 0.1);
}

TEST(AlignRun, PoseMapsTrainClientToRunClientCoordinates) {
    vxPelBuffer<unsigned char> train = vfPelCopy(vfRenderTestChar('6', 40.0, vxTestScene()).image);
    train.clientFromImageXform(
        vxXform<2>(vxVector<2>(-5.0, 7.0), 0.5, 1.0, vxRadian(0), vxRadian(0.3)));
    vxKSAlignPattern p;
    p.train(train);
    vxTestImage img = vfRenderTestImage(vxTestScene(), {at('6', 300.2, 200.9, -70.0, 0.95)});
    const vxXform<2> runCfi(vxVector<2>(100.0, -20.0), 2.0, 1.0, vxRadian(0), vxRadian(-0.2));
    img.image.clientFromImageXform(runCfi);
    img.image.window(vxPelRect(200, 100, 200, 200), false);
    vxKSAlignRunParams params = fullSearch();
    params.zone(vx_KSDefs::eScale, 0.9 * 4.0, 1.1 * 4.0); // client scale: 0.95 * 2 / 0.5
    vxKSAlignResultSet results;
    p.run(img.image, params, results);
    ASSERT_EQ(results.numResults(), 1);
    EXPECT_LT((centreOf(p, results[0]) - runCfi.mapPoint(img.truth[0].center)).length(), 0.2);
    EXPECT_NEAR(results[0].xScale(), 0.95 * 4.0, 0.01);
}

TEST(AlignRun, OverlappingResultsMergeAndTheBestComeFirst) {
    EXPECT_NEAR(vf_KSOverlap(vxAffineRectangle(vxRect(0, 0, 10, 10)),
                             vxAffineRectangle(vxRect(5, 0, 10, 10))),
                0.5, 1e-12);
    const vxKSAlignPattern p = taught('3');
    vxTestScene scene;
    scene.noiseSigma = 3.0;
    const vxTestImage img =
        vfRenderTestImage(scene, {at('3', 120.0, 100.0, 10.0), at('3', 400.0, 300.0, -120.0, 1.08),
                                  at('8', 300.0, 120.0)});
    vxKSAlignResultSet results;
    p.run(img.image, fullSearch(5), results);
    ASSERT_GE(results.numResults(), 2);
    EXPECT_LE(results.numResults(), 5);
    for (long i = 1; i < results.numResults(); ++i)
        EXPECT_GE(results[i - 1].score(), results[i].score());
    EXPECT_TRUE(results[0].accepted() && results[1].accepted());
    const double d0 = (centreOf(p, results[0]) - img.truth[0].center).length();
    const double d1 = (centreOf(p, results[1]) - img.truth[1].center).length();
    const double e0 = (centreOf(p, results[0]) - img.truth[1].center).length();
    const double e1 = (centreOf(p, results[1]) - img.truth[0].center).length();
    EXPECT_TRUE((d0 < 0.2 && d1 < 0.2) || (e0 < 0.2 && e1 < 0.2));
}

// On a large image a short limit strikes while the image's pyramid is built; the rows
// built so far are kept for the next run. Whatever the limits interrupted, the run that
// completes gives the results of a run without limits, also when another image was
// prepared before.
TEST(AlignRun, RunsStoppedWhileTheImageIsPreparedResumeWhereTheyStopped) {
    const vxKSAlignPattern p = taught('2');
    vxTestScene scene;
    scene.width = 1600;
    scene.height = 1200;
    const vxTestImage img = vfRenderTestImage(scene, {at('2', 800.0, 40.0, 30.0)});
    const vxPelBuffer<unsigned char> image = vfPelCopy(img.image);
    vxKSAlignRunParams params = fullSearch();
    params.zone(vx_KSDefs::eAngle, 20.0, 40.0);
    // The reference runs on a thread of its own, which has nothing prepared yet.
    vxKSAlignResultSet free;
    std::thread([&] { p.run(image, params, free); }).join();
    ASSERT_EQ(free.numResults(), 1);
    // The same image without the character's top: a run that kept its pyramid would
    // see the character cut.
    vxPelBuffer<unsigned char> other = vfPelCopy(img.image);
    for (long y = 0; y < 40; ++y)
        std::fill_n(other.pointToPel(0, y), other.width(), *img.image.pointToPel(5, 5));
    // Runs under limits growing from 50 us until one completes.
    const auto runUnderShortLimits = [&](const vxPelBuffer<unsigned char>& on) {
        vxKSAlignResultSet results;
        for (double limit = 0.05;; limit *= 1.5) {
            vxAttentionTag tag;
            tag.attachTimeout(limit);
            try {
                p.run(on, params, results);
                return results;
            } catch (const vxTimeout::Expired&) {
            }
        }
    };
    runUnderShortLimits(other);
    const vxKSAlignResultSet limited = runUnderShortLimits(image);
    ASSERT_EQ(limited.numResults(), 1);
    EXPECT_EQ(limited[0].score(), free[0].score());
    EXPECT_EQ(limited[0].pose().trans().x(), free[0].pose().trans().x());
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
