// Evaluating an extension within its last line from the parent's sums over the lines
// before it gives what evaluating every line gives, to the bit, on random scenes and
// random candidates of straight, circular and either kind of lines.
#include "arrange_scene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSameSums(const vx_ArrangeLineSums& a, const vx_ArrangeLineSums& b, const char* what) {
    EXPECT_TRUE(same(a.normal, b.normal) && same(a.tangential, b.tangential) &&
                same(a.orientation, b.orientation) && same(a.scale, b.scale) &&
                same(a.spacing, b.spacing) && a.backwardLines == b.backwardLines)
        << what;
}

} // namespace

TEST(ArrangeIncremental, LastLineFromTheParentEqualsEveryLine) {
    std::mt19937 rng(23);
    std::uniform_real_distribution<double> jitter(-1.5, 1.5), turn(-12.0, 12.0),
        grow(0.9, 1.1), score(0.5, 1.0), unit(0.0, 1.0);
    long compared = 0;
    for (int trial = 0; trial < 60; ++trial) {
        ArrangeScene s;
        s.params.lineType(static_cast<vxOCArrangeDefs::LineType>(trial % 3));
        s.params.maxUnmatchedChars(4);
        s.params.maxLines(4);
        // Three rows of five, some bent into arcs, each position with up to three
        // instances: the true one and stray ones.
        for (int p = 0; p < 15; ++p) {
            const int row = p / 5, col = p % 5;
            const double bend = trial % 2 ? 0.8 * (col - 2) * (col - 2) : 0.0;
            const int at = s.addPosition(1 + p % 7);
            s.addInstance(at, 12.0 * col + jitter(rng), 30.0 * row + bend + jitter(rng), score(rng),
                          turn(rng), grow(rng));
            for (int extra = static_cast<int>(rng() % 3); extra > 0; --extra)
                s.addInstance(at, 60.0 * unit(rng), 90.0 * unit(rng), score(rng), 90.0 * unit(rng));
        }
        for (int walk = 0; walk < 20; ++walk) {
            vx_ArrangeCandidate parent;
            vx_ArrangeGeometrySums parentSums;
            for (int p = 0; p < 15; ++p) {
                const int count = s.info[p].candidateCount();
                const int choice = static_cast<int>(rng() % (count + 1)) - 1;
                const bool newLine = p == 0 || (p % 5 == 0 ? unit(rng) < 0.8 : unit(rng) < 0.1);
                vx_ArrangeCandidate child = parent;
                child.extend(choice, newLine);
                vx_ArrangeCost whole, fromParent;
                vx_ArrangeGeometrySums wholeSums, partSums;
                const bool feasible = vf_EvaluateArrangement(
                    child, s.alphabet, s.keys, s.info, s.poses, s.scores, s.params, false, false,
                    whole, nullptr, &wholeSums);
                const bool ruleKept = !(s.params.lineType() == vxOCArrangeDefs::eCircular &&
                                        child.numDecided() == 3);
                if (!newLine && ruleKept) {
                    const bool feasibleToo = vf_EvaluateArrangement(
                        child, s.alphabet, s.keys, s.info, s.poses, s.scores, s.params, false,
                        false, fromParent, &parentSums.closed, &partSums);
                    ASSERT_EQ(feasible, feasibleToo) << "trial " << trial << " position " << p;
                    if (feasible) {
                        ++compared;
                        EXPECT_TRUE(same(whole.total(), fromParent.total()) &&
                                    whole.backwardLines == fromParent.backwardLines)
                            << "trial " << trial << " position " << p;
                        expectSameSums(wholeSums.closed, partSums.closed, "closed");
                        expectSameSums(wholeSums.all, partSums.all, "all");
                    }
                }
                if (!feasible) break;
                parent = child;
                parentSums = wholeSums;
            }
        }
    }
    EXPECT_GT(compared, 500) << compared;
}
