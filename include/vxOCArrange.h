// The arranger: finds the characters of a target string in an image, picks at most one
// found instance per target position, groups the positions into straight or circular
// lines and reports per position a status, a score and a pose.
#pragma once

#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxOCArrangeResults.h"
#include "vxPelBuffer.h"

#include <vector>

class vxDiagObject;

// Arranges `targetKeys` (one alphabet key per expected character, in reading order) in
// `image`, using the compiled `alphabet` and `params`, and fills `results`: one status
// and one score per position, the lines as a vxOCLineArrangement and the transform from
// the arrangement's frame to client coordinates. The alphabet is copied, so the results
// stay valid when the caller's alphabet changes. An empty target gives an empty
// arrangement and isFound without any search. A run cut short by the finder's time
// limit or the candidate limit returns its best arrangement with isSearchTruncated.
// Throws, before touching `results`, vxPel::UnboundWindow for an unbound image and
// vxOCDefs::BadKey (empty message) for a key not in the alphabet. A stop request
// (vxAttention) or a caller's time limit passes through; `results` then holds defaults
// or partial values. Records into `diag` as `diagFlags` ask (input, intermediate,
// results).
void vfOCArrange(const vxPelBuffer_const<unsigned char>& image, const vxOCAlphabet& alphabet,
                 const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                 vxOCArrangeResults& results, vxDiagObject* diag = nullptr,
                 unsigned long diagFlags = 0);

// As above, searching only where `mask` is 128 or more. The mask must be bound
// (vxPel::UnboundWindow otherwise) and have the image's window size and offset
// (vxOCArrangeDefs::BadMask, no message, otherwise).
void vfOCArrange(const vxPelBuffer_const<unsigned char>& image,
                 const vxPelBuffer_const<unsigned char>& mask, const vxOCAlphabet& alphabet,
                 const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                 vxOCArrangeResults& results, vxDiagObject* diag = nullptr,
                 unsigned long diagFlags = 0);

// The implementation of both forms: `mask` may be unbound (no mask).
void vfOCArrange_(const vxPelBuffer_const<unsigned char>& image,
                  const vxPelBuffer_const<unsigned char>& mask, const vxOCAlphabet& alphabet,
                  const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                  vxOCArrangeResults& results, vxDiagObject* diag, unsigned long diagFlags);
