// vx_ArrangePairTable: which instances of neighbouring target positions may follow one
// another on a line. The arrangement search continues a line from instance a of
// position i to instance b of position i + 1 only when the table allows it.
#pragma once

#include "vx_ArrangePose.h"

#include <cstddef>
#include <vector>

class vx_ArrangePairTable {
public:
    // No pairs.
    vx_ArrangePairTable() = default;

    // Whether instance `right` of position `left` + 1 may follow instance `leftChoice`
    // of position `left`. Indices outside the table give false.
    bool isCompatible(int left, int leftChoice, int right) const;

private:
    friend void vf_BuildPairTable(const std::vector<vx_ArrangePositionInfo>&,
                                  const std::vector<std::vector<vx_Pose>>&, vx_ArrangePairTable&);
    struct Pair {
        std::size_t rows = 0, cols = 0;
        std::vector<unsigned char> compatible; // rows x cols, row-major
    };
    std::vector<Pair> pairs_;
};

// Fills `table` for every adjacent pair of positions and every instance of each (not
// only the first candidateCount). Instance b of position i + 1 may follow instance a
// of position i when b's origin, seen from a's pose, lies within twice the longest
// cell diagonal of the two positions, and the two orientations differ by at most 30
// degrees (any difference for a fully symmetric character, modulo a half turn when
// either is half-turn symmetric).
void vf_BuildPairTable(const std::vector<vx_ArrangePositionInfo>& positionInfo,
                       const std::vector<std::vector<vx_Pose>>& candidatePoses,
                       vx_ArrangePairTable& table);
