// Result assignment and line building from a finally evaluated best candidate.
#include "arrange_scene.h"

#include "../../oc/arrange/assignResults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Status = vxOCArrangeDefs::CharStatus;
constexpr double deg = std::numbers::pi / 180.0;

struct Assigned {
    vx_ArrangeCost cost;
    std::vector<vx_Pose> poses;
    std::vector<double> scores;
    std::vector<Status> statuses;
};

Assigned assign(const ArrangeScene& s, const vx_ArrangeCandidate& best) {
    Assigned a;
    EXPECT_TRUE(s.evaluate(best, a.cost, true));
    vf_AssignArrangementResults(s.poses, s.scores, best, a.cost, s.info, s.params, a.poses,
                                a.scores, a.statuses);
    return a;
}

// An alphabet holding a 10 x 14 model for every key of the scene.
vxPtrHandle_const<vxOCAlphabet> alphabetFor(const ArrangeScene& s) {
    auto* alphabet = new vxOCAlphabet;
    vxPelBuffer<unsigned char> image(10, 14);
    for (long key : s.keys)
        if (!alphabet->hasCharacter(key))
            alphabet->add(vxPtrHandle_const<vxOCModel>(
                new vxOCModel(key, image, vxPelRect(0, 0, 10, 14), vxOCModel::eNormal, L"c", L"")));
    return vxPtrHandle_const<vxOCAlphabet>(alphabet);
}

// Positions of keys 1 .. count on a line through `origin` turned by `angleDegrees`,
// 12 apart, each character turned like the line; positions in `gaps` get no instance.
ArrangeScene turnedRow(int count, vxVector<2> origin, double angleDegrees,
                       std::vector<int> gaps = {}) {
    ArrangeScene s;
    const vxVector<2> step = vxVector<2>::polar(12.0, vxRadian(vxDegree(angleDegrees)));
    for (int p = 0; p < count; ++p) {
        s.addPosition(p + 1);
        if (std::find(gaps.begin(), gaps.end(), p) != gaps.end()) continue;
        const vxVector<2> at = origin + static_cast<double>(p) * step;
        s.addInstance(p, at.x(), at.y(), 0.9, angleDegrees);
    }
    return s;
}

TEST(AssignResults, MatchedInferredAndUnknownPositions) {
    ArrangeScene s = turnedRow(6, vxVector<2>(10, 20), 0, {2, 5});
    const Assigned a = assign(s, arrangement({0, 0, -1, 0, 0, -1}, {0, 5}));
    EXPECT_EQ(a.statuses,
              (std::vector<Status>{vxOCArrangeDefs::eMatched, vxOCArrangeDefs::eMatched,
                                   vxOCArrangeDefs::eInferred, vxOCArrangeDefs::eMatched,
                                   vxOCArrangeDefs::eMatched, vxOCArrangeDefs::eUnknown}));
    EXPECT_EQ(a.scores, (std::vector<double>{0.9, 0.9, 0.0, 0.9, 0.9, 0.0}));
    EXPECT_EQ(a.poses[3], s.poses[3][0]);
    EXPECT_TRUE(vfRealEq(a.poses[2].translation(), vxVector<2>(34, 20), 1e-9));
    EXPECT_NEAR(a.poses[2].angle().plain(), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(a.poses[2].scale(), 1.0);
    EXPECT_EQ(a.poses[5], vx_Pose(vxVector<2>(), vxRadian(0), std::sqrt(0.99)));

    std::vector<double> scores;
    std::vector<Status> statuses;
    std::vector<vx_Pose> poses;
    EXPECT_THROW(vf_AssignArrangementResults(s.poses, s.scores, arrangement({0, 0}, {0}), a.cost,
                                             s.info, s.params, poses, scores, statuses),
                 vxAssertionFailure);
}

TEST(AssignResults, PaddedCandidateThatBreaksTheLineTypeStillGetsPlaces) {
    // Circular lines only: two characters stop making a line once padding decides more
    // than two positions. The final evaluation fails but details the line as straight.
    ArrangeScene s = turnedRow(4, vxVector<2>(0, 0), 0, {1, 3});
    s.params.lineType(vxOCArrangeDefs::eCircular);
    const vx_ArrangeCandidate padded = arrangement({0, -1, 0, -1}, {0, 3});
    vx_ArrangeCost cost;
    EXPECT_FALSE(s.evaluate(padded, cost, true));
    std::vector<vx_Pose> poses;
    std::vector<double> scores;
    std::vector<Status> statuses;
    vf_AssignArrangementResults(s.poses, s.scores, padded, cost, s.info, s.params, poses, scores,
                                statuses);
    EXPECT_EQ(statuses[1], vxOCArrangeDefs::eInferred);
    EXPECT_TRUE(vfRealEq(poses[1].translation(), vxVector<2>(12, 0), 1e-9));
    EXPECT_EQ(statuses[3], vxOCArrangeDefs::eUnknown);
}

TEST(BuildLines, EveryPositionOnceInTargetOrderAndLinePosesInTheArrangement) {
    ArrangeScene s = turnedRow(3, vxVector<2>(7, 3), 0);
    ArrangeScene second = turnedRow(3, vxVector<2>(5, 80), 90, {2}); // the last one unknown
    for (int p = 0; p < 3; ++p) {
        s.addPosition(p + 4);
        for (const vx_Pose& pose : second.poses[p])
            s.addInstance(p + 3, pose.translation().x(), pose.translation().y(), 0.9, 90);
    }
    const vx_ArrangeCandidate best = arrangement({0, 0, 0, 0, 0, -1}, {0, 3, 5});
    const Assigned a = assign(s, best);
    vxPtrHandle_const<vxOCLineArrangement> out;
    vxXform<2> clientFromArrangement;
    vf_BuildLineArrangement(alphabetFor(s), s.keys, best, a.cost, a.poses, false, out,
                            clientFromArrangement);
    ASSERT_EQ(out->numLines(), 3);
    std::vector<long> keys;
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(out->lines()[j]->name(), L"Line " + std::to_wstring(j));
        for (const vxOCKeySet& set : out->lines()[j]->keySetSequence())
            keys.push_back(set.currentKey());
    }
    EXPECT_EQ(keys, s.keys);
    EXPECT_TRUE(
        vfRealEq(out->linePoses()[1], vx2Rigid(vxVector<2>(-2, 77), vxRadian(90 * deg)), 1e-9));
    // The unknown position's line is at the client origin, seen from the arrangement.
    EXPECT_TRUE(vfRealEq(out->linePoses()[2], a.poses[0].rigid().inverse(), 1e-9));
    EXPECT_DOUBLE_EQ(out->lines()[2]->charScales()[0], std::sqrt(0.99));
}

} // namespace
