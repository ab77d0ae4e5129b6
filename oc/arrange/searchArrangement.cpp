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

    vx_PriorityQueue<vx_ArrangeCandidate> queue;
    queue.push(vx_ArrangeCandidate(), 0.0);
    vx_ArrangeCandidate found;
    double foundCost = 0.0;
    const std::size_t maxCandidates = static_cast<std::size_t>(std::max(params.maxCandidates(), 0));

    vx_ArrangeCost cost;
    vx_ArrangeCandidate current;
    // Evaluates the current candidate extended by one position and queues it when
    // feasible; the longest candidate seen, cheapest among equals, is kept.
    const auto tryExtension = [&](int choice, bool newLine) {
        current.extend(choice, newLine);
        if (vf_EvaluateArrangement(current, alphabet, targetKeys, positionInfo, candidatePoses,
                                   candidateScores, params, isClientFlipped, false, cost)) {
            const double total = cost.total();
            if (current.numDecided() > found.numDecided() ||
                (current.numDecided() == found.numDecided() && total < foundCost)) {
                found = current;
                foundCost = total;
            }
            queue.push(current, total);
        }
        current.undo();
    };

    unsigned long iterations = 0;
    while (queue.size() < maxCandidates && !queue.empty()) {
        if (queue.top().numDecided() == numPositions) break;
        // Polled on the counts whose bit 3 is clear (1 to 7, 16 to 23, ...).
        if ((++iterations & 8) == 0) vxAttention::check();
        current = queue.take();
        const int p = current.numDecided();
        if (p < found.numDecided() - 5) continue;

        const vx_ArrangePositionInfo& info = positionInfo[p];
        const int lastChoice = p > 0 ? current.choices().back() : -1;
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
