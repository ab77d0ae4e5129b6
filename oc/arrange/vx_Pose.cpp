// Character poses: conversions to and from transforms; the position record's cell.
#include "vx_ArrangePose.h"

#include <algorithm>
#include <cmath>

vx_Pose::vx_Pose(const vxVector<2>& translation, vxRadian angle, double scale)
    : translation_(translation), angle_(angle) {
    this->scale(scale);
}

void vx_Pose::scale(double scale) {
    scale_ = scale;
    logScale_ = std::log(scale);
}

vxXform<2> vx_Pose::xform() const {
    const double c = scale_ * cos(angle_), s = scale_ * sin(angle_);
    return vxXform<2>(vxMatrix<2>(c, -s, s, c), translation_);
}

vx2Rigid vx_Pose::rigid() const {
    return vx2Rigid(translation_, angle_);
}

vx_Pose vf_PoseFromXform(const vxXform<2>& xform) {
    const vxMatrix<2>& m = xform.matrix();
    const double cosTerm = m(0, 0) + m(1, 1), sinTerm = m(1, 0) - m(0, 1);
    const vxRadian angle =
        (cosTerm == 0.0 && sinTerm == 0.0) ? vxRadian(0.0) : vxRadian(std::atan2(sinTerm, cosTerm));
    return vx_Pose(xform.trans(), angle, std::sqrt(std::fabs(m.determinant())));
}

void vx_ArrangePositionInfo::cell(const vxAffineRectangle& cell) {
    cell_ = cell;
    diagonal1_ = cell.cornerPx() - cell.cornerPy();
    diagonal2_ = cell.cornerPx() + cell.cornerPy() - 2.0 * cell.cornerPo();
}

vxVector<2> vx_ArrangePositionInfo::cellExtent() const {
    return vxVector<2>(std::max(std::fabs(diagonal1_.x()), std::fabs(diagonal2_.x())),
                       std::max(std::fabs(diagonal1_.y()), std::fabs(diagonal2_.y())));
}
