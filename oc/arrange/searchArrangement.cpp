// Best-first search over candidate arrangements.
#include "arrangeSearch.h"
#include "pairTable.h"
#include "priorityQueue.h"

#include "vxAttention.h"

#include <algorithm>

namespace {

// Completes an incomplete best candidate: the unmatched positions that end its last
// line become lines of their own (a line may not end unmatched), then every undecided
// position is added unmatched on a line of its own.
void pad(vx_ArrangeCandidate& best, int numPositions) {
    if (best.numLines() > 0) {
        const int last = best.numLines() - 1;
        if (best.lineEnd(last) - best.lineBegin(last) > 1) {
            int trailing = 0;
            while (!best.isMatched(best.numDecided() - 1 - trailing))
                ++trailing;
            for (int k = 0; k < trailing; ++k)
                best.undo();
            vstd_assert_(best.isMatched(best.lineBegin(last)),
                         "a padded line begins with a matched position");
            for (int k = 0; k < trailing; ++k)
                best.extend(-1, true);
        }
    }
    while (best.numDecided() < numPositions)
        best.extend(-1, true);
}

// A waiting candidate with the geometric terms of its cost. A candidate that starts a
// new line with its last position has exactly the geometric terms of its parent: the
// earlier lines are the same and a line of one position has no fit.
struct Waiting {
    vx_ArrangeCandidate candidate;
    double normal = 0.0, tangential = 0.0, orientation = 0.0, scale = 0.0, spacing = 0.0;
    int backwardLines = 0;
    vx_ArrangeGeometrySums sums; // unweighted, for the evaluation of its extensions

    void keepGeometry(const vx_ArrangeCost& cost) {
        normal = cost.normal;
        tangential = cost.tangential;
        orientation = cost.orientation;
        scale = cost.scale;
        spacing = cost.spacing;
        backwardLines = cost.backwardLines;
    }
    void giveGeometry(vx_ArrangeCost& cost) const {
        cost.normal = normal;
        cost.tangential = tangential;
        cost.orientation = orientation;
        cost.scale = scale;
        cost.spacing = spacing;
        cost.backwardLines = backwardLines;
    }
};

// Equally cheap candidates, such as the two readings of a palindrome, come out of the
// queue with the fewer lines read against their characters first. The nudge is far
// below any cost difference that means something and far above rounding noise.
constexpr double kBackwardNudge = 1e-9;

} // namespace

bool vf_SearchArrangement(const vxPelBuffer_const<unsigned char>& image,
                          const vxOCAlphabet& alphabet, const std::vector<long>& targetKeys,
                          const std::vector<vx_ArrangePositionInfo>& positionInfo,
                          const std::vector<std::vector<vx_Pose>>& candidatePoses,
                          const std::vector<std::vector<double>>& candidateScores,
                          const vxOCArrangeParams& params, vx_ArrangeCandidate& best) {
    const int numPositions = static_cast<int>(targetKeys.size());
    vstd_assert_(positionInfo.size() == targetKeys.size(), "one position record per target key");
    vstd_assert_(candidatePoses.size() == targetKeys.size() &&
                     candidateScores.size() == targetKeys.size(),
                 "one candidate list per target key");
    for (int i = 0; i < numPositions; ++i) {
        const int count = positionInfo[i].candidateCount();
        vstd_assert_(candidatePoses[i].size() == candidateScores[i].size() && count >= 0 &&
                         static_cast<std::size_t>(count) <= candidatePoses[i].size(),
                     "candidateCount within the position's candidate lists");
    }

    const bool isClientFlipped = vf_IsClientFlipped(image);
    vx_ArrangePairTable table;
    vf_BuildPairTable(positionInfo, candidatePoses, table);

    vx_PriorityQueue<Waiting> queue;
    queue.push(Waiting(), 0.0);
    vx_ArrangeCandidate found;
    double foundCost = 0.0;
    const std::size_t maxCandidates = static_cast<std::size_t>(std::max(params.maxCandidates(), 0));

    // Whether the last line of `parent` has exactly two matched characters. With
    // circular lines allowed, the evaluation spares such a line the straight reading
    // direction and the straight fit's geometric terms while it may still grow into an
    // arc.
    const bool sparesShortLines = params.lineType() != vxOCArrangeDefs::eStraight;
    const auto endsWithTwoCharacters = [](const vx_ArrangeCandidate& parent) {
        const int last = parent.numLines() - 1;
        int matched = 0;
        for (int i = parent.lineBegin(last); i < parent.lineEnd(last) && matched <= 2; ++i)
            matched += parent.isMatched(i) ? 1 : 0;
        return matched == 2;
    };

    vx_ArrangeCost cost;
    Waiting current, next;
    // Evaluates the current candidate extended by one position and queues it when
    // feasible; the longest candidate seen, cheapest among equals, is kept. A new line
    // changes the geometry of the earlier ones in two cases: once three positions are
    // decided, circular-only lines of two characters fail; and a spared two-character
    // line is held to the reading direction and charged its fit once the new line
    // closes it.
    const auto tryExtension = [&](int choice, bool newLine) {
        // Besides the polls of the loop below: an iteration evaluates up to twice as
        // many extensions as a position has instances, each refitting its lines, which
        // on crowded images took tens of milliseconds between two polls.
        vxAttention::check();
        next.candidate = current.candidate;
        next.candidate.extend(choice, newLine);
        const bool keepsGeometry = newLine &&
                                   !(params.lineType() == vxOCArrangeDefs::eCircular &&
                                     next.candidate.numDecided() == 3) &&
                                   !(sparesShortLines && current.candidate.numLines() > 0 &&
                                     endsWithTwoCharacters(current.candidate));
        bool feasible;
        if (keepsGeometry) {
            feasible = vf_EvaluateArrangementCounts(next.candidate, targetKeys, positionInfo,
                                                    candidateScores, params, false, cost);
            current.giveGeometry(cost);
            next.sums.closed = next.sums.all = current.sums.all;
        } else {
            // Within the last line, the lines before it are the parent's: only the last
            // is fitted again (bit for bit what fitting them all gives), unless the
            // third decided position changes which fits circular-only lines allow.
            const bool fromParent = !newLine && !(params.lineType() == vxOCArrangeDefs::eCircular &&
                                                  next.candidate.numDecided() == 3);
            feasible = vf_EvaluateArrangement(
                next.candidate, alphabet, targetKeys, positionInfo, candidatePoses,
                candidateScores, params, isClientFlipped, false, cost,
                fromParent ? &current.sums.closed : nullptr, &next.sums);
        }
        if (!feasible) return;
        const double total = cost.total() + kBackwardNudge * cost.backwardLines;
        if (next.candidate.numDecided() > found.numDecided() ||
            (next.candidate.numDecided() == found.numDecided() && total < foundCost)) {
            found = next.candidate;
            foundCost = total;
        }
        next.keepGeometry(cost);
        queue.push(next, total);
    };

    unsigned long iterations = 0;
    while (queue.size() < maxCandidates && !queue.empty()) {
        if (queue.top().candidate.numDecided() == numPositions) break;
        // Polled on the counts whose bit 3 is clear (1 to 7, 16 to 23, ...).
        if ((++iterations & 8) == 0) vxAttention::check();
        current = queue.take();
        const int p = current.candidate.numDecided();
        if (p < found.numDecided() - 5) continue;

        const vx_ArrangePositionInfo& info = positionInfo[p];
        const int lastChoice = p > 0 ? current.candidate.choices().back() : -1;
        for (int c = info.mayBeUnmatched() ? -1 : 0; c < info.candidateCount(); ++c) {
            const bool mayContinue =
                p >= 1 && (lastChoice < 0 || c < 0 || table.isCompatible(p - 1, lastChoice, c));
            if (mayContinue) tryExtension(c, false);
            tryExtension(c, true);
        }
    }

    const bool complete = found.numDecided() == numPositions;
    if (!complete) pad(found, numPositions);
    best = std::move(found);
    return complete;
}
