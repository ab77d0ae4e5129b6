// Hand-built inputs of the arrangement search: per target position a key, a record
// with a 10 x 14 cell centred on the character's origin, and candidate instances.
#pragma once

#include "../../oc/arrange/arrangeSearch.h"

#include <cmath>
#include <vector>

struct ArrangeScene {
    std::vector<long> keys;
    std::vector<vx_ArrangePositionInfo> info;
    std::vector<std::vector<vx_Pose>> poses;
    std::vector<std::vector<double>> scores;
    vxOCArrangeParams params;
    vxOCAlphabet alphabet; // never read by the evaluation

    // A new position with no instances yet; returns its index.
    int addPosition(long key) {
        keys.push_back(key);
        vx_ArrangePositionInfo record;
        record.cell(vxAffineRectangle(vxVector<2>(-5, -7), 10, 14));
        info.push_back(record);
        poses.emplace_back();
        scores.emplace_back();
        return static_cast<int>(keys.size()) - 1;
    }
    // An instance of `position` (tried by the search: candidateCount grows with it).
    void addInstance(int position, double x, double y, double score, double angleDegrees = 0,
                     double scale = 1.0) {
        poses[position].emplace_back(vxVector<2>(x, y), vxRadian(vxDegree(angleDegrees)), scale);
        scores[position].push_back(score);
        info[position].candidateCount(static_cast<int>(poses[position].size()));
    }
    // `count` positions of key `firstKey`, firstKey + 1, ..., one instance each, on the
    // row at height y, 12 apart from x.
    void addRow(int count, double x, double y, double score, long firstKey = 1) {
        for (int i = 0; i < count; ++i)
            addInstance(addPosition(firstKey + i), x + 12.0 * i, y, score);
    }

    bool evaluate(const vx_ArrangeCandidate& candidate, vx_ArrangeCost& cost, bool isFinal = false,
                  bool isClientFlipped = false) const {
        return vf_EvaluateArrangement(candidate, alphabet, keys, info, poses, scores, params,
                                      isClientFlipped, isFinal, cost);
    }
    bool search(vx_ArrangeCandidate& best,
                const vxPelBuffer_const<unsigned char>& image =
                    vxPelBuffer_const<unsigned char>(vxPelRect(0, 0, 8, 8))) const {
        return vf_SearchArrangement(image, alphabet, keys, info, poses, scores, params, best);
    }
};

// A candidate from its choices and line starts.
inline vx_ArrangeCandidate arrangement(std::vector<int> choices, std::vector<int> lineStarts) {
    return vx_ArrangeCandidate(std::move(choices), std::move(lineStarts));
}
