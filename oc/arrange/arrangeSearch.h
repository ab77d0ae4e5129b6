// The arrangement search: the cost of a candidate arrangement with its feasibility
// rules, and the best-first search over candidates that picks one instance (or none)
// per target position and the line breaks.
//
// The per-position inputs travel as the character search leaves them: one
// vx_ArrangePositionInfo, one list of candidate poses and one of scores (best first,
// equally long) per target position, in target order.
#pragma once

#include "arrangeCandidate.h"
#include "arrangeCost.h"
#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxPelBuffer.h"
#include "vx_ArrangePose.h"

#include <vector>

// Whether the image's client frame is mirrored: its client-from-image transform,
// linearised at the centre of the image's window, has a negative determinant.
bool vf_IsClientFlipped(const vxPelBuffer_const<unsigned char>& image);

// Fills `cost` for `candidate` and returns whether the candidate is feasible (for an
// infeasible one `cost` holds whatever was found before the rejection). Rejected are:
// a line of two or more positions that begins unmatched, or ends unmatched unless it
// is the last line of an incomplete candidate; more unmatched non-blank positions than
// maxUnmatchedChars (not checked when `isFinal`); a last decided position whose
// instance an earlier position of the same key already took; more than maxLines lines
// (lines of one unmatched position not counted); and a line that neither fit accepts.
// With circular lines allowed, the last line of an incomplete candidate is not held
// to the straight reading direction while it has two matched characters (it may still
// become an arc, whose sense counts from its third character on).
// `isFinal` also records the per-position and per-line details, complete even when
// a rule or the fits reject the candidate (a line no fit accepts is detailed from a straight
// fit free of the line type and text direction, where the characters follow one another
// along it), since a padded candidate may break a rule that depends on its length.
// `alphabet` is not read; `isClientFlipped` is the handedness of vf_IsClientFlipped.
bool vf_EvaluateArrangement(const vx_ArrangeCandidate& candidate, const vxOCAlphabet& alphabet,
                            const std::vector<long>& targetKeys,
                            const std::vector<vx_ArrangePositionInfo>& positionInfo,
                            const std::vector<std::vector<vx_Pose>>& candidatePoses,
                            const std::vector<std::vector<double>>& candidateScores,
                            const vxOCArrangeParams& params, bool isClientFlipped, bool isFinal,
                            vx_ArrangeCost& cost, const vx_ArrangeLineSums* closed = nullptr,
                            vx_ArrangeGeometrySums* sums = nullptr);

// vf_EvaluateArrangement up to the geometry: resets `cost`, sets its match, unmatched
// and lineBreak terms and returns whether the candidate passes every rule but the fits.
bool vf_EvaluateArrangementCounts(const vx_ArrangeCandidate& candidate,
                                  const std::vector<long>& targetKeys,
                                  const std::vector<vx_ArrangePositionInfo>& positionInfo,
                                  const std::vector<std::vector<double>>& candidateScores,
                                  const vxOCArrangeParams& params, bool isFinal,
                                  vx_ArrangeCost& cost);

// The geometric part of vf_EvaluateArrangement, its last step: fits every line with
// two or more matched characters straight and, with three or more, circular, keeps
// the cheaper (straight on a tie), and adds the normal, tangential, orientation, scale
// and spacing terms to `cost` and its line records. Returns false when some line has
// no acceptable fit. Outside the final evaluation, `closed` (unless null) gives the
// sums over the lines before the last, taken from the evaluation of a parent that
// differs only in its last line, under the same line-type rule (not across the third
// decided position of circular-only lines): only the last line is fitted, with results
// equal to the full evaluation's to the bit, and the lines before it get empty
// records. `sums` (unless null) receives this candidate's sums.
bool vf_EvaluateArrangementGeometry(const vx_ArrangeCandidate& candidate,
                                    const vxOCAlphabet& alphabet,
                                    const std::vector<long>& targetKeys,
                                    const std::vector<vx_ArrangePositionInfo>& positionInfo,
                                    const std::vector<std::vector<vx_Pose>>& candidatePoses,
                                    const std::vector<std::vector<double>>& candidateScores,
                                    const vxOCArrangeParams& params, bool isClientFlipped,
                                    bool isFinal, vx_ArrangeCost& cost,
                                    const vx_ArrangeLineSums* closed = nullptr,
                                    vx_ArrangeGeometrySums* sums = nullptr);

// Best-first search for the cheapest arrangement of all target positions, trying the
// first candidateCount instances of each position (and unmatched, where allowed).
// Stops when the cheapest waiting candidate is complete, when the queue runs empty or
// once maxCandidates candidates wait; candidates more than five positions behind the
// longest one seen are dropped unexpanded. `best` gets the longest candidate seen (the
// cheapest of those), padded to every position when incomplete: trailing unmatched
// positions of its last line and the undecided positions become lines of their own.
// Returns whether `best` was complete without padding. Polls vxAttention::check, whose
// exceptions pass through (`best` is then unchanged). The image serves only for the
// handedness. Throws vxAssertionFailure when the per-position lists do not all have
// one entry per target key, or a position's candidateCount exceeds its lists.
bool vf_SearchArrangement(const vxPelBuffer_const<unsigned char>& image,
                          const vxOCAlphabet& alphabet, const std::vector<long>& targetKeys,
                          const std::vector<vx_ArrangePositionInfo>& positionInfo,
                          const std::vector<std::vector<vx_Pose>>& candidatePoses,
                          const std::vector<std::vector<double>>& candidateScores,
                          const vxOCArrangeParams& params, vx_ArrangeCandidate& best);
