// Arrange results: equality and archive.
#include "vxOCArrangeResults.h"

bool operator==(const vxOCArrangeResults& a, const vxOCArrangeResults& b) {
    if (a.isFound_ != b.isFound_ || a.isSearchTruncated_ != b.isSearchTruncated_) return false;
    if (a.arrangement_.isNull() != b.arrangement_.isNull()) return false;
    if (!a.arrangement_.isNull() && !(*a.arrangement_ == *b.arrangement_)) return false;
    return a.clientFromArrangement_ == b.clientFromArrangement_ &&
           a.statusFlags_ == b.statusFlags_ && a.scores_ == b.scores_;
}

vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::CharStatus& status) {
    vf_SerializeEnum(ar, status, vxOCArrangeDefs::eMatched, vxOCArrangeDefs::eUnknown);
    return ar;
}

vxArchive& operator||(vxArchive& ar, vxOCArrangeResults& results) {
    signed char version = 1;
    ar || version;
    // The arranger's archive errors name the source area and the line that found them.
    if (version < 0 || version > 1) throw vxArchive::UnknownVersion("oc/arrange", __LINE__);
    vstd_assert_(ar.isLoading() || version == 1, "only the current version is stored");
    // Loading fills a fresh object, so a failed load leaves the target as it was and a
    // successful one releases the arrangement it held.
    vxOCArrangeResults loaded;
    vxOCArrangeResults& r = ar.isLoading() ? loaded : results;
    ar || r.isFound_ || r.isSearchTruncated_ || r.arrangement_ || r.clientFromArrangement_ ||
        r.statusFlags_ || r.scores_;
    if (version == 0) {
        double skipped = 0.0;
        ar || skipped || skipped;
    }
    if (ar.isLoading()) {
        if (loaded.statusFlags_.size() != loaded.scores_.size())
            throw vxArchive::BadData(
                L"Archive holds results whose statuses and scores differ in number");
        results = std::move(loaded);
    }
    return ar;
}
