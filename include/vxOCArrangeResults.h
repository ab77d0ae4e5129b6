// vxOCArrangeResults: what one arrange call returns. Callers only read it; the
// arranger fills it through vx_OCArrangeResultsAccess. A plain copyable value whose
// copies share the arrangement.
#pragma once

#include "vxArchive.h"
#include "vxOCArrangeDefs.h"
#include "vxOCLine.h"
#include "vxXform.h"

#include <vector>

class vxOCArrangeResults {
public:
    // Not found, not truncated, no arrangement, the identity, no positions.
    vxOCArrangeResults() = default;

    // True once an arrangement was built (also for an empty target string).
    bool isFound() const { return isFound_; }
    // True when the character search or the arrangement search stopped early.
    bool isSearchTruncated() const { return isSearchTruncated_; }
    // The lines found; null until an arrangement was built.
    const vxPtrHandle_const<vxOCLineArrangement>& arrangement() const { return arrangement_; }
    // Maps the arrangement's frame into client coordinates.
    const vxXform<2>& clientFromArrangementXform() const { return clientFromArrangement_; }
    // One status and one finder score per target position, in target order.
    const std::vector<vxOCArrangeDefs::CharStatus>& statusFlags() const { return statusFlags_; }
    const std::vector<double>& scores() const { return scores_; }

    // Equal flags, arrangements both null or equal by value, exactly equal transforms,
    // statuses and scores.
    friend bool operator==(const vxOCArrangeResults& a, const vxOCArrangeResults& b);
    friend bool operator!=(const vxOCArrangeResults& a, const vxOCArrangeResults& b) {
        return !(a == b);
    }

    // Archive: version byte (1), isFound, isSearchTruncated, the arrangement through
    // the object table (null allowed), the transform, the statuses, the scores.
    // Version 0 (read only) ends with two doubles that are skipped. Statuses and
    // scores of different lengths throw vxArchive::BadData. A failed load changes
    // nothing.
    friend vxArchive& operator||(vxArchive& ar, vxOCArrangeResults& results);

private:
    friend class vx_OCArrangeResultsAccess;

    bool isFound_ = false;
    bool isSearchTruncated_ = false;
    vxPtrHandle_const<vxOCLineArrangement> arrangement_;
    vxXform<2> clientFromArrangement_;
    std::vector<vxOCArrangeDefs::CharStatus> statusFlags_;
    std::vector<double> scores_;
};

// The arranger's write access to its results; not meant for the module's callers.
class vx_OCArrangeResultsAccess {
public:
    static bool& isFound(vxOCArrangeResults& r) { return r.isFound_; }
    static bool& isSearchTruncated(vxOCArrangeResults& r) { return r.isSearchTruncated_; }
    static vxPtrHandle_const<vxOCLineArrangement>& arrangement(vxOCArrangeResults& r) {
        return r.arrangement_;
    }
    static vxXform<2>& clientFromArrangementXform(vxOCArrangeResults& r) {
        return r.clientFromArrangement_;
    }
    static std::vector<vxOCArrangeDefs::CharStatus>& statusFlags(vxOCArrangeResults& r) {
        return r.statusFlags_;
    }
    static std::vector<double>& scores(vxOCArrangeResults& r) { return r.scores_; }
};

// A status travels as unsigned long; loading accepts only 0, 1 and 2.
vxArchive& operator||(vxArchive& ar, vxOCArrangeDefs::CharStatus& status);
