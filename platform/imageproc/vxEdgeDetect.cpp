// Edge detection: parameter checks, angles, and the edgelet set built from the edge
// points of vf_FindEdgePoints_.
#include "vxEdgeDetect.h"

#include "vx_EdgePoints.h"

#include <cmath>
#include <numbers>

namespace {

const vx_Instantiator sBadParamsExemplar(typeid(vxEdgeletParams::BadParams),
                                         &vxEdgeletParams::BadParams::make);

} // namespace

vxBinaryAngle vxBinaryAngle::fromRadian(vxRadian a) {
    const double steps = std::floor(a.plain() * (128.0 / std::numbers::pi) + 0.5);
    const double wrapped = steps - 256.0 * std::floor(steps / 256.0);
    return vxBinaryAngle(static_cast<unsigned char>(static_cast<int>(wrapped) & 255));
}

vxRadian vxBinaryAngle::radian() const {
    return vxRadian(steps_ * (std::numbers::pi / 128.0));
}

vxPersistent* vxEdgeletParams::BadParams::make() {
    return new BadParams;
}

vxEdgeletParams::vxEdgeletParams(double sigma, double magnitudeThreshold, int edgeType) {
    if (!(sigma >= 0.5 && sigma <= 8.0))
        throw BadParams(L"Edge filter sigma must be from 0.5 to 8 pixels");
    if (!(magnitudeThreshold >= 0.0 && std::isfinite(magnitudeThreshold)))
        throw BadParams(L"Edge magnitude threshold must be finite and not negative");
    if (edgeType != eAllAboveThreshold && edgeType != eThinned)
        throw BadParams(L"Unknown edge type");
    sigma_ = sigma;
    threshold_ = magnitudeThreshold;
    type_ = static_cast<EdgeType>(edgeType);
}

template <class T>
void vfEdgeDetect(const vxPelBuffer_const<T>& image, const vxEdgeletParams& params,
                  vxEdgeletSet& set, vxDiagObject*, unsigned long) {
    if (!image.isBound()) throw vxPel::UnboundWindow();
    const vxPelRect win = image.window();
    std::vector<vx_EdgePoint> points;
    if (!win.isNull())
        vf_FindEdgePoints_(image.pointToPel(win.x(), win.y()), image.rowUpdate(), win.width(),
                           win.height(), params.sigma(), params.magnitudeThreshold(),
                           params.edgeType() == vxEdgeletParams::eThinned, points);

    const vxPtrHandle_const<vx2XformBase> clientFromImage = image.clientFromImage();
    const bool linear = clientFromImage->isLinear();
    const vxXform<2> linearForm = linear ? image.clientFromImageXform() : vxXform<2>();
    vxEdgeletSet result;
    result.reserve(points.size());
    for (const vx_EdgePoint& p : points) {
        const vxVector<2> pos(win.x() + double(p.x), win.y() + double(p.y));
        const vxVector<2> client =
            linear ? linearForm.mapPoint(pos) : clientFromImage->mapPoint(pos);
        result.add(vxEdgelet(pos, client, p.magnitude, vxBinaryAngle(p.angle)));
    }
    set.swap(result);
}

template void vfEdgeDetect<unsigned char>(const vxPelBuffer_const<unsigned char>&,
                                          const vxEdgeletParams&, vxEdgeletSet&, vxDiagObject*,
                                          unsigned long);
