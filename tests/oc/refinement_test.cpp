// Refinement of inferred positions and its correlation bank, on rendered characters:
// recovery of a character the finder missed, rejection of a wrong one, positions that
// are left alone, patches at the image border, time limits, and the bank itself.
#include "vx_OCRefinement.h"

#include "oc_test_support.h"
#include "vxAttention.h"
#include "vxOCDefs.h"
#include "vxOCModel.h"
#include "vxTestScene.h"
#include "vx_OCExtractDefs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Handle = vxPtrHandle_const<vxOCModel>;

constexpr double kModelSize = 34.0; // cap height of the models, pixels

vxTestScene look() {
    vxTestScene s;
    s.blurSigma = 0.7;
    return s;
}

// Models at kModelSize with their cells centred in the image; model client = pixels.
using oc_test::glyphModel;

// The pose (client from model client) of a rendered character: the model's cell
// centre goes to the character's centre, turned and scaled as rendered.
vx_Pose truePose(const vxTestCharTruth& t, const vxOCModel& model) {
    const vxPelRect w = model.image().window();
    const vxVector<2> centre(0.5 * w.width(), 0.5 * w.height());
    const double s = t.pixelsPerEm / kModelSize;
    return vx_Pose(t.center - s * centre.rotate(t.angle), t.angle, s);
}

double angleError(const vx_Pose& a, const vx_Pose& b) {
    return std::fabs(vxDegree((a.angle() - b.angle()).signedNorm()).plain());
}

// Four characters on a line, slightly turned and enlarged; the third is printed faintly,
// the kind of character the finder misses.
struct Line {
    vxTestImage scene;
    vxPtrHandle_const<vxOCAlphabet> alphabet;
    std::vector<long> keys{'4', 'E', 'E', '7'};
    std::vector<vx_Pose> poses;
    std::vector<vxOCArrangeDefs::CharStatus> statuses{4, vxOCArrangeDefs::eMatched};
    std::vector<double> scores = std::vector<double>(4, 0.9);

    Line() {
        std::vector<vxTestCharPlacement> placements;
        for (int i = 0; i < 4; ++i)
            placements.push_back({char(keys[i]), 60.0 + 40.0 * i, 70.0 + 1.05 * i, vxDegree(1.5),
                                  1.0, kModelSize * 1.02});
        vxTestScene s = look();
        s.width = 240;
        s.height = 150;
        s.noiseSigma = 2.0;
        scene = vfRenderTestImage(s, placements);
        // The third character printed faintly: a fifth of the contrast.
        const vxPelRect faint = scene.truth[2].cell.encloseImageRect();
        for (long y = faint.y(); y < faint.y() + faint.height(); ++y)
            for (long x = faint.x(); x < faint.x() + faint.width(); ++x) {
                unsigned char* q = scene.image.pointToPel(x, y);
                *q = static_cast<unsigned char>(std::lround(s.light - (s.light - *q) * 0.2));
            }
        auto* blank = new vxOCModel;
        blank->key(' ');
        alphabet = vxPtrHandle_const<vxOCAlphabet>(new vxOCAlphabet(
            {glyphModel('4'), glyphModel('E'), glyphModel('7'), Handle(blank)}, 0.5, false, L""));
        for (int i = 0; i < 4; ++i)
            poses.push_back(truePose(scene.truth[i], *alphabet->character(keys[i])));
    }

    void refine() {
        vf_RefineArrangement(scene.image, alphabet, keys, poses, statuses, scores, nullptr, 0);
    }
};

} // namespace

TEST(Refinement, InferredCharacterIsFoundNearItsTruePose) {
    Line line;
    const vx_Pose truth = line.poses[2];
    // The inference is off by about a pixel and a half, a degree and a half and 2 %.
    line.poses[2] = vx_Pose(truth.translation() + vxVector<2>(1.6, -1.2),
                            truth.angle() + vxRadian(vxDegree(1.5)), truth.scale() * 1.02);
    line.statuses[2] = vxOCArrangeDefs::eInferred;
    line.scores[2] = 0.0;
    const vx_Pose matched = line.poses[1]; // the same key, matched: left alone
    line.refine();

    EXPECT_EQ(line.statuses[2], vxOCArrangeDefs::eMatched);
    EXPECT_GE(line.scores[2], 0.3);
    // Measured at the character's centre (the model's cell centre).
    const vxVector<2> centre =
        vxVector<2>(line.alphabet->character('E')->image().window().size()) / 2.0;
    EXPECT_LT((line.poses[2].xform().mapPoint(centre) - truth.xform().mapPoint(centre)).length(),
              0.5);
    EXPECT_LT(angleError(line.poses[2], truth), 1.0);
    EXPECT_NEAR(line.poses[2].scale(), truth.scale(), 0.03);
    EXPECT_EQ(line.poses[1], matched);
    EXPECT_EQ(line.scores[1], 0.9);
}

TEST(Refinement, WrongCharacterBlankAndUnknownPositionsKeepTheirValues) {
    Line line;
    // Position 3 shows a 7 but expects a 4; position 0 shows a 4 but expects a blank;
    // position 1 is unknown.
    line.keys = {' ', 'E', 'E', '4'};
    line.statuses = {vxOCArrangeDefs::eInferred, vxOCArrangeDefs::eUnknown,
                     vxOCArrangeDefs::eMatched, vxOCArrangeDefs::eInferred};
    line.scores = {0.0, 0.0, 0.9, 0.0};
    const Line before = line;
    line.refine();
    EXPECT_EQ(line.poses, before.poses);
    EXPECT_EQ(line.statuses, before.statuses);
    EXPECT_EQ(line.scores, before.scores);
}

TEST(Refinement, TimeLimitAndBadArgumentsLeaveOutputsUnchanged) {
    Line line;
    line.statuses[2] = vxOCArrangeDefs::eInferred;
    const auto statuses = line.statuses;
    {
        vxAttentionTag tag;
        tag.attachTimeout(0.0);
        EXPECT_THROW(line.refine(), vxTimeout::Expired);
    }
    std::vector<double> shortScores(3, 0.0);
    EXPECT_THROW(vf_RefineArrangement(line.scene.image, line.alphabet, line.keys, line.poses,
                                      line.statuses, shortScores),
                 vxOCDefs::BadParams);
    line.keys[0] = 'Q';
    EXPECT_THROW(line.refine(), vxOCDefs::BadKey);
    EXPECT_EQ(line.statuses, statuses);
}

TEST(Refinement, PatchShrinksAtTheBorderAndGivesUpWhenEvenThatClips) {
    vxPelBuffer<unsigned char> image(200, 150);
    const vxPelRect window(0, 0, 30, 48);
    auto sample = [&](vxPelBuffer<unsigned char>& out, double x, double y) {
        return vf_SampleAroundPose_(out, image, window, vxXform<2>(),
                                    vxXform<2>(vxMatrix<2>(), vxVector<2>(x, y)), vxDegree(3.0),
                                    0.05);
    };
    vxPelBuffer<unsigned char> out;
    // Inside: the window grown by 10 and 16 pixels, enclosing 5 degrees and 5 %; model
    // pixel (0, 0) keeps its run client place (80, 40).
    ASSERT_TRUE(sample(out, 80, 40));
    EXPECT_EQ(out.window(), vf_EncloseTurned_(vxPelRect(-10, -16, 50, 80), vxDegree(5.0), 0.05));
    EXPECT_TRUE(vfRealEq(out.clientFromImageXform().mapPoint(vxVector<2>(0, 0)),
                         vxVector<2>(80, 40), 1e-9));
    // 6 pixels from the top only the ungrown window fits; at the edge nothing does.
    ASSERT_TRUE(sample(out, 80, 6));
    EXPECT_EQ(out.window(), vf_EncloseTurned_(window, vxDegree(5.0), 0.05));
    EXPECT_FALSE(sample(out, 80, 0));
    EXPECT_FALSE(out.isBound());
}

TEST(Refinement, EncloseTurnedHoldsEveryTurnedCornerTightly) {
    const vxPelRect r(3, -2, 31, 17);
    const vxVector<2> c(18.5, 6.5), half(15.5, 8.5);
    for (double degrees : {0.0, 5.0, 40.0, 100.0, 200.0}) {
        const vxPelRect e = vf_EncloseTurned_(r, vxDegree(degrees), 0.1);
        double xMax = 0.0, yMax = 0.0;
        for (int step = -1000; step <= 1000; ++step)
            for (double sign : {1.0, -1.0}) {
                const vxVector<2> p = (1.1 * vxVector<2>(half.x(), sign * half.y()))
                                          .rotate(vxDegree(degrees * step / 1000.0));
                xMax = std::max(xMax, std::fabs(p.x()));
                yMax = std::max(yMax, std::fabs(p.y()));
            }
        const vxRect tight(c.x() - xMax, c.y() - yMax, 2.0 * xMax, 2.0 * yMax);
        EXPECT_TRUE(e.contains(tight.enclosePelRect())) << degrees;
        EXPECT_LE(e.width(), 2.0 * xMax + 2.01) << degrees;
        EXPECT_LE(e.height(), 2.0 * yMax + 2.01) << degrees;
    }
    EXPECT_EQ(vf_EncloseTurned_(vxPelRect(2, 3, 20, 10), vxRadian(0), 0.0),
              vxPelRect(2, 3, 20, 10));
}

TEST(RSIBank, RefinementBankHoldsThirteenAnglesByFourScales) {
    const Handle m = glyphModel('E');
    const vxRSINrcSearchModel bank(m->image(), m->mask(), vf_RefinementTrainParams_(), L"E");
    ASSERT_EQ(bank.numModels(), 52);
    const double scales[] = {0.95, 0.9785, 1.007855, 1.03809};
    for (long i = 0; i < 52; ++i) {
        EXPECT_NEAR(bank.bankXform(i).xScale(), scales[i / 13], 1e-5);
        EXPECT_NEAR(vxDegree(bank.bankXform(i).xRot()).plain(), -3.0 + 0.5 * (i % 13), 1e-9);
    }
    vx_RSITrainParams bad;
    bad.scaleStep = 1e-9; // would loop almost for ever
    EXPECT_THROW(vxRSINrcSearchModel(m->image(), m->mask(), bad, L""), vxOCDefs::BadParams);
}

TEST(RSIBank, RunGivesPosesInTheModelClientFrameBestFirst) {
    // A model whose client frame is in half pixels, moved by (10, 20); the run image's
    // client frame is moved by (100, 50) and shows the character turned by 2 degrees.
    vxTestImage taught = vfRenderTestChar('E', kModelSize, look(), 2);
    const vxXform<2> modelClient(vxMatrix<2>::scaling(0.5, 0.5), vxVector<2>(10, 20));
    taught.image.clientFromImageXform(modelClient);
    const vxRSINrcSearchModel bank(taught.image, {}, vx_RSITrainParams(), L"E");
    vxTestCharPlacement p;
    p.code = 'E';
    p.x = 50.0;
    p.y = 60.0;
    p.angle = vxDegree(2.0);
    p.size = kModelSize;
    vxTestScene s = look();
    s.width = 100;
    s.height = 120;
    vxTestImage run = vfRenderTestImage(s, {p});
    run.image.clientFromImageXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(100, 50)));

    vx_RSIRunParams params;
    vxPtrHandle<vx_SearchResult2> result;
    bank.run(run.image, params, result);
    ASSERT_TRUE(result && result->numInstances() > 1);
    for (long i = 1; i < result->numInstances(); ++i)
        EXPECT_GE(result->score(i - 1), result->score(i));
    const vx_SearchInstance best = result->instance(0); // a copy: the result is refilled below
    // The model's client centre lands on the character's centre, twice as large.
    const vxVector<2> centre = best.pose.mapPoint(modelClient.mapPoint(taught.truth[0].center));
    EXPECT_LT((centre - vxVector<2>(150, 110)).length(), 0.5);
    EXPECT_NEAR(vf_PoseFromXform(best.pose).scale(), 2.0, 0.1);
    EXPECT_NEAR(vxDegree(best.pose.xRot()).plain(), 2.0, 1.0);
    EXPECT_TRUE(vfRealEq(best.affRect.center(), centre, 1e-9));
    EXPECT_THROW(result->pose(result->numInstances()), vx_OCExtractDefs::vx_OCExtractError);

    // One result kept, in the same result object.
    vx_SearchResult2* const same = result.get();
    params.maxNumResults = 1;
    bank.run(run.image, params, result);
    EXPECT_EQ(result.get(), same);
    EXPECT_EQ(result->numInstances(), 1);
    EXPECT_EQ(result->instance(0).bankIndex, best.bankIndex);
}
