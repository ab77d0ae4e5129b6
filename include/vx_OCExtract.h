// The character finder: trains one alignment pattern per distinct key of a target
// string, decides each character's rotational symmetry, and searches a run-time image
// for every character, most distinctive first, learning a common character scale on
// the way. The arranger runs one finder per arrange call (see vf_SearchCharacters).
#pragma once

#include "vxKSAlignPattern.h"
#include "vxOCAlphabet.h"
#include "vxPelBuffer.h"
#include "vxRange.h"
#include "vx_OCExtractDefs.h"
#include "vx_OCExtractResults.h"

#include <sstream>
#include <utility>
#include <vector>

class vxDiagObject;

// What the finder searches over.
class vx_OCExtractModelParams {
public:
    vxRange angleRange{-180.0, 180.0}; // degrees
    vxRange scaleRange{0.5, 2.0};
    // Coarse and fine granularity of the patterns; -1 in either lets the tool choose.
    std::pair<double, double> grainLimits{-1.0, -1.0};
};

// How each character's run goes.
class vx_OCExtractRunParams {
public:
    double timeout = 10.0;           // milliseconds per character run (0 is allowed)
    double acceptThreshold = 0.5;    // lowest score of an accepted match
    double confusionThreshold = 0.6; // shown in the run-time diagnostics only
    double overlap = 0.1;            // shown in the run-time diagnostics only
};

// One search of one target string. Build one, call search once, read the string
// result (which stays valid after the model is gone). Not copyable.
class vx_OCExtractModel {
public:
    vx_OCExtractModel();
    ~vx_OCExtractModel();
    vx_OCExtractModel(const vx_OCExtractModel&) = delete;
    vx_OCExtractModel& operator=(const vx_OCExtractModel&) = delete;

    // Deletes the patterns and forgets keys, occurrences and the search order.
    void init();
    // The number of distinct target keys of the last training (with or without a
    // pattern each).
    long numModels() const { return static_cast<long>(patterns_.size()); }

    // Trains on the alphabet's models of targetKeys' distinct keys, then runs each
    // character's pattern over image (restricted to mask's care pixels, >= 128, when
    // mask is bound), each run under its own time limit of runParams.timeout
    // milliseconds. result gets one char result per distinct key and per position,
    // instances best first. Characters are searched most edge-spread first; once the
    // best matches of max(3, (numModels() + 1) / 2) of them agree on a scale (within a
    // factor 1.08, see vf_ConsensusScale_), the rest are searched at that scale only.
    // Returns false when a run was cut short by its time limit or
    // an internal error of the alignment tool (the character keeps what it had found);
    // true otherwise. A key the alphabet lacks, a blank, or a character with too few or
    // too one-sided edges gets no pattern and is reported as not found. A caller's own
    // time limit (vxTimeout::Expired), an abort request and the tools' other errors
    // pass out (an abort request as vxAttention::Aborted). Before anything changes it
    // throws vx_OCExtractDefs::vx_OCExtractError for an unbound or empty image
    // ("Unbound or empty image"), a bound mask of another size ("Mask size differs from
    // image size"), an empty or unbounded angle range ("Invalid angle range"), a scale
    // range that is empty, unbounded or starts at 0 or below ("Invalid scale range"), an
    // accept threshold outside [0, 1] ("Invalid accept threshold") or a negative or NaN
    // timeout ("Invalid timeout"). Diagnostics: see drawRuntimeDiags_.
    bool search(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                const std::vector<long>& targetKeys, const vxPelBuffer_const<unsigned char>& image,
                const vxPelBuffer_const<unsigned char>& mask,
                const vx_OCExtractModelParams& modelParams, const vx_OCExtractRunParams& runParams,
                vx_OCExtractStringResult& result, vxDiagObject* diag = nullptr,
                unsigned long diagFlags = 0);

private:
    friend struct vx_OCExtractPeer;

    void train_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                const std::vector<long>& targetKeys, vx_OCExtractStringResult& result,
                vxDiagObject* diag, unsigned long diagFlags);
    void computeModelSymmetries_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                                 vxDiagObject* diag, unsigned long diagFlags);
    bool searchKestrel_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                        const vxPelBuffer_const<unsigned char>& image,
                        const vxPelBuffer_const<unsigned char>& mask,
                        const vx_OCExtractRunParams& runParams, vx_OCExtractStringResult& result,
                        vxDiagObject* diag, unsigned long diagFlags);
    void postProcessResults_(vx_OCExtractStringResult& result, const std::vector<long>& targetKeys,
                             const vx_OCExtractRunParams& runParams, vxDiagObject* diag,
                             unsigned long diagFlags);
    // A verification hook; leaves result unchanged. search does not call it.
    void verifyKestrelResults_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                               const vxPelBuffer_const<unsigned char>& image,
                               vx_OCExtractStringResult& result, vxDiagObject* diag,
                               unsigned long diagFlags);
    void drawTrainDiags_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                         const vxPelBuffer_const<unsigned char>& image,
                         const std::vector<long>& targetKeys, vxDiagObject* diag,
                         unsigned long diagFlags);
    // With diag: bit 0x10000 of diagFlags collects the run parameters into diagText_;
    // bit 0x20000 adds the text record "Result details" (the parameters when collected,
    // then per searched character whether and where it was found) and one graphics
    // record per instance: its rectangle and direction in green, and in blue the
    // directions a symmetric character cannot be told from.
    void drawRuntimeDiags_(const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                           const vxPelBuffer_const<unsigned char>& image,
                           const vx_OCExtractRunParams& runParams, vx_OCExtractStringResult& result,
                           vxDiagObject* diag, unsigned long diagFlags);

    // Per model i (one per distinct target key, keys_ ascending).
    std::vector<long> occurrences_;
    vx_OCExtractModelParams params_;
    std::vector<vxKSAlignPattern*> patterns_; // owned; null for a character without one
    std::vector<vx_OCExtractDefs::Symmetry> symmetries_;
    std::vector<long> keys_;
    std::vector<vxXform<2>> rot180Poses_;
    std::vector<long> searchOrder_; // model indices, most edge-spread first
    std::wostringstream diagText_;
};

// Whether image is unfit to align on: fewer than 25 edgelets, or more than half of them
// within one 20-degree band of directions (folded over a half turn). Otherwise
// *spread receives the number of edgelets outside the densest band (0 when unfit).
bool vf_IsUnsuitableForAlignment_(const vxPelBuffer_const<unsigned char>& image, double* spread);

// Whether `pattern` finds image turned by testAngle degrees (enlarged twice when image
// is under 15 pixels wide or high) at the turn that undoes it, scoring above 0.7. The
// pose of the best accepted match is written to *pose even when it scores too low.
bool vf_MatchesRotated_(const vxPelBuffer_const<unsigned char>& image,
                        const vxKSAlignPattern& pattern, double testAngle, vxXform<2>* pose);

// out = the set's accepted results with a coverage of 0 or more, in order; when that
// leaves nothing but the set has results, all of them.
void vf_AcceptedResults_(const vxKSAlignResultSet& set, std::vector<vxKSAlignResult>& out);

// The common scale of `count` agreeing characters: among scales sorted ascending, the
// run of `count` consecutive values whose largest is below 1.08 times its smallest with
// the smallest such ratio (the earliest on ties). *scale receives the geometric mean of
// that run's ends. False (scale untouched) with fewer than count scales, a negative
// scale or no such run.
bool vf_ConsensusScale_(const std::vector<double>& scales, long count, double* scale);
