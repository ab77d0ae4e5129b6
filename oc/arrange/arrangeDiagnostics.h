// The arranger's "Build arrangement" record: how the best arrangement was built, line
// by line, with each position's cost terms and the characters and lines drawn.
#pragma once

#include "arrangeCandidate.h"
#include "arrangeCost.h"
#include "vxOCAlphabet.h"
#include "vxOCArrangeDefs.h"
#include "vxOCArrangeParams.h"
#include "vx_ArrangePose.h"

#include <vector>

class vxDiagObject;

// One level deeper than the caller's records: an image record "Build arrangement" with,
// per line of `best`, its graphics (cells of matched positions in green, inferred in
// orange, unknown not drawn; the fitted line or arc in red) and its cost details, then
// the "Arrangement cost" text ("No valid solution found" when `success` is false).
// `poses`, `scores` and `statusFlags` are the final ones, one per position; the cost is
// the final evaluation's, in detail.
void vf_RecordBuildArrangement(const vxPelBuffer_const<unsigned char>& image,
                               const vxOCAlphabet& alphabet, const std::vector<long>& targetKeys,
                               const std::vector<vx_ArrangePositionInfo>& positionInfo,
                               const std::vector<vx_Pose>& poses,
                               const std::vector<double>& scores,
                               const std::vector<vxOCArrangeDefs::CharStatus>& statusFlags,
                               const vxOCArrangeParams& params, const vx_ArrangeCandidate& best,
                               const vx_ArrangeCost& cost, bool success, vxDiagObject* diag);
