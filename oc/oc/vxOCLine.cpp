// The line: construction with its validation order, queries, enclosing rectangle,
// equality and archive.
#include "vxOCLine.h"

#include "vfEncloseRect.h"
#include "vxShapes.h"

#include <optional>

const vx_Instantiator vxOCLine::sExemplar(typeid(vxOCLine), &vxOCLine::make);

vxPersistent* vxOCLine::make() {
    return new vxOCLine;
}

namespace {

// The value messages differ between the constructors; the checks do not.
struct ValueMessages {
    const wchar_t* translation;
    const wchar_t* rotation;
    const wchar_t* scaleUncertainty;
};

const ValueMessages kStepMessages{L"Character translation uncertainty must be >= 0",
                                  L"Character rotation uncertainty must be >= 0",
                                  L"Character scale uncertainty must be >= 0"};
const ValueMessages kPosesMessages{L"Character position uncertainty must be >= 0",
                                   L"Character angular uncertainty must be >= 0",
                                   L"Character scale uncertainty must be >= 0"};
const ValueMessages kPerPositionMessages{L"Character translation uncertainties must be >= 0",
                                         L"Character rotation uncertainties must be >= 0",
                                         L"Character scale uncertainties must be >= 0"};

// Written as !(x > 0) and !(x >= 0) so that NaN is rejected too.
void checkValues(double scale, double translation, vxRadian rotation, double scaleUncertainty,
                 const ValueMessages& messages) {
    if (!(scale > 0)) throw vxOCDefs::BadParams(L"Character scale factors must be > 0");
    if (!(translation >= 0)) throw vxOCDefs::BadParams(messages.translation);
    if (!(rotation.plain() >= 0)) throw vxOCDefs::BadParams(messages.rotation);
    if (!(scaleUncertainty >= 0)) throw vxOCDefs::BadParams(messages.scaleUncertainty);
}

void checkAlphabet(const vxPtrHandle_const<vxOCAlphabet>& alphabet) {
    if (alphabet.isNull()) throw vxOCDefs::BadParams(L"Alphabet must point to a valid object.");
}

void checkPoseCount(const std::vector<vxOCKeySet>& keySets, const std::vector<vx2Rigid>& poses) {
    if (poses.size() != keySets.size())
        throw vxOCDefs::BadParams(
            L"Number of character poses does not match the number of key sets.");
}

// The corners of a rectangle as a polygon: upper-left, upper-right, lower-right,
// lower-left.
vxPolygon corners(const vxRect& r) {
    return vxPolygon({r.ul(), r.ur(), r.lr(), r.ll()}, 0);
}

} // namespace

vxOCLine::vxOCLine() : alphabet_(new vxOCAlphabet) {}

vxOCLine::vxOCLine(const std::vector<vxOCKeySet>& keySets,
                   const vxPtrHandle_const<vxOCAlphabet>& alphabet, const vx2Rigid& step,
                   double charScale, double translationUncertainty, vxRadian rotationUncertainty,
                   double scaleUncertainty, const std::wstring& name) {
    checkAlphabet(alphabet);
    checkValues(charScale, translationUncertainty, rotationUncertainty, scaleUncertainty,
                kStepMessages);
    const size_t n = keySets.size();
    std::vector<vx2Rigid> poses;
    poses.reserve(n);
    for (size_t k = 0; k < n; ++k)
        poses.push_back(k == 0 ? vx2Rigid() : step * poses.back());
    assign_(keySets, alphabet, poses, std::vector<double>(n, charScale),
            std::vector<double>(n, translationUncertainty),
            std::vector<vxRadian>(n, rotationUncertainty), std::vector<double>(n, scaleUncertainty),
            name);
}

vxOCLine::vxOCLine(const std::vector<vxOCKeySet>& keySets,
                   const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                   const std::vector<vx2Rigid>& charPoses, double charScale,
                   double translationUncertainty, vxRadian rotationUncertainty,
                   double scaleUncertainty, const std::wstring& name) {
    checkAlphabet(alphabet);
    checkPoseCount(keySets, charPoses);
    checkValues(charScale, translationUncertainty, rotationUncertainty, scaleUncertainty,
                kPosesMessages);
    const size_t n = keySets.size();
    assign_(keySets, alphabet, charPoses, std::vector<double>(n, charScale),
            std::vector<double>(n, translationUncertainty),
            std::vector<vxRadian>(n, rotationUncertainty), std::vector<double>(n, scaleUncertainty),
            name);
}

vxOCLine::vxOCLine(const std::vector<vxOCKeySet>& keySets,
                   const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                   const std::vector<vx2Rigid>& charPoses, const std::vector<double>& charScales,
                   const std::vector<double>& translationUncertainties,
                   const std::vector<vxRadian>& rotationUncertainties,
                   const std::vector<double>& scaleUncertainties, const std::wstring& name) {
    checkAlphabet(alphabet);
    checkPoseCount(keySets, charPoses);
    const size_t n = keySets.size();
    if (charScales.size() != n)
        throw vxOCDefs::BadParams(
            L"Number of character scales does not match the number of key sets.");
    if (translationUncertainties.size() != n)
        throw vxOCDefs::BadParams(
            L"Number of translation uncertainties does not match the number of key sets.");
    if (rotationUncertainties.size() != n)
        throw vxOCDefs::BadParams(
            L"Number of rotation uncertainties does not match the number of key sets.");
    if (scaleUncertainties.size() != n)
        throw vxOCDefs::BadParams(
            L"Number of scale uncertainties does not match the number of key sets.");
    for (size_t k = 0; k < n; ++k)
        checkValues(charScales[k], translationUncertainties[k], rotationUncertainties[k],
                    scaleUncertainties[k], kPerPositionMessages);
    assign_(keySets, alphabet, charPoses, charScales, translationUncertainties,
            rotationUncertainties, scaleUncertainties, name);
}

void vxOCLine::assign_(const std::vector<vxOCKeySet>& keySets,
                       const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                       const std::vector<vx2Rigid>& charPoses,
                       const std::vector<double>& charScales,
                       const std::vector<double>& translationUncertainties,
                       const std::vector<vxRadian>& rotationUncertainties,
                       const std::vector<double>& scaleUncertainties, const std::wstring& name) {
    for (const vxOCKeySet& keySet : keySets)
        for (long key : keySet.keys())
            if (!alphabet->hasCharacter(key))
                throw vxOCDefs::BadKey(
                    L"A key in the set sequence is not available in the supplied alphabet.");
    keySets_ = keySets;
    alphabet_ = alphabet;
    charPoses_ = charPoses;
    charScales_ = charScales;
    translationUnc_ = translationUncertainties;
    rotationUnc_ = rotationUncertainties;
    scaleUnc_ = scaleUncertainties;
    name_ = name;
}

bool vxOCLine::isWildcard(long pos) const {
    if (pos < 0 || pos >= numPositions()) throw vxOCDefs::BadIndex(L"Invalid position index.");
    return keySets_[pos].isCurrentWildcard();
}

const vxOCKeySet& vxOCLine::characterKeySet_(long pos) const {
    if (isWildcard(pos))
        throw vxOCDefs::BadIndex(L"The specified position contains a wildcard character.");
    return keySets_[pos];
}

vxPtrHandle_const<vxOCModel> vxOCLine::character(long pos) const {
    const std::vector<long> keys = characterKeySet_(pos).currentKeys();
    if (keys.empty()) throw vxOCDefs::BadIndex(L"The specified position has no current character.");
    return alphabet_->character(keys.front());
}

std::vector<vxPtrHandle_const<vxOCModel>> vxOCLine::characters(long pos) const {
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (long key : characterKeySet_(pos).currentKeys())
        models.push_back(alphabet_->character(key));
    return models;
}

long vxOCLine::numNormalChars() const {
    long count = 0;
    for (const vxOCKeySet& keySet : keySets_) {
        if (keySet.isCurrentWildcard()) continue;
        for (long key : keySet.currentKeys()) {
            if (alphabet_->hasCharacter(key) &&
                alphabet_->character(key)->charType() == vxOCModel::eNormal) {
                ++count;
                break;
            }
        }
    }
    return count;
}

vxRect vxOCLine::encloseRect(const vxXform<2>& first, const vxXform<2>& second,
                             const vxXform<2>& third, double translationUncertainty,
                             vxRadian rotationUncertainty, double scaleUncertainty,
                             bool includeConfusable) const {
    if (translationUncertainty < 0)
        throw vxOCDefs::BadParams(L"Translation uncertainty must be >= 0");
    if (rotationUncertainty.plain() < 0)
        throw vxOCDefs::BadParams(L"Rotation uncertainty must be >= 0");
    if (scaleUncertainty < 0) throw vxOCDefs::BadParams(L"Scale uncertainty must be >= 0");

    // Inverted on first use, so that a line without characters gives the default
    // rectangle whatever `second` is.
    std::optional<vxXform<2>> back;
    const vxXform<2> pose = first * second;
    const vxXform<2> identity;
    bool any = false;
    vxRect result;
    for (size_t k = 0; k < keySets_.size(); ++k) {
        const vxOCKeySet& keySet = keySets_[k];
        if (keySet.isCurrentWildcard()) continue;
        const std::vector<long> current = keySet.currentKeys();
        if (current.empty()) continue; // nothing is expected here
        const long key = current.front();
        const vxXform<2> charPose(charPoses_[k].trans(), charScales_[k], 1.0, vxRadian(0),
                                  charPoses_[k].angle());
        for (const vxPtrHandle_const<vxOCModel>& model : alphabet_->characters()) {
            if (model->key() != key &&
                !(includeConfusable && alphabet_->areConfusable(key, model->key())))
                continue;
            const vxRect inLine = model->encloseRect(
                charPose, identity, identity, translationUnc_[k], rotationUnc_[k], scaleUnc_[k]);
            if (!back) back = second.inverse();
            const vxRect r = vfEncloseRect(corners(inLine).map(*back), pose, third,
                                           translationUncertainty, translationUncertainty,
                                           rotationUncertainty, scaleUncertainty, 0.0, 0.0, 0.0, 1);
            if (any)
                result.enclose(r);
            else
                result = r;
            any = true;
        }
    }
    return result;
}

bool operator==(const vxOCLine& a, const vxOCLine& b) {
    // The alphabet last: comparing models by value compares their pixels.
    return a.name_ == b.name_ && a.keySets_ == b.keySets_ && a.charPoses_ == b.charPoses_ &&
           a.charScales_ == b.charScales_ && a.translationUnc_ == b.translationUnc_ &&
           a.rotationUnc_ == b.rotationUnc_ && a.scaleUnc_ == b.scaleUnc_ &&
           (a.alphabet_.get() == b.alphabet_.get() || *a.alphabet_ == *b.alphabet_);
}

void vxOCLine::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vxOCLine))) return;
    unsigned char version = 0;
    ar || version;
    serialize_(ar, version);
    setVisited(ar, typeid(vxOCLine));
}

void vxOCLine::serialize_(vxArchive& ar, unsigned char version) {
    if (version > 0) throw vxArchive::UnknownVersion("vxOCLine", version);
    vxPersistent::dispatchSerialize(ar);
    if (ar.isStoring()) {
        ar || keySets_ || alphabet_ || charPoses_ || charScales_ || translationUnc_ ||
            rotationUnc_ || scaleUnc_ || name_;
        return;
    }
    std::vector<vxOCKeySet> keySets;
    vxPtrHandle_const<vxOCAlphabet> alphabet;
    std::vector<vx2Rigid> poses;
    std::vector<double> scales, translations, scaleUncertainties;
    std::vector<vxRadian> rotations;
    std::wstring name;
    ar || keySets || alphabet || poses || scales || translations || rotations ||
        scaleUncertainties || name;
    // The stream is not trusted: what the constructor would reject is corrupt.
    try {
        *this = vxOCLine(keySets, alphabet, poses, scales, translations, rotations,
                         scaleUncertainties, name);
    } catch (const vxOCDefs::Errors& e) {
        throw vxArchive::BadData(L"Archive holds an inconsistent line: " + e.message());
    }
}
