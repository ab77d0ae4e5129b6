// The arranger's character search: runs the character finder over the run-time image
// and turns each target position's findings into its candidate lists and record.
#pragma once

#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxPelBuffer.h"
#include "vx_ArrangePose.h"
#include "vx_OCExtractResults.h"

#include <vector>

class vxDiagObject;

// Finds the characters of targetKeys in image (within mask's care pixels when mask is
// bound), searching angles from -179 to 180 degrees and params.scaleRange(), accepting
// scores from params.minMatchScore(), each character run limited to params.timeout()
// milliseconds. candidatePoses and candidateScores get one list per target position:
// every instance of the position's key, best first. positionInfo (one record per
// position, made by the caller) gets each position's symmetry, half-turn pose,
// occurrence count, candidate count (the best numOccurrences instances and those
// scoring within 0.15 of the last of them), whether it may stay unmatched (too few
// instances, or the numOccurrences-th best below 0.7), and, for a key found nowhere,
// that leaving it unmatched costs nothing. The finder's training and search time is
// added to *totalTime (when not null). Returns false when a character's run was cut
// short by its time limit. With diag, an image record "Search for characters" is
// added one level down and the finder records two levels down.
// Throws vxAssertionFailure, changing nothing, when positionInfo does not hold one
// record per position; the finder's errors pass out.
bool vf_SearchCharacters(const vxPelBuffer_const<unsigned char>& image,
                         const vxPelBuffer_const<unsigned char>& mask,
                         const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                         const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                         std::vector<std::vector<vx_Pose>>& candidatePoses,
                         std::vector<std::vector<double>>& candidateScores,
                         std::vector<vx_ArrangePositionInfo>& positionInfo, double* totalTime,
                         vxDiagObject* diag = nullptr, unsigned long diagFlags = 0);

// One position's share of vf_SearchCharacters: appends every instance of r to poses
// and scores (best first, as r holds them) and sets info's symmetry, half-turn pose,
// occurrence count, candidate count, mayBeUnmatched and, when r has no instance,
// isCostedWhenUnmatched (false).
void vf_PositionCandidates_(const vx_OCExtractCharResult& r, std::vector<vx_Pose>& poses,
                            std::vector<double>& scores, vx_ArrangePositionInfo& info);
