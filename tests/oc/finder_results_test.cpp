// Finder results: instances from alignment results, ordering, the overlap test and
// removal, char-result editing with index checks, string results sharing char results.
#include "finder_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

using Peer = vx_OCExtractPeer;

namespace {

vxAffineRectangle square(double x, double y, double side) {
    return vxAffineRectangle(vxVector<2>(x, y), side, side);
}

void expectBadIndex(const std::function<void()>& f) {
    try {
        f();
        FAIL() << "no exception";
    } catch (const vx_OCExtractDefs::vx_OCExtractError& e) {
        EXPECT_EQ(e.message(), L"Bad index");
    }
}

} // namespace

TEST(FinderResults, InstanceCarriesTrainWindowThroughPoseAndTrainTransform) {
    // A pattern trained on an image enlarged twice: its pixels map to half-size client
    // units; the result turns by a quarter turn, scales by 3 and moves to (100, 50).
    const vxXform<2> trainCfi(vxMatrix<2>::scaling(0.5, 0.5), vxVector<2>(1, 2));
    const vxXform<2> pose(vxVector<2>(100, 50), 3.0, 1.0, vxRadian(0),
                          vxRadian(std::numbers::pi / 2));
    const vx_OCExtractCharInstance i(vxKSAlignResult(pose, 0.8, 0.9, 0.0, true), trainCfi,
                                     vxPelRect(0, 0, 28, 80));
    EXPECT_EQ(i.score(), 0.8);
    EXPECT_EQ(i.pose(), pose);
    const vxXform<2> all = pose * trainCfi;
    EXPECT_TRUE(vfRealEq(i.affRect().cornerPo(), all.mapPoint(vxVector<2>(0, 0)), 1e-9));
    EXPECT_TRUE(vfRealEq(i.affRect().cornerPx(), all.mapPoint(vxVector<2>(28, 0)), 1e-9));
    EXPECT_TRUE(vfRealEq(i.affRect().cornerPy(), all.mapPoint(vxVector<2>(0, 80)), 1e-9));
    EXPECT_NEAR(i.affRect().xLength(), 42.0, 1e-9); // 28 pixels * 0.5 * 3
}

TEST(FinderResults, OverlapIsMeasuredInTheOthersUnitSquare) {
    const vx_OCExtractCharInstance b(0.9, {}, square(0, 0, 10));
    EXPECT_TRUE(b.isEqual(b, 0.0));

    // Displaced by half a side along b's first side: a's centre lands on (1.0, 0.5) and
    // its origin corner on (0.5, 0), both 0.5 from b's centre.
    const vx_OCExtractCharInstance half(0.9, {}, square(5, 0, 10));
    EXPECT_TRUE(half.isEqual(b, 0.5));
    EXPECT_FALSE(half.isEqual(b, 0.49));

    // A small rectangle near b's centre overlaps b; b seen from the small one does not.
    const vx_OCExtractCharInstance small(0.9, {}, square(7, 4, 2));
    EXPECT_TRUE(small.isEqual(b, 0.3));
    EXPECT_FALSE(b.isEqual(small, 0.3));

    const vxAffineRectangle flat(vxVector<2>(0, 0), vxVector<2>(10, 0), vxVector<2>(20, 0));
    EXPECT_FALSE(b.isEqual(vx_OCExtractCharInstance(0.9, {}, flat), 10.0));
}

TEST(FinderResults, CharResultOrderIndexChecksRemovalAndMerging) {
    const vx_OCExtractCharInstance a(0.5, {}, {}), nan(std::nan(""), {}, {});
    EXPECT_FALSE(vx_OCExtractCharInstance::orderByScore(a, a));
    EXPECT_FALSE(vx_OCExtractCharInstance::orderByScore(nan, a));
    auto sorted = Peer::charResult({0.2, 0.9, 0.5});
    Peer::sorted(*sorted);
    EXPECT_EQ(sorted->score(0), 0.9);
    EXPECT_EQ(sorted->score(2), 0.2);

    // Instance 1 is overlapped by 2 and 3 (same place) but not by 4; 0 comes before it.
    auto r = Peer::charResult({0.9, 0.8, 0.7, 0.6, 0.5}, 1,
                              {square(0, 0, 10), square(50, 0, 10), square(51, 0, 10),
                               square(49, 1, 10), square(80, 0, 10)});
    expectBadIndex([&] { r->pose(5); });
    expectBadIndex([&] { r->score(-1); });
    EXPECT_TRUE(Peer::doesOverlap(*r, 1, 2, 0.2));
    EXPECT_FALSE(Peer::doesOverlap(*r, 0, 1, 0.2));

    Peer::removeOverlapping(*r, 1, 0.2);
    ASSERT_EQ(r->numInstances(), 3);
    EXPECT_EQ(r->score(2), 0.5);

    // += appends in order, adds times and ors found; the receiver's facts stay.
    auto other = Peer::charResult({0.95}, 4);
    other->time(2.5);
    r->time(1.0);
    r->found(false);
    Peer::merge(*r, *other);
    EXPECT_EQ(r->numInstances(), 4);
    EXPECT_EQ(r->score(3), 0.95);
    EXPECT_EQ(r->time(), 3.5);
    EXPECT_TRUE(r->found());
    EXPECT_EQ(r->numOccurrences(), 1);

    // init forgets everything but the half-turn pose.
    const vxXform<2> halfTurn(vxMatrix<2>(-1, 0, 0, -1), vxVector<2>(20, 30));
    Peer::rot180Pose(*r, halfTurn);
    r->init();
    EXPECT_EQ(r->numInstances(), 0);
    EXPECT_FALSE(r->found());
    EXPECT_EQ(r->time(), 0.0);
    EXPECT_EQ(r->rot180Pose(), halfTurn);
}

TEST(FinderResults, StringResultMergesByKeyAndCopiesShareCharResults) {
    vx_OCExtractStringResult s;
    auto first = Peer::charResult({0.9, 0.4});
    auto second = Peer::charResult({0.7});
    Peer::addToResult(s, 7, first);
    Peer::addToResult(s, 7, second);
    ASSERT_EQ(s.resultsByKey().size(), 1u);
    const auto& merged = *s.resultsByKey().at(7);
    ASSERT_EQ(merged.numInstances(), 3);
    EXPECT_EQ(merged.score(1), 0.4);
    EXPECT_EQ(merged.score(2), 0.7);

    const vx_OCExtractStringResult copy = s;
    copy.resultsByKey().at(7)->numOccurrences(5);
    EXPECT_EQ(s.resultsByKey().at(7)->numOccurrences(), 5);

    s.init();
    EXPECT_TRUE(s.resultsByKey().empty());
    EXPECT_EQ(copy.resultsByKey().size(), 1u);
}
