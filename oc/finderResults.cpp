// The finder's results: instances with their overlap test, per-key char results and
// the string result that arranges them by model, position and key.
#include "vx_OCExtractResults.h"

#include <algorithm>

vx_OCExtractCharInstance::vx_OCExtractCharInstance(const vxKSAlignResult& result,
                                                   const vxXform<2>& trainClientFromImage,
                                                   const vxPelRect& trainWindow)
    : score_(result.score()), pose_(result.pose()) {
    const vxAffineRectangle window{vxVector<2>(trainWindow.ul()), vxVector<2>(trainWindow.ur()),
                                   vxVector<2>(trainWindow.ll())};
    affRect_ = window.map(pose_ * trainClientFromImage);
}

bool vx_OCExtractCharInstance::orderByScore(const vx_OCExtractCharInstance& a,
                                            const vx_OCExtractCharInstance& b) {
    return a.score_ > b.score_;
}

bool vx_OCExtractCharInstance::isEqual(const vx_OCExtractCharInstance& other,
                                       double tolerance) const {
    const vxXform<2> unitFromOther = other.affRect_.affRectFromUnitSq();
    if (unitFromOther.determinant() == 0.0) return false;
    const vxAffineRectangle mine = affRect_.map(unitFromOther.inverse());
    const vxVector<2> centre(0.5, 0.5);
    for (const vxVector<2>& p :
         {mine.center(), mine.cornerPo(), mine.cornerPx(), mine.cornerPy(), mine.cornerPopp()})
        if ((p - centre).length() <= tolerance) return true;
    return false;
}

void vx_OCExtractCharResult::init() {
    found_ = false;
    time_ = 0.0;
    instances_.clear();
    symmetry_ = vx_OCExtractDefs::eNotSymmetric;
    numOccurrences_ = 0;
}

void vx_OCExtractCharResult::checkIndex_(long i) const {
    if (i < 0 || i >= numInstances()) throw vx_OCExtractDefs::vx_OCExtractError(L"Bad index");
}

const vx_OCExtractCharInstance& vx_OCExtractCharResult::instance(long i) const {
    checkIndex_(i);
    return instances_[static_cast<std::size_t>(i)];
}

vxXform<2> vx_OCExtractCharResult::pose(long i) const {
    return instance(i).pose();
}

double vx_OCExtractCharResult::score(long i) const {
    return instance(i).score();
}

vxAffineRectangle vx_OCExtractCharResult::affRect(long i) const {
    return instance(i).affRect();
}

void vx_OCExtractCharResult::sortByScore_() {
    std::sort(instances_.begin(), instances_.end(), vx_OCExtractCharInstance::orderByScore);
}

void vx_OCExtractCharResult::operator+=(const vx_OCExtractCharResult& other) {
    // Copied first, so that merging a result into itself doubles it cleanly.
    const std::vector<vx_OCExtractCharInstance> more = other.instances_;
    instances_.insert(instances_.end(), more.begin(), more.end());
    time_ += other.time_;
    found_ = found_ || other.found_;
}

bool vx_OCExtractCharResult::doesOverlap_(long i, long j, double tolerance) const {
    return instance(i).isEqual(instance(j), tolerance);
}

void vx_OCExtractCharResult::removeOverlapping_(long i, double tolerance) {
    checkIndex_(i);
    for (std::size_t k = static_cast<std::size_t>(i) + 1; k < instances_.size();) {
        if (instances_[static_cast<std::size_t>(i)].isEqual(instances_[k], tolerance))
            instances_.erase(instances_.begin() + static_cast<std::ptrdiff_t>(k));
        else
            ++k;
    }
}

void vx_OCExtractStringResult::init() {
    searchTime_ = 0.0;
    trainTime_ = 0.0;
    resultsByModel_.clear();
    resultsByPosition_.clear();
    resultsByKey_.clear();
}

void vx_OCExtractStringResult::addToResult_(long key, const Handle& result) {
    const auto it = resultsByKey_.find(key);
    if (it == resultsByKey_.end())
        resultsByKey_.emplace(key, result);
    else if (!it->second)
        it->second = result;
    else if (result)
        *it->second += *result;
}

void vx_OCExtractStringResult::deleteOverlappingCandidate_(Handle& result, long i, double tolerance,
                                                           vxDiagObject*, unsigned long) {
    if (result) result->removeOverlapping_(i, tolerance);
}
