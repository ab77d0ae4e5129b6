// The arrangement cost: line ends, unmatched positions, reuse of instances and the
// line count, then the geometry of every line.
#include "arrangeSearch.h"

bool vf_IsClientFlipped(const vxPelBuffer_const<unsigned char>& image) {
    const vxPelRect& window = image.window();
    const vxVector<2> centre(static_cast<double>(window.x()) + 0.5 * window.width(),
                             static_cast<double>(window.y()) + 0.5 * window.height());
    return image.clientFromImage()->linearXform(centre).xform().determinant() < 0.0;
}

bool vf_EvaluateArrangementCounts(const vx_ArrangeCandidate& candidate,
                                  const std::vector<long>& targetKeys,
                                  const std::vector<vx_ArrangePositionInfo>& positionInfo,
                                  const std::vector<std::vector<double>>& candidateScores,
                                  const vxOCArrangeParams& params, bool isFinal,
                                  vx_ArrangeCost& cost) {
    cost.reset();
    const int decided = candidate.numDecided();
    const bool isIncomplete = decided < static_cast<int>(targetKeys.size());
    const std::vector<int>& choices = candidate.choices();

    // A line of several positions must begin and end with a character; the last line of
    // an incomplete candidate may still grow its end.
    int loneUnmatchedLines = 0;
    for (int line = 0; line < candidate.numLines(); ++line) {
        const int begin = candidate.lineBegin(line), end = candidate.lineEnd(line);
        if (end - begin == 1) {
            if (choices[begin] < 0) ++loneUnmatchedLines;
            continue;
        }
        if (choices[begin] < 0) return false;
        const bool mayStillGrow = isIncomplete && line + 1 == candidate.numLines();
        if (choices[end - 1] < 0 && !mayStillGrow) return false;
    }

    int unmatchedCount = 0, chargedCount = 0;
    for (int i = 0; i < decided; ++i) {
        if (choices[i] >= 0) {
            cost.match += 1.0 - candidateScores[i][choices[i]];
        } else if (!positionInfo[i].isBlank()) {
            ++unmatchedCount;
            if (positionInfo[i].isCostedWhenUnmatched()) ++chargedCount;
        }
    }
    if (unmatchedCount > params.maxUnmatchedChars() && !isFinal) return false;
    cost.unmatched = params.unmatchedCharCost() * chargedCount;

    // Earlier positions were checked when they were the last, so only the newest one
    // can take an instance twice.
    if (decided > 0 && choices[decided - 1] >= 0) {
        const int last = decided - 1;
        for (int i = 0; i < last; ++i)
            if (choices[i] == choices[last] && targetKeys[i] == targetKeys[last]) return false;
    }

    const int lines = candidate.numLines() - loneUnmatchedLines;
    if (lines > params.maxLines()) return false;
    cost.lineBreak = lines > 1 ? params.lineBreakCost() * (lines - 1) : 0.0;

    return true;
}

bool vf_EvaluateArrangement(const vx_ArrangeCandidate& candidate, const vxOCAlphabet& alphabet,
                            const std::vector<long>& targetKeys,
                            const std::vector<vx_ArrangePositionInfo>& positionInfo,
                            const std::vector<std::vector<vx_Pose>>& candidatePoses,
                            const std::vector<std::vector<double>>& candidateScores,
                            const vxOCArrangeParams& params, bool isClientFlipped, bool isFinal,
                            vx_ArrangeCost& cost, const vx_ArrangeLineSums* closed,
                            vx_ArrangeGeometrySums* sums) {
    const bool counted = vf_EvaluateArrangementCounts(candidate, targetKeys, positionInfo,
                                                      candidateScores, params, isFinal, cost);
    if (!counted && !isFinal) return false;
    // The final evaluation details every position and line even when a count rejects the
    // candidate: parameters loaded from an archive are not checked again, and a line
    // limit below 1 rejects even a best candidate of lone unmatched positions.
    const bool fitted = vf_EvaluateArrangementGeometry(candidate, alphabet, targetKeys,
                                                       positionInfo, candidatePoses,
                                                       candidateScores, params, isClientFlipped,
                                                       isFinal, cost, closed, sums);
    return counted && fitted;
}
