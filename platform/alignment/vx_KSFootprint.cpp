// Overlap of convex footprints by polygon clipping, and result merging.
#include "vx_KSFootprint.h"

#include <algorithm>
#include <cmath>

namespace {

using Polygon = std::vector<vxVector<2>>;

double area(const Polygon& p) {
    double a = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i)
        a += p[i].cross(p[(i + 1) % p.size()]);
    return 0.5 * a;
}

// The corners in counter-clockwise order of the cross product (positive area).
Polygon corners(const vxAffineRectangle& r) {
    Polygon p = {r.cornerPo(), r.cornerPx(), r.cornerPopp(), r.cornerPy()};
    if (area(p) < 0.0) std::reverse(p.begin(), p.end());
    return p;
}

// Sutherland-Hodgman: the part of `subject` on the inner side of every edge of `clip`.
Polygon clip(Polygon subject, const Polygon& clipper) {
    for (std::size_t e = 0; e < clipper.size() && !subject.empty(); ++e) {
        const vxVector<2> a = clipper[e], b = clipper[(e + 1) % clipper.size()];
        const auto side = [&](const vxVector<2>& p) { return (b - a).cross(p - a); };
        Polygon out;
        for (std::size_t i = 0; i < subject.size(); ++i) {
            const vxVector<2> p = subject[i], q = subject[(i + 1) % subject.size()];
            const double sp = side(p), sq = side(q);
            if (sp >= 0.0) out.push_back(p);
            if ((sp >= 0.0) != (sq >= 0.0)) out.push_back(p + (q - p) * (sp / (sp - sq)));
        }
        subject = std::move(out);
    }
    return subject;
}

} // namespace

double vf_KSOverlap(const vxAffineRectangle& a, const vxAffineRectangle& b) {
    const Polygon pa = corners(a), pb = corners(b);
    const double smaller = std::min(area(pa), area(pb));
    if (!(smaller > 0.0)) return 0.0;
    const Polygon common = clip(pa, pb);
    return common.size() < 3 ? 0.0 : std::clamp(area(common) / smaller, 0.0, 1.0);
}

void vf_KSMergeResult(const vxKSAlignResult& result, const vxAffineRectangle& footprint,
                      double overlap, long limit, std::vector<vxKSAlignResult>& results,
                      std::vector<vxAffineRectangle>& footprints) {
    for (std::size_t i = 0; i < results.size(); ++i)
        if (results[i].score() >= result.score() &&
            vf_KSOverlap(footprints[i], footprint) > overlap)
            return;
    for (std::size_t i = results.size(); i-- > 0;)
        if (vf_KSOverlap(footprints[i], footprint) > overlap) {
            results.erase(results.begin() + static_cast<long>(i));
            footprints.erase(footprints.begin() + static_cast<long>(i));
        }
    std::size_t at = 0;
    while (at < results.size() && results[at].score() >= result.score())
        ++at;
    results.insert(results.begin() + static_cast<long>(at), result);
    footprints.insert(footprints.begin() + static_cast<long>(at), footprint);
    if (static_cast<long>(results.size()) > limit) {
        results.resize(static_cast<std::size_t>(limit));
        footprints.resize(static_cast<std::size_t>(limit));
    }
}
