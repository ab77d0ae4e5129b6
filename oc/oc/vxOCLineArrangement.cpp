// The line arrangement: construction with its validation order, enclosing rectangle,
// equality and archive.
#include "vxOCLine.h"

#include "vfEncloseRect.h"
#include "vxShapes.h"

const vx_Instantiator vxOCLineArrangement::sExemplar(typeid(vxOCLineArrangement),
                                                     &vxOCLineArrangement::make);

vxPersistent* vxOCLineArrangement::make() {
    return new vxOCLineArrangement;
}

namespace {

using Lines = std::vector<vxPtrHandle_const<vxOCLine>>;

Lines constLines(const std::vector<vxPtrHandle<vxOCLine>>& lines) {
    return Lines(lines.begin(), lines.end());
}

// Written as !(x >= 0) so that NaN is rejected too.
void checkSharedUncertainties(double translation, vxRadian rotation) {
    if (!(translation >= 0))
        throw vxOCDefs::BadParams(L"Line translation uncertainty must be >= 0");
    if (!(rotation.plain() >= 0))
        throw vxOCDefs::BadParams(L"Line rotation uncertainty must be >= 0");
}

void checkPoseCount(const Lines& lines, const std::vector<vx2Rigid>& poses) {
    if (poses.size() != lines.size())
        throw vxOCDefs::BadParams(L"The number of line poses does not match the number of lines.");
}

std::vector<vx2Rigid> stepPoses(size_t count, const vx2Rigid& step) {
    std::vector<vx2Rigid> poses;
    poses.reserve(count);
    for (size_t k = 0; k < count; ++k)
        poses.push_back(k == 0 ? vx2Rigid() : step * poses.back());
    return poses;
}

} // namespace

vxOCLineArrangement::vxOCLineArrangement(const Lines& lines, const vx2Rigid& step,
                                         double translationUncertainty,
                                         vxRadian rotationUncertainty, const std::wstring& name) {
    checkSharedUncertainties(translationUncertainty, rotationUncertainty);
    const size_t n = lines.size();
    assign_(lines, stepPoses(n, step), std::vector<double>(n, translationUncertainty),
            std::vector<vxRadian>(n, rotationUncertainty), name);
}

vxOCLineArrangement::vxOCLineArrangement(const std::vector<vxPtrHandle<vxOCLine>>& lines,
                                         const vx2Rigid& step, double translationUncertainty,
                                         vxRadian rotationUncertainty, const std::wstring& name)
    : vxOCLineArrangement(constLines(lines), step, translationUncertainty, rotationUncertainty,
                          name) {}

vxOCLineArrangement::vxOCLineArrangement(const Lines& lines, const std::vector<vx2Rigid>& linePoses,
                                         double translationUncertainty,
                                         vxRadian rotationUncertainty, const std::wstring& name) {
    checkSharedUncertainties(translationUncertainty, rotationUncertainty);
    checkPoseCount(lines, linePoses);
    const size_t n = lines.size();
    assign_(lines, linePoses, std::vector<double>(n, translationUncertainty),
            std::vector<vxRadian>(n, rotationUncertainty), name);
}

vxOCLineArrangement::vxOCLineArrangement(const std::vector<vxPtrHandle<vxOCLine>>& lines,
                                         const std::vector<vx2Rigid>& linePoses,
                                         double translationUncertainty,
                                         vxRadian rotationUncertainty, const std::wstring& name)
    : vxOCLineArrangement(constLines(lines), linePoses, translationUncertainty, rotationUncertainty,
                          name) {}

vxOCLineArrangement::vxOCLineArrangement(const Lines& lines, const std::vector<vx2Rigid>& linePoses,
                                         const std::vector<double>& translationUncertainties,
                                         const std::vector<vxRadian>& rotationUncertainties,
                                         const std::wstring& name) {
    checkPoseCount(lines, linePoses);
    const size_t n = lines.size();
    if (translationUncertainties.size() != n)
        throw vxOCDefs::BadParams(
            L"The number of translation uncertainties does not match the number of lines.");
    if (rotationUncertainties.size() != n)
        throw vxOCDefs::BadParams(
            L"The number of rotation uncertainties does not match the number of lines.");
    for (size_t k = 0; k < n; ++k) {
        if (!(translationUncertainties[k] >= 0))
            throw vxOCDefs::BadParams(L"Line position uncertaintiesp must be >= 0");
        if (!(rotationUncertainties[k].plain() >= 0))
            throw vxOCDefs::BadParams(L"Line rotation uncertainties must be >= 0");
    }
    assign_(lines, linePoses, translationUncertainties, rotationUncertainties, name);
}

vxOCLineArrangement::vxOCLineArrangement(const std::vector<vxPtrHandle<vxOCLine>>& lines,
                                         const std::vector<vx2Rigid>& linePoses,
                                         const std::vector<double>& translationUncertainties,
                                         const std::vector<vxRadian>& rotationUncertainties,
                                         const std::wstring& name)
    : vxOCLineArrangement(constLines(lines), linePoses, translationUncertainties,
                          rotationUncertainties, name) {}

void vxOCLineArrangement::assign_(const Lines& lines, const std::vector<vx2Rigid>& linePoses,
                                  const std::vector<double>& translationUncertainties,
                                  const std::vector<vxRadian>& rotationUncertainties,
                                  const std::wstring& name) {
    // The contents of the lines are theirs to keep consistent; a missing line would
    // only fail later, far from its cause.
    for (const vxPtrHandle_const<vxOCLine>& line : lines)
        if (line.isNull()) throw vxOCDefs::BadParams(L"Every line must point to a valid object.");
    lines_ = lines;
    linePoses_ = linePoses;
    translationUnc_ = translationUncertainties;
    rotationUnc_ = rotationUncertainties;
    name_ = name;
}

vxRect vxOCLineArrangement::encloseRect(const vxXform<2>& first, const vxXform<2>& second,
                                        const vxXform<2>& third, double translationUncertainty,
                                        vxRadian rotationUncertainty, double scaleUncertainty,
                                        bool includeConfusable) const {
    if (translationUncertainty < 0)
        throw vxOCDefs::BadParams(L"Translation uncertainty must be >= 0");
    if (rotationUncertainty.plain() < 0)
        throw vxOCDefs::BadParams(L"Rotation uncertainty must be >= 0");
    if (scaleUncertainty < 0) throw vxOCDefs::BadParams(L"Scale uncertainty must be >= 0");

    if (lines_.empty()) return vxRect();
    const vxXform<2> back = second.inverse();
    const vxXform<2> pose = first * second;
    const vxXform<2> identity;
    vxRect result;
    for (size_t k = 0; k < lines_.size(); ++k) {
        const vxRect inArrangement =
            lines_[k]->encloseRect(linePoses_[k].linear(), identity, identity, translationUnc_[k],
                                   rotationUnc_[k], 0.0, includeConfusable);
        const vxPolygon corners(
            {inArrangement.ul(), inArrangement.ur(), inArrangement.lr(), inArrangement.ll()}, 0);
        const vxRect r = vfEncloseRect(corners.map(back), pose, third, translationUncertainty,
                                       translationUncertainty, rotationUncertainty,
                                       scaleUncertainty, 0.0, 0.0, 0.0, 1);
        if (k == 0)
            result = r;
        else
            result.enclose(r);
    }
    return result;
}

bool operator==(const vxOCLineArrangement& a, const vxOCLineArrangement& b) {
    if (a.lines_.size() != b.lines_.size() || a.linePoses_ != b.linePoses_ ||
        a.translationUnc_ != b.translationUnc_ || a.rotationUnc_ != b.rotationUnc_ ||
        a.name_ != b.name_)
        return false;
    for (size_t k = 0; k < a.lines_.size(); ++k)
        if (a.lines_[k].get() != b.lines_[k].get() && *a.lines_[k] != *b.lines_[k]) return false;
    return true;
}

void vxOCLineArrangement::dispatchSerialize(vxArchive& ar) {
    if (haveVisited(ar, typeid(vxOCLineArrangement))) return;
    unsigned char version = 0;
    ar || version;
    serialize_(ar, version);
    setVisited(ar, typeid(vxOCLineArrangement));
}

void vxOCLineArrangement::serialize_(vxArchive& ar, unsigned char version) {
    if (version > 0) throw vxArchive::UnknownVersion("vxOCLineArrangement", version);
    vxPersistent::dispatchSerialize(ar);
    if (ar.isStoring()) {
        ar || lines_ || linePoses_ || translationUnc_ || rotationUnc_ || name_;
        return;
    }
    Lines lines;
    std::vector<vx2Rigid> poses;
    std::vector<double> translations;
    std::vector<vxRadian> rotations;
    std::wstring name;
    ar || lines || poses || translations || rotations || name;
    // The stream is not trusted: what the constructor would reject is corrupt.
    try {
        *this = vxOCLineArrangement(lines, poses, translations, rotations, name);
    } catch (const vxOCDefs::Errors& e) {
        throw vxArchive::BadData(L"Archive holds an inconsistent line arrangement: " + e.message());
    }
}
