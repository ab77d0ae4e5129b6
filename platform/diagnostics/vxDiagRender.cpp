#include "vxDiagRender.h"

#include "vxDiagDefs.h"
#include "vx_Raster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Bounds of graphics in their own coordinates, widened by pens and icons.
class Bounds {
public:
    void add(const vxVector<2>& p, double reach) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return;
        lo_ = vxVector<2>(std::min(lo_.x(), p.x() - reach), std::min(lo_.y(), p.y() - reach));
        hi_ = vxVector<2>(std::max(hi_.x(), p.x() + reach), std::max(hi_.y(), p.y() + reach));
    }
    void add(const vxGraphic& g) {
        const double pen = std::visit([](const auto& s) { return double(s.penWidth()); }, g);
        const auto addAll = [&](const std::vector<vxVector<2>>& points) {
            for (const vxVector<2>& p : points)
                add(p, pen);
        };
        if (const auto* line = std::get_if<vxGraphicLineSeg>(&g)) {
            addAll({line->shape().p1(), line->shape().p2()});
        } else if (const auto* rect = std::get_if<vxGraphicRect>(&g)) {
            addAll({rect->shape().ul(), rect->shape().lr()});
        } else if (const auto* aff = std::get_if<vxGraphicAffineRect>(&g)) {
            const vxAffineRectangle& r = aff->shape();
            addAll({r.cornerPo(), r.cornerPx(), r.cornerPy(), r.cornerPopp()});
        } else if (const auto* poly = std::get_if<vxGraphicPolygon>(&g)) {
            addAll(poly->shape().vertices());
        } else if (const auto* arc = std::get_if<vxGraphicEllipseArc>(&g)) {
            addAll(arc->shape().points(64));
        } else if (const auto* icon = std::get_if<vxGraphicPointIcon>(&g)) {
            add(icon->point(), icon->size() + pen);
        }
    }
    // The pel rectangle holding the bounds; the null rectangle when nothing was added.
    vxPelRect pelRect() const {
        if (lo_.x() > hi_.x()) return vxPelRect();
        const double limit = 1e9; // far beyond any raster that can be allocated
        if (std::fabs(lo_.x()) > limit || std::fabs(lo_.y()) > limit ||
            std::fabs(hi_.x()) > limit || std::fabs(hi_.y()) > limit)
            throw vxDiagDefs::BadArgument(L"Graphics reach too far to be drawn without a canvas");
        const long x0 = static_cast<long>(std::floor(lo_.x())),
                   y0 = static_cast<long>(std::floor(lo_.y()));
        const long x1 = static_cast<long>(std::ceil(hi_.x())),
                   y1 = static_cast<long>(std::ceil(hi_.y()));
        return vxPelRect(x0, y0, x1 - x0, y1 - y0);
    }

private:
    static constexpr double inf = std::numeric_limits<double>::infinity();
    vxVector<2> lo_{inf, inf};
    vxVector<2> hi_{-inf, -inf};
};

vxPelRect canvasOf(const vxDiagRecord& record, const vxDiagRenderOptions& options) {
    if (record.hasImage()) return record.image().window();
    if (!options.canvas.isNull()) return options.canvas;
    Bounds bounds;
    for (const vxDiagRecord::GraphicsAnnotation& a : record.graphicsAnnotations())
        for (const vxGraphic& g : a.graphics)
            bounds.add(g);
    return bounds.pelRect();
}

struct Drawer {
    vxRgbImage& raster;
    void operator()(const vxGraphicLineSeg& g) const {
        vf_RasterLine(raster, g.shape().p1(), g.shape().p2(), g.color(), g.penWidth());
    }
    void operator()(const vxGraphicRect& g) const {
        vf_RasterRect(raster, g.shape(), g.filled(), g.color(), g.penWidth());
    }
    void operator()(const vxGraphicAffineRect& g) const {
        const vxAffineRectangle& r = g.shape();
        drawClosed({r.cornerPo(), r.cornerPx(), r.cornerPopp(), r.cornerPy()}, false, g.filled(),
                   g);
    }
    void operator()(const vxGraphicPolygon& g) const {
        drawClosed(g.shape().vertices(), g.shape().fillMode() == vxPolygon::eNonZero, g.filled(),
                   g);
    }
    void operator()(const vxGraphicEllipseArc& g) const {
        const vxEllipseArc2& a = g.shape();
        if (!std::isfinite(a.rx()) || !std::isfinite(a.ry()) || !std::isfinite(a.sweep().plain()) ||
            !std::isfinite(a.start().plain()))
            return;
        // About two pixels per segment, within limits that keep small arcs round and
        // huge ones cheap.
        const double length =
            std::fabs(a.sweep().plain()) * std::max(std::fabs(a.rx()), std::fabs(a.ry()));
        const long n = static_cast<long>(std::clamp(std::ceil(length / 2.0), 8.0, 4096.0));
        vf_RasterPolyline(raster, a.points(n), false, g.color(), g.penWidth());
    }
    void operator()(const vxGraphicPointIcon& g) const {
        vf_RasterIcon(raster, g.point(), g.icon(), g.size(), g.color(), g.penWidth());
    }

private:
    void drawClosed(const std::vector<vxVector<2>>& points, bool nonZero, bool filled,
                    const vx_GraphicStyle& style) const {
        if (filled)
            vf_RasterFillPolygon(raster, points, nonZero, style.color());
        else
            vf_RasterPolyline(raster, points, true, style.color(), style.penWidth());
    }
};

} // namespace

vxRgbImage vfRenderDiagRecord(const vxDiagRecord& record, const vxDiagRenderOptions& options) {
    // Arguments and transforms first, so that no pixel work starts on a record that fails.
    const vxPelRect canvas = canvasOf(record, options);
    const vxXform<2> rasterFromImage(vxMatrix<2>(),
                                     vxVector<2>(-double(canvas.x()), -double(canvas.y())));
    vxXform<2> rasterFromClient = rasterFromImage;
    const bool hasClientGraphics = std::any_of(
        record.graphicsAnnotations().begin(), record.graphicsAnnotations().end(),
        [](const auto& a) { return a.coordinateSystem == vxDiagRecord::eClientCoordinates; });
    if (record.hasImage() && hasClientGraphics)
        rasterFromClient = rasterFromImage * record.image().imageFromClientXform();
    vxRgbImage raster(canvas.width(), canvas.height(), options.background);

    if (record.hasImage()) vf_RasterGrey(raster, record.image());
    const Drawer draw{raster};
    for (const vxDiagRecord::GraphicsAnnotation& a : record.graphicsAnnotations()) {
        const vxXform<2>& x = a.coordinateSystem == vxDiagRecord::eImageCoordinates
                                  ? rasterFromImage
                                  : rasterFromClient;
        for (const vxGraphic& g : a.graphics)
            std::visit(draw, vfMapGraphic(g, x));
    }
    return raster;
}
