// From the search's best candidate to the caller's result: a status, score and pose
// per target position, then the lines, the line arrangement and its client transform.
#pragma once

#include "arrangeCandidate.h"
#include "arrangeCost.h"
#include "vxOCAlphabet.h"
#include "vxOCArrangeDefs.h"
#include "vxOCArrangeParams.h"
#include "vxOCLine.h"
#include "vx_ArrangePose.h"

#include <vector>

// Gives every position of the complete `best` its status, score and pose, using the
// details of its final evaluation `cost`. A matched position takes its instance's
// score and pose, its angle replaced by the expected orientation for a fully symmetric
// character, and turned by the model's own half turn for a half-turn-symmetric one
// read more than a quarter turn off the expected orientation. An unmatched position
// inside a line is inferred (score 0) at its predicted place with the expected
// orientation and the line's scale; one alone on its line stays unknown (score 0) at
// the origin with the geometric middle of the scale range. Throws vxAssertionFailure
// for an incomplete `best`, a cost without details or a line of several positions
// that begins or ends unmatched.
void vf_AssignArrangementResults(const std::vector<std::vector<vx_Pose>>& candidatePoses,
                                 const std::vector<std::vector<double>>& candidateScores,
                                 const vx_ArrangeCandidate& best, const vx_ArrangeCost& cost,
                                 const std::vector<vx_ArrangePositionInfo>& positionInfo,
                                 const vxOCArrangeParams& params, std::vector<vx_Pose>& poses,
                                 std::vector<double>& scores,
                                 std::vector<vxOCArrangeDefs::CharStatus>& statusFlags);

// Builds one vxOCLine per line of `best`, named "Line 0", "Line 1", ..., holding
// `alphabet` and one single-key key set per position, and the arrangement of them.
// The arrangement frame is the rigid part of the first pose (identity without
// positions), returned as `clientFromArrangementXform`; each line's frame is the rigid
// part of its first position's pose, and character poses are rigid poses in the line
// frame with the poses' scales. With `compPoseUncertainties` each character gets the
// distance from its predicted place, its orientation error and its scale deviation
// (from the final evaluation `cost`) as uncertainties; otherwise all are 0. Throws
// vxAssertionFailure when `poses` does not have one entry per position of `best`.
void vf_BuildLineArrangement(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                             const std::vector<long>& targetKeys, const vx_ArrangeCandidate& best,
                             const vx_ArrangeCost& cost, const std::vector<vx_Pose>& poses,
                             bool compPoseUncertainties,
                             vxPtrHandle_const<vxOCLineArrangement>& arrangement,
                             vxXform<2>& clientFromArrangementXform);
