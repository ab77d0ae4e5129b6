// Training and running the sub-model tool: argument checks, the geometry of the
// placements searched, choice of the best one and its sub-pixel refinement. The pixel
// loops are in vx_SubModelCorr.cpp.
#include "vx_SubModelTool.h"

#include "vx_SubModelCorr.h"
#include "vx_SubModelDefs.h"

#include <algorithm>
#include <cmath>

struct vx_SubModelTool::Trained {
    vx_SubModelPattern pattern;
    vxXform<2> clientFromModel; // model image coordinates to model client coordinates
    vxPelRect window;           // the model's window in its image coordinates
    vxWarpSubModelCorTrainParams params;
};

namespace {

// How closely the start pose must map model pixels onto image pixels by a translation.
constexpr double kUnitTolerance = 1e-6;

// The integers of [lo, hi] that also lie in [min, max], as a pair (empty when first
// exceeds second), forgiving rounding noise next to an integer.
std::pair<long, long> integers(double lo, double hi, long min, long max) {
    const double tol = 1e-9;
    const double a = std::ceil(lo - tol * std::max(1.0, std::fabs(lo)));
    const double b = std::floor(hi + tol * std::max(1.0, std::fabs(hi)));
    return {long(std::clamp(a, double(min), double(max) + 1.0)),
            long(std::clamp(b, double(min) - 1.0, double(max)))};
}

// Offset in (-0.5, 0.5) of the vertex of the parabola through (-1, a), (0, b), (1, c),
// or 0 when b is not a strict peak.
double parabolaPeak(double a, double b, double c) {
    const double curvature = a - 2.0 * b + c;
    if (!(curvature < 0.0)) return 0.0;
    return std::clamp(0.5 * (a - c) / curvature, -0.5, 0.5);
}

} // namespace

void vx_SubModelTool::train(const vxWarpSubModel& model,
                            const vxWarpSubModelCorTrainParams& params) {
    auto t = std::make_shared<Trained>();
    t->clientFromModel = model.image().clientFromImageXform();
    t->clientFromModel.inverse(); // rejects a singular transform now rather than at run
    t->window = model.image().window();
    t->pattern = vx_SubModelPattern(model.image(), model.mask());
    t->params = params;
    trained_ = std::move(t);
}

const vxWarpSubModelCorTrainParams& vx_SubModelTool::trainParams() const {
    if (!trained_) throw vx_SubModelDefs::NotTrained();
    return trained_->params;
}

void vx_SubModelTool::run(const vxPelBuffer_const<unsigned char>& image,
                          const vxXform<2>& startPose, const vxWarpSubModelCorRunParams& params,
                          vx_SubModelResultSet& results) const {
    run(image, vxPelBuffer_const<unsigned char>(), startPose, params, {}, results);
}

void vx_SubModelTool::run(const vxPelBuffer_const<unsigned char>& image,
                          const vxPelBuffer_const<unsigned char>& mask, const vxXform<2>& startPose,
                          const vxWarpSubModelCorRunParams& params,
                          vx_SubModelResultSet& results) const {
    run(image, mask, startPose, params, {}, results);
}

void vx_SubModelTool::run(const vxPelBuffer_const<unsigned char>& image,
                          const vxXform<2>& startPose, const vxWarpSubModelCorRunParams& params,
                          const std::vector<vxVector<2>>& points,
                          vx_SubModelResultSet& results) const {
    run(image, vxPelBuffer_const<unsigned char>(), startPose, params, points, results);
}

void vx_SubModelTool::run(const vxPelBuffer_const<unsigned char>& image,
                          const vxPelBuffer_const<unsigned char>& mask, const vxXform<2>& startPose,
                          const vxWarpSubModelCorRunParams& params,
                          const std::vector<vxVector<2>>& points,
                          vx_SubModelResultSet& results) const {
    if (!trained_) throw vx_SubModelDefs::NotTrained();
    if (!image.isBound() || image.window().isNull())
        throw vx_SubModelDefs::BadImage(L"The run image must be bound and not empty");
    if (mask.isBound() && mask.window() != image.window())
        throw vx_SubModelDefs::BadImage(L"The run mask window must equal the image window");
    const Trained& t = *trained_;

    // Model image coordinates to run image coordinates; it must be a translation.
    const vxXform<2> clientFromImage = image.clientFromImageXform();
    const vxXform<2> imageFromClient = clientFromImage.inverse();
    const vxXform<2> imageFromModel = imageFromClient * startPose * t.clientFromModel;
    const vxMatrix<2>& m = imageFromModel.matrix();
    if (!(std::fabs(m(0, 0) - 1.0) <= kUnitTolerance && std::fabs(m(0, 1)) <= kUnitTolerance &&
          std::fabs(m(1, 0)) <= kUnitTolerance && std::fabs(m(1, 1) - 1.0) <= kUnitTolerance))
        throw vx_SubModelDefs::NotImplemented(
            L"The start pose must map model pixels onto image pixels by a translation");
    const vxVector<2> start = imageFromModel.trans();
    if (!std::isfinite(start.x()) || !std::isfinite(start.y()))
        throw vx_SubModelDefs::BadParams(L"The start pose must be finite");

    // The search box in image pixels: the client box's enclosing pixel rectangle.
    const vxMatrix<2>& a = imageFromClient.matrix();
    const vxVector<2>& u = params.xyUncertainty();
    const double hx = 0.5 * (std::fabs(a(0, 0)) * u.x() + std::fabs(a(0, 1)) * u.y());
    const double hy = 0.5 * (std::fabs(a(1, 0)) * u.x() + std::fabs(a(1, 1)) * u.y());

    // Placements as the model window's upper-left pixel relative to the image window's:
    // d = shift + (model origin - image origin). partialMatch bounds the hang on each
    // side, and some pixel must overlap.
    const vxPelRect& win = image.window();
    const long w = t.window.width(), h = t.window.height();
    const long originX = t.window.x() - win.x(), originY = t.window.y() - win.y();
    const vxPelRect& reach = params.partialMatch();
    const long hangL = std::clamp(-reach.x(), 0L, w), hangR = std::clamp(reach.lr().x(), 0L, w);
    const long hangT = std::clamp(-reach.y(), 0L, h), hangB = std::clamp(reach.lr().y(), 0L, h);
    const auto [dx0, dx1] =
        integers(start.x() - hx + double(originX), start.x() + hx + double(originX),
                 std::max(-hangL, 1 - w), std::min(win.width() - w + hangR, win.width() - 1));
    const auto [dy0, dy1] =
        integers(start.y() - hy + double(originY), start.y() + hy + double(originY),
                 std::max(-hangT, 1 - h), std::min(win.height() - h + hangB, win.height() - 1));

    vx_SubModelResultSet found;
    if (dx0 <= dx1 && dy0 <= dy1) {
        const vx_SubModelShifts shifts{dx0, dy0, dx1 - dx0 + 1, dy1 - dy0 + 1};
        const std::vector<double> scores = vf_SubModelScores(t.pattern, image, mask, shifts);
        auto score = [&](long i, long j) { return scores[size_t(j * shifts.nx + i)]; };

        // The best placement; among equal scores the one nearest the start pose.
        long bi = 0, bj = 0;
        double best = -1.0, bestDist = 0.0;
        for (long j = 0; j < shifts.ny; ++j)
            for (long i = 0; i < shifts.nx; ++i) {
                const double ex = double(dx0 + i - originX) - start.x();
                const double ey = double(dy0 + j - originY) - start.y();
                const double dist = ex * ex + ey * ey, s = score(i, j);
                if (s > best || (s == best && dist < bestDist)) {
                    best = s;
                    bestDist = dist;
                    bi = i;
                    bj = j;
                }
            }

        if (best >= params.acceptThreshold()) {
            double fx = 0.0, fy = 0.0;
            if (bi > 0 && bi + 1 < shifts.nx)
                fx = parabolaPeak(score(bi - 1, bj), best, score(bi + 1, bj));
            if (bj > 0 && bj + 1 < shifts.ny)
                fy = parabolaPeak(score(bi, bj - 1), best, score(bi, bj + 1));
            const vxVector<2> shift(double(dx0 + bi - originX) + fx,
                                    double(dy0 + bj - originY) + fy);
            // Move the start pose by the found shift, carried into client units.
            vxXform<2> pose = startPose;
            pose.trans(startPose.trans() + clientFromImage.mapVector(shift - start));
            std::vector<vxVector<2>> mapped;
            mapped.reserve(points.size());
            for (const vxVector<2>& p : points)
                mapped.push_back(pose.mapPoint(p));
            found.add(vx_SubModelResult(pose, best, std::move(mapped)));
        }
    }
    results = std::move(found);
}
