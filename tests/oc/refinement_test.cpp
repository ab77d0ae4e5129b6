// Refinement of inferred positions on rendered characters: recovery of a character the
// finder missed, time limits and argument checks.
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
