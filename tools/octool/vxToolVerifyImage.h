// One image's verification for `octool verify`: the module call, the report of its
// positions where verification judged them, and the ways of printing it. Shared by the
// single-image command and batch runs (which call it from several threads on one
// compiled alphabet).
#pragma once

#include "vxDiagObject.h"
#include "vxOCVerify.h"
#include "vxToolReport.h"

#include <ostream>
#include <string>

struct vxToolVerifyOutcome {
    vxOCVerifyResults results;
    // Positions in target order, cells where verification judged them, with verdicts.
    vxToolReport report;
};

// Verifies `keys` in `image` (within `mask` when bound) with a compiled alphabet; the
// diagnostics go to `diag` when not null. Throws what vfOCVerify throws.
vxToolVerifyOutcome vfToolVerifyImage(const vxPelBuffer_const<unsigned char>& image,
                                      const vxPelBuffer_const<unsigned char>& mask,
                                      const vxOCAlphabet& alphabet, const std::vector<long>& keys,
                                      const vxOCArrangeParams& arrangeParams,
                                      const vxOCVerifyParams& verifyParams,
                                      vxDiagObject* diag = nullptr);

// Why position `i` failed: "expected 'E', reads as 'F' (1.00 against 0.77)" or
// "expected 'E', missing (0.12)".
std::string vfToolVerifyFailure(const vxToolVerifyOutcome& outcome, const vxOCAlphabet& alphabet,
                                std::size_t i);

// PASS, or FAIL and one line "position I: ..." per failed position.
void vfToolPrintVerifyLines(std::ostream& out, const vxToolVerifyOutcome& outcome,
                            const vxOCAlphabet& alphabet);

// One JSON object: pass, timeMs, positions; with a non-empty `image` that path comes
// first as "image". `compact` writes it on one line.
void vfToolPrintVerifyJson(std::ostream& out, const vxToolVerifyOutcome& outcome,
                           const vxOCAlphabet& alphabet, const std::string& image = "",
                           bool compact = false);
