// Parallelograms: side form, bounding box and archive.
#include "vxAffineRectangle.h"

#include <algorithm>

namespace {
// The side vectors of the side form.
vxVector<2> xSide(double xLength, vxRadian xRot) {
    return vxVector<2>::polar(xLength, xRot);
}
vxVector<2> ySide(double yLength, vxRadian xRot, vxRadian skew) {
    return vxVector<2>::polar(yLength, xRot + skew).perp();
}
} // namespace

vxAffineRectangle::vxAffineRectangle(const vxVector<2>& cornerPo, double xLength, double yLength,
                                     vxRadian xRotation, vxRadian skew)
    : po_(cornerPo), px_(cornerPo + xSide(xLength, xRotation)),
      py_(cornerPo + ySide(yLength, xRotation, skew)) {}

vxAffineRectangle vxAffineRectangle::fromCenter(const vxVector<2>& center, double xLength,
                                                double yLength, vxRadian xRotation, vxRadian skew) {
    vxAffineRectangle r;
    r.setSides_(center, xLength, yLength, xRotation, skew);
    return r;
}

vxAffineRectangle::vxAffineRectangle(const vxXform<2>& x)
    : po_(x.trans()), px_(x.mapPoint(vxVector<2>(1.0, 0.0))),
      py_(x.mapPoint(vxVector<2>(0.0, 1.0))) {}

vxRadian vxAffineRectangle::skew() const {
    return affRectFromUnitSq().skew();
}

void vxAffineRectangle::setSides_(const vxVector<2>& center, double xLength, double yLength,
                                  vxRadian xRot, vxRadian skew) {
    const vxVector<2> vx = xSide(xLength, xRot), vy = ySide(yLength, xRot, skew);
    po_ = center - 0.5 * (vx + vy);
    px_ = po_ + vx;
    py_ = po_ + vy;
}

void vxAffineRectangle::center(const vxVector<2>& c) {
    const vxVector<2> d = c - center();
    po_ += d;
    px_ += d;
    py_ += d;
}

void vxAffineRectangle::xLength(double l) {
    setSides_(center(), l, yLength(), xRotation(), skew());
}
void vxAffineRectangle::yLength(double l) {
    setSides_(center(), xLength(), l, xRotation(), skew());
}
void vxAffineRectangle::xRotation(vxRadian a) {
    setSides_(center(), xLength(), yLength(), a, skew());
}
void vxAffineRectangle::skew(vxRadian a) {
    setSides_(center(), xLength(), yLength(), xRotation(), a);
}

vxRect vxAffineRectangle::encloseRect() const {
    const vxVector<2> c[4] = {po_, px_, py_, cornerPopp()};
    double x0 = c[0].x(), x1 = x0, y0 = c[0].y(), y1 = y0;
    for (const vxVector<2>& p : c) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    return vxRect(x0, y0, x1 - x0, y1 - y0);
}

vxArchive& operator||(vxArchive& ar, vxAffineRectangle& r) {
    return ar || r.po_ || r.px_ || r.py_;
}
