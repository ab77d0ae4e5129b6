// Finder search: the common-scale consensus, candidates handed to the arranger on a
// rotated and scaled stamp, time limits and stop requests, parameter checks.
#include "finder_support.h"
#include "vxAttention.h"
#include "vxPelOps.h"
#include "vxTestLayout.h"
#include "vx_OCSearchCharacters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace finder_test;
using Peer = vx_OCExtractPeer;
using Image = vxPelBuffer_const<unsigned char>;

namespace {

constexpr long kBlank = ' ';

// Where a model's cell centre lies in its own (client) coordinates.
vxVector<2> modelCentre(char c) {
    return vfRenderTestChar(c, 32.0, vxTestScene(), 4).truth[0].center;
}

vxTestImage stamp(const std::string& text, double degrees, double scale) {
    vxTestTextStyle style;
    style.size = 32.0;
    style.scale = scale;
    vxTestScene scene;
    scene.noiseSigma = 4.0;
    scene.blurSigma = 0.6;
    return vfRenderTestImage(
        scene, vfLayoutLine(text, vxVector<2>(320, 240), vxRadian(vxDegree(degrees)), style));
}

// Whether `pose` puts character c's cell centre on `truth` at its angle (or, for the
// half-turn symmetric glyphs, half a turn from it) and scale.
bool poseMatches(const vx_Pose& pose, char c, const vxTestCharTruth& truth) {
    double da = std::fabs(vxDegree(pose.angle() - truth.angle).signedNorm().plain());
    if (std::string("0OS").find(c) != std::string::npos) da = std::min(da, 180.0 - da);
    return (pose.xform().mapPoint(modelCentre(c)) - truth.center).length() < 1.0 && da < 1.0 &&
           std::fabs(pose.scale() * 32.0 / truth.pixelsPerEm - 1.0) < 0.01;
}

bool isGenuine(const vx_OCExtractCharInstance& instance, char c, const vxTestImage& img) {
    for (const vxTestCharTruth& t : img.truth)
        if (t.code == c && poseMatches(vf_PoseFromXform(instance.pose()), c, t)) return true;
    return false;
}

vx_OCExtractModelParams fullTurn(double lowScale = 0.9, double highScale = 1.1) {
    vx_OCExtractModelParams p;
    p.angleRange = vxRange(-179.0, 180.0);
    p.scaleRange = vxRange(lowScale, highScale);
    return p;
}

// accept 0.4 lets parts of other characters in; 0.8 takes only true instances.
vx_OCExtractRunParams generous(double accept = 0.4) {
    vx_OCExtractRunParams p;
    p.timeout = 5000.0; // far beyond a run's time, also on a busy machine
    p.acceptThreshold = accept;
    return p;
}

} // namespace

TEST(FinderSearch, CommonScaleIsFixedOnceThreeCharactersAgree) {
    // Six models: three must agree. The characters searched after the third are held
    // at the common scale, which must be the rendered one.
    const std::string text = "S0O6F4";
    const vxTestImage img = stamp(text, 15.0, 1.04);
    vx_OCExtractModel m;
    vx_OCExtractStringResult result;
    ASSERT_TRUE(m.search(alphabetOf(text), keysOf(text), img.image, Image(), fullTurn(0.9, 1.2),
                         generous(), result));
    const auto& order = Peer::searchOrder(m);
    ASSERT_EQ(order.size(), 6u);
    std::vector<double> scales;
    for (long i : order) {
        const auto& r = *result.uniqueCharResults()[static_cast<std::size_t>(i)];
        ASSERT_GT(r.numInstances(), 0);
        EXPECT_TRUE(isGenuine(r.instance(0), char(Peer::keys(m)[i]), img));
        scales.push_back(r.pose(0).xScale());
    }
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(scales[k], 1.04, 0.015) << "searched freely: " << k;
    for (std::size_t k = 3; k < 6; ++k)
        EXPECT_DOUBLE_EQ(scales[k], scales[3]) << "held at the common scale: " << k;
    EXPECT_NEAR(scales[3] / 1.04, 1.0, 0.01);
}

TEST(FinderSearch, StampGivesEachPositionItsTrueInstanceBestFirst) {
    // "2026" turned by 30 degrees at scale 1.05, with a blank position in the target.
    const std::string text = "20 26";
    const vxTestImage img = stamp(text, 30.0, 1.05);
    auto* space = new vxOCModel; // a blank
    space->key(kBlank);
    const auto alphabet = alphabetOf("0123456789", 32.0, {vxPtrHandle_const<vxOCModel>(space)});

    vxOCArrangeParams params;
    params.timeout(5000.0);
    std::vector<std::vector<vx_Pose>> poses;
    std::vector<std::vector<double>> scores;
    std::vector<vx_ArrangePositionInfo> info(text.size());
    double total = 5.0;
    ASSERT_TRUE(vf_SearchCharacters(img.image, Image(), alphabet, keysOf(text), params, poses,
                                    scores, info, &total));
    EXPECT_GT(total, 5.0);
    ASSERT_EQ(poses.size(), text.size());
    ASSERT_EQ(scores.size(), text.size());

    for (std::size_t j = 0; j < text.size(); ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(poses[j].size(), scores[j].size());
        EXPECT_TRUE(std::is_sorted(scores[j].rbegin(), scores[j].rend()));
        if (text[j] == ' ') {
            EXPECT_TRUE(poses[j].empty());
            EXPECT_EQ(info[j].candidateCount(), 0);
            EXPECT_TRUE(info[j].mayBeUnmatched());
            EXPECT_FALSE(info[j].isCostedWhenUnmatched());
            continue;
        }
        const int occurrences = text[j] == '2' ? 2 : 1;
        EXPECT_EQ(info[j].numOccurrences(), occurrences);
        EXPECT_FALSE(info[j].mayBeUnmatched());
        EXPECT_TRUE(info[j].isCostedWhenUnmatched());
        ASSERT_GE(info[j].candidateCount(), occurrences);
        // The true instance is among the sure candidates (the best, for a single one).
        bool found = false;
        for (int k = 0; k < occurrences; ++k)
            found = found || poseMatches(poses[j][k], text[j], img.truth[j]);
        EXPECT_TRUE(found);
    }
    EXPECT_EQ(poses[0], poses[3]); // both '2' positions share one char result
    EXPECT_EQ(scores[0], scores[3]);
    EXPECT_EQ(info[1].symmetry(), vx_OCExtractDefs::eSymmetric180);
    EXPECT_NEAR(std::fabs(vxDegree(info[1].rot180Pose().xRot()).plain()), 180.0, 1.0);
    EXPECT_EQ(info[4].symmetry(), vx_OCExtractDefs::eNotSymmetric);
}

TEST(FinderSearch, TimeLimitsStopRunsButNotTheSearch) {
    const std::string text = "2026";
    const vxTestImage img = stamp(text, -20.0, 0.95);
    const auto alphabet = alphabetOf("026");
    vx_OCExtractRunParams run = generous(0.8);

    // A limit of 0 strikes at a run's first check: every character is cut short, the
    // search goes on and every position still gets its char result.
    run.timeout = 0.0;
    vx_OCExtractModel m;
    vx_OCExtractStringResult result;
    EXPECT_FALSE(m.search(alphabet, keysOf(text), img.image, Image(), fullTurn(), run, result));
    ASSERT_EQ(result.results().size(), 4u);
    EXPECT_EQ(result.results()[0], result.results()[2]);
    EXPECT_EQ(result.results()[0]->numOccurrences(), 2);


    // The caller's own limit and a stop request leave the search.
    {
        vxAttentionTag callers;
        callers.attachTimeout(0.0);
        EXPECT_THROW(
            m.search(alphabet, keysOf(text), img.image, Image(), fullTurn(), generous(), result),
            vxTimeout::Expired);
    }
    const vxAttention::Token token = vxAttention::current();
    token.requestAbort();
    EXPECT_THROW(
        m.search(alphabet, keysOf(text), img.image, Image(), fullTurn(), generous(), result),
        vxAttention::Aborted);
    token.clearAbort();
}

TEST(FinderSearch, BadParametersThrowBeforeAnythingChanges) {
    const std::string text = "S";
    const vxTestImage img = stamp(text, 0.0, 1.0);
    const auto alphabet = alphabetOf(text);
    vx_OCExtractModel m;
    vx_OCExtractStringResult result;
    ASSERT_TRUE(
        m.search(alphabet, keysOf(text), img.image, Image(), fullTurn(), generous(), result));
    const auto before = result.results();

    const auto expectError = [&](const Image& image, const Image& mask,
                                 const vx_OCExtractModelParams& mp, const vx_OCExtractRunParams& rp,
                                 const wchar_t* message) {
        try {
            m.search(alphabet, keysOf(text), image, mask, mp, rp, result);
            ADD_FAILURE() << "no exception";
        } catch (const vx_OCExtractDefs::vx_OCExtractError& e) {
            EXPECT_EQ(e.message(), message);
        }
        EXPECT_EQ(result.results(), before);
        EXPECT_EQ(m.numModels(), 1);
    };
    vxPelBuffer<unsigned char> empty = img.image;
    empty.window(vxPelRect(5, 5, 0, 10), false);
    expectError(empty, Image(), fullTurn(), generous(), L"Unbound or empty image");
    expectError(img.image, vxPelBuffer<unsigned char>(10, 10), fullTurn(), generous(),
                L"Mask size differs from image size");
    expectError(img.image, Image(), fullTurn(0.0, 1.0), generous(), L"Invalid scale range");
    expectError(img.image, Image(), fullTurn(), generous(1.5), L"Invalid accept threshold");
}

TEST(FinderSearch, CandidateCountAndUnmatchedRules) {
    const auto rules = [](const std::vector<double>& scores, long occurrences) {
        std::vector<vx_Pose> poses;
        std::vector<double> out;
        vx_ArrangePositionInfo info;
        vf_PositionCandidates_(*Peer::charResult(scores, occurrences), poses, out, info);
        EXPECT_EQ(out, scores);
        EXPECT_EQ(poses.size(), scores.size());
        EXPECT_EQ(info.isCostedWhenUnmatched(), !scores.empty());
        return std::pair<int, bool>(info.candidateCount(), info.mayBeUnmatched());
    };
    // Threshold 0.9 - 0.15: 0.8 passes, 0.7 stops the count.
    EXPECT_EQ(rules({0.9, 0.8, 0.7, 0.5}, 1), std::make_pair(2, false));
    EXPECT_EQ(rules({0.65, 0.6}, 1), std::make_pair(2, true));
    EXPECT_EQ(rules({0.9}, 2), std::make_pair(1, true));
    EXPECT_EQ(rules({0.95, 0.75, 0.61, 0.59}, 2), std::make_pair(3, false));
    EXPECT_EQ(rules({}, 1), std::make_pair(0, true));
    EXPECT_EQ(rules({0.8}, 0), std::make_pair(1, false)); // counted as one occurrence
}

TEST(FinderSearch, TrainingIsReusedOnlyWhileTheModelsPixelsStayTheSame) {
    // One model whose image is redrawn from a 6 into a 9 between searches of a stamp
    // holding both: the second search must find the 9, not the 6 trained first.
    const vxTestImage six = vfRenderTestChar('6', 32.0, vxTestScene(), 4);
    const vxTestImage nine = vfRenderTestChar('9', 32.0, vxTestScene(), 4);
    ASSERT_EQ(six.image.window(), nine.image.window());
    const vxPtrHandle_const<vxOCModel> model(new vxOCModel('6', six.image, six.image.window(),
                                                           vxOCModel::eNormal, L"6", L""));
    const vxPtrHandle_const<vxOCAlphabet> alphabet(new vxOCAlphabet({model}, 0.5, false, L"t"));
    const vxTestImage img = stamp("69", 0.0, 1.0);
    vx_OCExtractModelParams upright = fullTurn(); // a 6 turned round is a 9
    upright.angleRange = vxRange(-30.0, 30.0);
    const auto bestCentre = [&] {
        vx_OCExtractModel m;
        vx_OCExtractStringResult result;
        EXPECT_TRUE(m.search(alphabet, keysOf("6"), img.image, Image(), upright, generous(0.8),
                             result));
        const auto& r = *result.uniqueCharResults().at(0);
        EXPECT_GT(r.numInstances(), 0);
        return r.numInstances() > 0 ? r.instance(0).pose().mapPoint(modelCentre('6'))
                                    : vxVector<2>(-1.0, -1.0);
    };
    EXPECT_LT((bestCentre() - img.truth[0].center).length(), 1.0);
    EXPECT_LT((bestCentre() - img.truth[0].center).length(), 1.0); // reused: the same again
    vfPelCopy(nine.image, six.image);
    EXPECT_LT((bestCentre() - img.truth[1].center).length(), 1.5);
}
