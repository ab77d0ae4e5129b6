// Verification: whether what is printed at each position of a target is the expected
// character, on top of the arranger. The arranger says where it placed each character
// and how well the expected character's pattern scored there; verification also scores
// every character the alphabet can confuse with it at that place, and passes a position
// only when the expected character wins clearly, so that a look-alike printed in its
// place (an 8 where a B belongs) fails instead of passing as matched.
#pragma once

#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxOCArrangeResults.h"
#include "vxPelBuffer.h"
#include "vxXform.h"
#include "vx_OCErrorLevels.h"

#include <vector>

class vxArchive;
class vxDiagObject;

class vxOCVerifyDefs {
public:
    // ePass: the expected character is printed there; eWrong: another character reads
    // better or nearly as well (readsAs says which, when one does); eMissing: nothing
    // the expected character's pattern recognises is there.
    enum Verdict { ePass = 0, eWrong = 1, eMissing = 2 };

    class Errors;
    class BadParams; // a verification parameter out of range
};

class vxOCVerifyDefs::Errors
    : public vx_OCErrorLevel<vxOCVerifyDefs::Errors, vxExceptionWithString, vxException> {
public:
    static constexpr const char* className_ = "vxOCVerifyDefs::Errors";
    Errors(const Errors&) = default;
    Errors& operator=(const Errors&) = default;

protected:
    explicit Errors(const wchar_t* message) : vx_OCErrorLevel(message) {}
};

VX_OC_DECLARE_ERROR(vxOCVerifyDefs, BadParams, Errors, 0x10007500, const wchar_t*, nullptr);

class vxOCVerifyParams {
public:
    // How much better than its best rival the expected character must score to pass.
    double margin() const { return margin_; }
    // Throws vxOCVerifyDefs::BadParams "Invalid margin" outside [0, 1] (NaN included).
    void margin(double margin);

    // The least score the expected character must reach at its place to pass.
    double minScore() const { return minScore_; }
    // Throws vxOCVerifyDefs::BadParams "Invalid min score" outside [0, 1].
    void minScore(double score);

    // How far (client units, at the character's scale 1) and how many degrees from the
    // arranger's pose the expected character and its rivals are looked for.
    double xyRange() const { return xyRange_; }
    // Throws vxOCVerifyDefs::BadParams "Invalid xy range" outside (0, 100].
    void xyRange(double range);
    double angleRange() const { return angleRange_; }
    // Throws vxOCVerifyDefs::BadParams "Invalid angle range" outside (0, 45].
    void angleRange(double degrees);

    friend bool operator==(const vxOCVerifyParams&, const vxOCVerifyParams&) = default;
    // Version byte 0, then the four values; loading fills a copy and takes it over only
    // when complete, and refuses values the setters refuse (vxArchive::BadData).
    friend vxArchive& operator||(vxArchive& ar, vxOCVerifyParams& params);

private:
    double margin_ = 0.005;
    double minScore_ = 0.4;
    double xyRange_ = 3.0;
    double angleRange_ = 5.0;
};

class vxOCVerifyResults {
public:
    // The arranger's results, whole.
    const vxOCArrangeResults& arrangeResults() const { return arrange_; }
    // Per target position.
    const std::vector<vxOCVerifyDefs::Verdict>& verdicts() const { return verdicts_; }
    // The key of the character a position reads as when that is another character
    // (eWrong), else -1.
    const std::vector<long>& readsAs() const { return readsAs_; }
    // The expected character's score at its place (0 when not found) and the best
    // rival's (0 when none scored). For a blank: how bare its place is (1 minus
    // vfScoreBlankness there) and the least bareness that passes.
    const std::vector<double>& scores() const { return scores_; }
    const std::vector<double>& rivalScores() const { return rivalScores_; }
    // Where each position was judged: the transform from its character's client frame to
    // the image's client frame (the arranger's pose, or where a line's end was found);
    // identity for a position never placed.
    const std::vector<vxXform<2>>& poses() const { return poses_; }
    // Every position passed.
    bool isPass() const { return pass_; }

    friend bool operator==(const vxOCVerifyResults&, const vxOCVerifyResults&) = default;

private:
    friend void vf_OCVerifyFill_(vxOCVerifyResults&, vxOCArrangeResults&&,
                                 std::vector<vxOCVerifyDefs::Verdict>&&, std::vector<long>&&,
                                 std::vector<double>&&, std::vector<double>&&,
                                 std::vector<vxXform<2>>&&);
    vxOCArrangeResults arrange_;
    std::vector<vxOCVerifyDefs::Verdict> verdicts_;
    std::vector<long> readsAs_;
    std::vector<double> scores_;
    std::vector<double> rivalScores_;
    std::vector<vxXform<2>> poses_;
    bool pass_ = false;
};

// Arranges `targetKeys` in `image` (vfOCArrange with `arrangeParams`, diag and
// diagFlags), then judges every position: a matched position passes when the expected
// character, looked for by the finder within verifyParams' ranges of its pose, scores
// at least minScore and beats every character the compiled alphabet marks confusable
// with it (either way) by margin. An unknown position just past the end of a line of
// matched characters is first looked for where the line predicts it. A placed blank
// passes when its place shows at most half the structure of the least structured
// character; anything else left unmatched is missing. Throws
// what vfOCArrange throws for bad arguments, and vxOCDefs::NotCompiled for an
// uncompiled alphabet, before anything changes; results are written only on return.
void vfOCVerify(const vxPelBuffer_const<unsigned char>& image, const vxOCAlphabet& alphabet,
                const std::vector<long>& targetKeys, const vxOCArrangeParams& arrangeParams,
                const vxOCVerifyParams& verifyParams, vxOCVerifyResults& results,
                vxDiagObject* diag = nullptr, unsigned long diagFlags = 0);
// The same restricted to the care pixels of `mask` (values of 128 and above).
void vfOCVerify(const vxPelBuffer_const<unsigned char>& image,
                const vxPelBuffer_const<unsigned char>& mask, const vxOCAlphabet& alphabet,
                const std::vector<long>& targetKeys, const vxOCArrangeParams& arrangeParams,
                const vxOCVerifyParams& verifyParams, vxOCVerifyResults& results,
                vxDiagObject* diag = nullptr, unsigned long diagFlags = 0);
