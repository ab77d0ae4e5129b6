// Real rectangles: union, enclosing pel rectangle and persistence.
#include "vxRect.h"

namespace {
const vx_Instantiator sExemplar(typeid(vxRect), &vxRect::make);
}

vxRect& vxRect::enclose(const vxRect& r) {
    if (r.degen()) return *this;
    mutating();
    if (degen()) {
        *this = r;
        return *this;
    }
    const double x0 = std::min(x_, r.x_), y0 = std::min(y_, r.y_);
    const double x1 = std::max(x_ + w_, r.x_ + r.w_), y1 = std::max(y_ + h_, r.y_ + r.h_);
    x_ = x0;
    y_ = y0;
    w_ = x1 - x0;
    h_ = y1 - y0;
    return *this;
}

vxPelRect vxRect::enclosePelRect(double tol) const {
    const long x0 = vfIFloor(x_, tol), y0 = vfIFloor(y_, tol);
    const long x1 = vfICeil(x_ + w_, tol), y1 = vfICeil(y_ + h_, tol);
    return vxPelRect(x0, y0, x1 - x0, y1 - y0);
}

void vxRect::dispatchSerialize(vxArchive& ar) {
    ar.transferVersion(0, 0, "vxRect");
    ar || x_ || y_ || w_ || h_;
    vxPersistent::dispatchSerialize(ar);
}
