// Arrangement search: the cost and its feasibility rules, the neighbour table, and the
// best-first search with its candidate limit.
#include "arrange_scene.h"

#include "../../oc/arrange/pairTable.h"
#include "vxAttention.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numbers>

namespace {

using Choices = std::vector<int>;

TEST(ArrangeCost, EvenRowCostsOnlyItsScoresAndDetailsItsPlaces) {
    ArrangeScene s;
    s.addRow(4, 10, 20, 0.9);
    vx_ArrangeCost cost;
    ASSERT_TRUE(s.evaluate(arrangement({0, 0, 0, 0}, {0}), cost, true));
    EXPECT_NEAR(cost.match, 0.4, 1e-12);
    EXPECT_NEAR(cost.total(), 0.4, 1e-9);
    ASSERT_EQ(cost.lines.size(), 1u);
    EXPECT_EQ(cost.lines[0].kind, vx_ArrangeLineCost::eStraight);
    EXPECT_DOUBLE_EQ(cost.lines[0].scale, 1.0);
    EXPECT_NEAR(cost.lines[0].segment.length(), 36.0, 1e-9);
    ASSERT_EQ(cost.positions.size(), 4u);
    EXPECT_TRUE(vfRealEq(cost.positions[2].predictedPlace, vxVector<2>(34, 20), 1e-9));

    // Twice the scale on one of two characters: each is half an octave off the mean.
    ArrangeScene pair;
    pair.addInstance(pair.addPosition(1), 0, 0, 1.0, 0, 1.0);
    pair.addInstance(pair.addPosition(2), 15, 0, 1.0, 0, 2.0);
    ASSERT_TRUE(pair.evaluate(arrangement({0, 0}, {0}), cost, true));
    EXPECT_NEAR(cost.scale, 1.0, 1e-12);
    EXPECT_NEAR(cost.lines[0].scale, std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(cost.positions[1].scaleDeviation, 0.5, 1e-12);
}

TEST(ArrangeCost, SpacingAndPlacementAlongTheLineCostTangentially) {
    // Cells 10 wide: spacing is free from 8 to 25 and weighed by tangentialTransCost.
    ArrangeScene s;
    s.addRow(2, 0, 0, 1.0);
    s.params.tangentialTransCost(2.0);
    vx_ArrangeCost cost;
    for (const double gap : {4.0, 8.0, 25.0, 30.0}) {
        s.poses[1][0].translation(vxVector<2>(gap, 0));
        ASSERT_TRUE(s.evaluate(arrangement({0, 0}, {0}), cost));
        EXPECT_NEAR(cost.spacing, gap == 4.0 || gap == 30.0 ? 1.0 : 0.0, 1e-12) << gap;
    }

    // A middle character 3 along from its predicted place is 0.3 cell widths off.
    s.addRow(1, 24, 0, 1.0, 3);
    s.poses[1][0].translation(vxVector<2>(15, 0));
    ASSERT_TRUE(s.evaluate(arrangement({0, 0, 0}, {0}), cost));
    EXPECT_NEAR(cost.tangential, 2.0 * 0.3, 1e-9);
    EXPECT_NEAR(cost.spacing, 0.0, 1e-12);
}

TEST(ArrangeCost, UnmatchedPositionsAtLineEndsAndAgainstTheLimits) {
    // Lines begin and end with characters; only the last line of an incomplete
    // candidate may still end unmatched, and a lone unmatched position is a line.
    ArrangeScene s;
    s.addRow(3, 0, 0, 0.9);
    vx_ArrangeCost cost;
    EXPECT_TRUE(s.evaluate(arrangement({0, -1, 0}, {0}), cost));
    EXPECT_DOUBLE_EQ(cost.unmatched, 1.0);
    EXPECT_FALSE(s.evaluate(arrangement({-1, 0, 0}, {0}), cost));
    EXPECT_FALSE(s.evaluate(arrangement({0, 0, -1}, {0}), cost));
    EXPECT_TRUE(s.evaluate(arrangement({0, 0, -1}, {0, 2}), cost));
    s.addRow(1, 0, 100, 0.9, 4);
    EXPECT_TRUE(s.evaluate(arrangement({0, 0, -1}, {0}), cost));
    EXPECT_FALSE(s.evaluate(arrangement({0, -1, 0}, {0, 2}), cost));

    // Lone unmatched lines do not count against maxLines.
    s.params.maxLines(1);
    ASSERT_TRUE(s.evaluate(arrangement({0, 0, 0, -1}, {0, 3}), cost));
    EXPECT_EQ(cost.lineBreak, 0.0);
    EXPECT_FALSE(s.evaluate(arrangement({0, 0, 0, 0}, {0, 3}), cost));
    s.params.maxLines(2);
    ASSERT_TRUE(s.evaluate(arrangement({0, 0, 0, 0}, {0, 3}), cost));
    EXPECT_DOUBLE_EQ(cost.lineBreak, 2.0);

    // A blank counts nowhere; an uncosted position counts against the limit, free of
    // charge; the final evaluation ignores the limit.
    ArrangeScene row;
    row.addRow(4, 0, 0, 0.9);
    row.info[1].isBlank(true);
    row.info[2].isCostedWhenUnmatched(false);
    row.params.maxUnmatchedChars(1);
    const vx_ArrangeCandidate gaps = arrangement({0, -1, -1, 0}, {0});
    ASSERT_TRUE(row.evaluate(gaps, cost));
    EXPECT_EQ(cost.unmatched, 0.0);
    row.params.maxUnmatchedChars(0);
    EXPECT_FALSE(row.evaluate(gaps, cost));
    EXPECT_TRUE(row.evaluate(gaps, cost, true));
    row.info[2].isCostedWhenUnmatched(true);
    row.params.maxUnmatchedChars(1);
    ASSERT_TRUE(row.evaluate(gaps, cost));
    EXPECT_DOUBLE_EQ(cost.unmatched, 1.0);
}

TEST(ArrangeCost, OneInstanceCannotServeTwoPositionsOfTheSameKey) {
    ArrangeScene s;
    for (int p = 0; p < 3; ++p) {
        s.addPosition(7);
        for (int k = 0; k < 3; ++k)
            s.addInstance(p, 12.0 * k, 0, 0.9);
    }
    vx_ArrangeCost cost;
    EXPECT_TRUE(s.evaluate(arrangement({0, 1, 2}, {0}), cost));
    EXPECT_FALSE(s.evaluate(arrangement({0, 1, 0}, {0, 2}), cost));
    s.keys[0] = 8; // another key's instance 0 is another instance
    EXPECT_TRUE(s.evaluate(arrangement({0, 1, 0}, {0, 2}), cost));
}

// Three characters on a shallow arc (sagitta 1 over a chord of 24, about 19 degrees).
ArrangeScene arcScene() {
    ArrangeScene s;
    s.addInstance(s.addPosition(1), 0, 0, 1.0);
    s.addInstance(s.addPosition(2), 12, -1, 1.0);
    s.addInstance(s.addPosition(3), 24, 0, 1.0);
    return s;
}

TEST(ArrangeCost, LineTypeTiesTextDirectionAndHandedness) {
    ArrangeScene s = arcScene();
    const vx_ArrangeCandidate line = arrangement({0, 0, 0}, {0});
    vx_ArrangeCost cost;
    // Straight wins ties; the arc passes through every origin, the line does not.
    s.params.normalTransCost(0);
    s.params.tangentialTransCost(0);
    s.params.orientationCost(0);
    ASSERT_TRUE(s.evaluate(line, cost));
    EXPECT_EQ(cost.lines[0].kind, vx_ArrangeLineCost::eStraight);
    s.params.normalTransCost(1);
    ASSERT_TRUE(s.evaluate(line, cost, true));
    EXPECT_EQ(cost.lines[0].kind, vx_ArrangeLineCost::eCircular);
    EXPECT_NEAR(cost.normal, 0.0, 1e-9);
    EXPECT_NEAR(cost.lines[0].arc.rx(), 72.5, 1e-6);

    s.params.isTextDirectionSpecified(true);
    s.params.lineType(vxOCArrangeDefs::eStraight);
    EXPECT_TRUE(s.evaluate(line, cost));
    s.params.straightTextDirection(vxRadian(std::numbers::pi)); // read right to left
    EXPECT_FALSE(s.evaluate(line, cost));

    // The arc turns x toward y: clockwise on screen unless the client frame is mirrored.
    s.params.lineType(vxOCArrangeDefs::eCircular);
    EXPECT_TRUE(s.evaluate(line, cost, false, false));
    EXPECT_FALSE(s.evaluate(line, cost, false, true));
    s.params.isCircularTextDirectionClockwise(false);
    EXPECT_FALSE(s.evaluate(line, cost, false, false));
    EXPECT_TRUE(s.evaluate(line, cost, false, true));

    // Circular only: two characters make a line only while fewer than three are decided.
    s.params.isTextDirectionSpecified(false);
    EXPECT_TRUE(s.evaluate(arrangement({0, 0}, {0}), cost));
    EXPECT_FALSE(s.evaluate(arrangement({0, 0, 0}, {0, 2}), cost));

    vxPelBuffer_const<unsigned char> mirrored(vxPelRect(0, 0, 8, 8));
    EXPECT_FALSE(vf_IsClientFlipped(mirrored));
    mirrored.clientFromImageXform(vxXform<2>(vxMatrix<2>(1, 0, 0, -1), vxVector<2>()));
    EXPECT_TRUE(vf_IsClientFlipped(mirrored));
}

// `count` characters on a circle of radius 60 about the origin, from polar angle
// `firstDegrees` in steps of `stepDegrees`, each turned to the tangent in the sense of
// the steps.
ArrangeScene arcOf(int count, double firstDegrees, double stepDegrees) {
    ArrangeScene s;
    for (int i = 0; i < count; ++i) {
        const double polar = firstDegrees + stepDegrees * i;
        const vxVector<2> at = vxVector<2>::polar(60.0, vxRadian(vxDegree(polar)));
        s.addInstance(s.addPosition(i + 1), at.x(), at.y(), 0.9,
                      polar + (stepDegrees > 0 ? 90.0 : -90.0));
    }
    return s;
}

TEST(ArrangePairTable, NeighboursMustBeNearAndAlike) {
    ArrangeScene s;
    s.addInstance(s.addPosition(1), 0, 0, 1.0);
    s.addInstance(0, 0, 0, 1.0, 0, 0.5); // half size: distances count double
    s.addPosition(2);
    s.addInstance(1, 30, 0, 1.0, 25);  // within 2 x |(10, 14)| = 34.4, 25 degrees off
    s.addInstance(1, 36, 0, 1.0);      // too far
    s.addInstance(1, 30, 0, 1.0, 190); // half a turn and 10 degrees off
    vx_ArrangePairTable table;
    vf_BuildPairTable(s.info, s.poses, table);
    EXPECT_TRUE(table.isCompatible(0, 0, 0));
    EXPECT_FALSE(table.isCompatible(0, 1, 0));
    EXPECT_FALSE(table.isCompatible(0, 0, 1));
    EXPECT_FALSE(table.isCompatible(0, 0, 2));
    EXPECT_FALSE(table.isCompatible(0, 0, 3));
    EXPECT_FALSE(table.isCompatible(1, 0, 0));

    s.info[1].symmetry(vx_OCExtractDefs::eSymmetric180);
    vf_BuildPairTable(s.info, s.poses, table);
    EXPECT_TRUE(table.isCompatible(0, 0, 2));
    s.poses[1][0].angle(vxRadian(vxDegree(35)));
    vf_BuildPairTable(s.info, s.poses, table);
    EXPECT_FALSE(table.isCompatible(0, 0, 0));
    s.info[0].symmetry(vx_OCExtractDefs::eRotationallySymmetric);
    vf_BuildPairTable(s.info, s.poses, table);
    EXPECT_TRUE(table.isCompatible(0, 0, 0));
}

TEST(ArrangeSearch, FindsTenCharactersAmongDistractorsWithinMilliseconds) {
    ArrangeScene s;
    for (int p = 0; p < 10; ++p) {
        s.addPosition(p + 1);
        if (p != 4) s.addInstance(p, 12.0 * p, 0, 0.85);
        s.addInstance(p, 12.0 * p, 0, 0.6, 90);                  // turned a quarter
        s.addInstance(p, 12.0 * p, 60.0 + 40.0 * (p % 2), 0.95); // scattered below
    }
    vx_ArrangeCandidate best;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(s.search(best));
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(best.choices(), (Choices{0, 0, 0, 0, -1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(best.lineStarts(), (Choices{0}));
    RecordProperty("milliseconds", std::to_string(ms));
#ifdef NDEBUG
    EXPECT_LT(ms, 20.0);
#endif
}

TEST(ArrangeSearch, FindsArcsWhoseFirstCharactersReadAgainstTheStraightDirection) {
    vx_ArrangeCandidate best;
    // Clockwise on screen across the top of a circle, seen in a mirrored client frame:
    // the polar angle falls and the text reads toward -x.
    ArrangeScene top = arcOf(8, -60, -12);
    top.params.isTextDirectionSpecified(true);
    top.params.lineType(vxOCArrangeDefs::eCircular);
    vxPelBuffer_const<unsigned char> mirrored(vxPelRect(0, 0, 8, 8));
    mirrored.clientFromImageXform(vxXform<2>(vxMatrix<2>(-1, 0, 0, 1), vxVector<2>()));
    ASSERT_TRUE(top.search(best, mirrored));
    EXPECT_EQ(best.choices(), Choices(8, 0));
    EXPECT_EQ(best.lineStarts(), (Choices{0}));
    top.params.isCircularTextDirectionClockwise(false);
    top.search(best, mirrored);
    EXPECT_GT(best.numLines(), 1);

    // Unmirrored, clockwise along the bottom, any line type.
    ArrangeScene bottom = arcOf(8, 60, 12);
    bottom.params.isTextDirectionSpecified(true);
    ASSERT_TRUE(bottom.search(best));
    EXPECT_EQ(best.lineStarts(), (Choices{0}));

    // A pair read toward -x, then a character far below: a new line closes the pair,
    // which must then read along the direction, so it is split (the cheaper two lines
    // would keep it).
    ArrangeScene pair;
    pair.addInstance(pair.addPosition(1), 12, 0, 0.9);
    pair.addInstance(pair.addPosition(2), 0, 0, 0.9);
    pair.addInstance(pair.addPosition(3), 0, 100, 0.9);
    pair.params.isTextDirectionSpecified(true);
    ASSERT_TRUE(pair.search(best));
    EXPECT_EQ(best.lineStarts(), (Choices{0, 1, 2}));
}

TEST(ArrangeSearch, CandidateLimitAndDeadEndsReturnThePaddedBestSoFar) {
    ArrangeScene s;
    s.addRow(5, 0, 0, 0.9);
    vx_ArrangeCandidate best;
    s.params.maxCandidates(0);
    EXPECT_FALSE(s.search(best));
    EXPECT_EQ(best.choices(), Choices(5, -1));
    EXPECT_EQ(best.lineStarts(), (Choices{0, 1, 2, 3, 4}));

    s.params.maxCandidates(6); // stops after a few expansions
    EXPECT_FALSE(s.search(best));
    EXPECT_EQ(best.numDecided(), 5);
    vx_ArrangeCost cost;
    EXPECT_TRUE(s.evaluate(best, cost, true));

    s.params.maxCandidates(500000);
    EXPECT_TRUE(s.search(best));
    EXPECT_EQ(best.choices(), Choices(5, 0));

    // Position 3 has no instance and may not be left unmatched: no candidate gets past
    // it, and the best one, ending its line unmatched, is padded and split.
    ArrangeScene gap;
    gap.addRow(2, 0, 0, 0.9);
    gap.addPosition(3);
    gap.addPosition(4);
    gap.info[3].mayBeUnmatched(false);
    EXPECT_FALSE(gap.search(best));
    EXPECT_EQ(best.choices(), (Choices{0, 0, -1, -1}));
    EXPECT_EQ(best.lineStarts(), (Choices{0, 2, 3}));
}

TEST(ArrangeSearch, AbortRequestAndInconsistentInputsThrow) {
    ArrangeScene s;
    s.addRow(3, 0, 0, 0.9);
    vx_ArrangeCandidate best = arrangement({1}, {0});
    const vxAttention::Token token = vxAttention::current();
    token.requestAbort();
    EXPECT_THROW(s.search(best), vxAttention::Aborted);
    token.clearAbort();
    EXPECT_EQ(best, arrangement({1}, {0}));

    s.info[1].candidateCount(2); // more than its one instance
    EXPECT_THROW(s.search(best), vxAssertionFailure);
    s.info.pop_back();
    EXPECT_THROW(s.search(best), vxAssertionFailure);
}

} // namespace
