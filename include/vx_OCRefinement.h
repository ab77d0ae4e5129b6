// The arranger's last look at positions it could only infer: the run-time image is
// resampled around each inferred pose into the character model's own pixel frame and
// searched with a correlation bank of the character (vxRSINrcSearchModel) at small
// rotations and scales. Where the bank finds the character, the position becomes
// matched with the correlation pose and score.
#pragma once

#include "vxOCAlphabet.h"
#include "vxOCArrangeDefs.h"
#include "vxRSINrcSearchModel.h"
#include "vx_ArrangePose.h"

#include <vector>

class vxDiagObject;

// Refines the inferred positions of an arrangement in place. poses, statuses and
// scores hold one entry per target key. For each non-blank key with an inferred
// position, a bank is trained once on the key's model (image and mask windowed to its
// image area; -3 to 3 degrees in 0.5 degree steps, scales 0.95 to 1.065 in steps of
// 3 %); at each inferred position the image is sampled around the pose (see
// vf_SampleAroundPose_) and searched with the bank (accept 0.3, confusion 0.4, one
// result). A find makes the position eMatched with the bank's pose and correlation
// score, which may be below the arranger's own minimum match score. Matched and
// unknown positions, blanks, positions whose patch would leave the image and keys
// whose bank cannot be trained or run keep their values. `diag` and `diagFlags` are
// not used.
// Throws vxOCDefs::BadParams for a null alphabet or outputs whose sizes differ from
// the target's, vxOCDefs::BadKey for a key not in the alphabet and
// vxPel::UnboundWindow for an unbound image, all before any work. A time limit
// (vxTimeout::Error, in particular a caller's vxTimeout::Expired) or an abort request
// (vxAttention::Aborted) passes through. Outputs change only when the call returns.
void vf_RefineArrangement(const vxPelBuffer_const<unsigned char>& image,
                          const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                          const std::vector<long>& targetKeys, std::vector<vx_Pose>& poses,
                          std::vector<vxOCArrangeDefs::CharStatus>& statuses,
                          std::vector<double>& scores, vxDiagObject* diag = nullptr,
                          unsigned long diagFlags = 0);

// The bank the refinement trains for each key: -3 to 3 degrees in 0.5 degree steps
// times the scales 0.95 to 1.065 in steps of 3 % (0.95, 0.9785, 1.0079, 1.0381), 52
// correlation models.
vx_RSITrainParams vf_RefinementTrainParams_();

// Samples `image` around a character expected at `expectedPose` (client from model
// client) into `out`, in the model's pixel frame: out's pixel (i, j) looks at the run
// image where the model's pixel (i, j) is expected, out's window is that of the
// sampled model pixels and out's client coordinates are the run image's. The sampled
// model rectangle is modelWindow grown by a third of its width and height on each
// side, enclosing every turn up to angleMargin + 2 degrees and scale up to 1 +
// scaleMargin (vf_EncloseTurned_); when that would need pixels outside image's root,
// the ungrown window is tried instead. Returns whether `out` was filled; out is
// unbound when not (also for an empty modelWindow). Bilinear interpolation.
// Throws what the affine sampling throws (a non-linear or singular transform, a pose
// that is not finite).
bool vf_SampleAroundPose_(vxPelBuffer<unsigned char>& out,
                          const vxPelBuffer_const<unsigned char>& image,
                          const vxPelRect& modelWindow, const vxXform<2>& modelClientFromImage,
                          const vxXform<2>& expectedPose, vxRadian angleMargin, double scaleMargin);

// The pixel rectangle that holds r turned about its centre by any angle from
// -maxAngle to +maxAngle (maxAngle from 0) and scaled by up to 1 + scaleMargin: the box
// of the arcs swept by r's corners, rounded outwards (floor of the upper-left corner,
// ceiling of the lower-right, forgiving 1e-11). A turn of half a turn or more sweeps
// the whole circle through the corners.
vxPelRect vf_EncloseTurned_(const vxPelRect& r, vxRadian maxAngle, double scaleMargin);

// The pel rectangle r as an affine rectangle (origin at its upper-left corner, first
// side to the upper-right, second to the lower-left corner) mapped by x.
vxAffineRectangle vf_AffineRectFromPelRect_(const vxPelRect& r, const vxXform<2>& x);
