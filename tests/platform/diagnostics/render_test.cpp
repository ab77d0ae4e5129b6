// Rendering records into RGB rasters: exact pixels of rectangles and coordinate
// systems.
#include "vxDiagDefs.h"
#include "vxDiagRender.h"
#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <set>
#include <sstream>
#include <utility>

namespace {

using Buffer = vxPelBuffer<unsigned char>;
using Pixels = std::set<std::pair<long, long>>;

const vxColor kGrey(50, 50, 50);

// A record over a width x height image of grey 50 holding one graphic.
vxDiagRecord recordWith(const vxGraphic& g, int system = vxDiagRecord::eImageCoordinates,
                        long width = 8, long height = 6) {
    Buffer image(width, height);
    vfPelSet(image, 50);
    vxDiagRecord r;
    r.image(image);
    vxGraphicList list;
    list.add(g);
    r.graphics(list, L"g", system);
    return r;
}

// The pixels of the raster that have colour c.
Pixels pixelsOf(const vxRgbImage& raster, vxColor c) {
    Pixels out;
    for (long y = 0; y < raster.height(); ++y)
        for (long x = 0; x < raster.width(); ++x)
            if (raster.pixel(x, y) == c) out.insert({x, y});
    return out;
}

// Every pixel is either in `expected` with colour c or has the image's grey.
void expectExactly(const vxRgbImage& raster, vxColor c, const Pixels& expected) {
    EXPECT_EQ(pixelsOf(raster, c), expected);
    for (long y = 0; y < raster.height(); ++y)
        for (long x = 0; x < raster.width(); ++x)
            if (!expected.count({x, y})) {
                EXPECT_EQ(raster.pixel(x, y), kGrey) << x << "," << y;
            }
}

Pixels box(long x0, long y0, long x1, long y1, const std::function<bool(long, long)>& keep) {
    Pixels out;
    for (long y = y0; y <= y1; ++y)
        for (long x = x0; x <= x1; ++x)
            if (keep(x, y)) out.insert({x, y});
    return out;
}

} // namespace

TEST(Render, RectanglesSetExactlyThePixelsWhoseCentresTheyHold) {
    const auto all = [](long, long) { return true; };
    struct Case {
        vxRect rect;
        int pen;
        bool filled;
        Pixels expected;
    };
    const Case cases[] = {
        {vxRect(1, 1, 4, 3), 1, false,
         box(1, 1, 4, 3, [](long x, long y) { return !(y == 2 && (x == 2 || x == 3)); })},
        {vxRect(1, 1, 4, 3), 1, true, box(1, 1, 4, 3, all)},
        {vxRect(0.6, 1.4, 2.0, 1.2), 1, true, box(1, 1, 2, 2, all)}, // off the pixel grid
        // A wide pen thickens the outline inward; a rectangle holding no centre draws nothing.
        {vxRect(0, 0, 6, 5), 2, false,
         box(0, 0, 5, 4, [](long x, long y) { return !(x == 2 || x == 3) || y != 2; })},
        {vxRect(1.6, 1, 0.3, 3), 1, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.x() << "," << c.rect.y() << " pen " << c.pen);
        expectExactly(
            vfRenderDiagRecord(recordWith(vxGraphicRect(c.rect, vxColor::green, c.pen, c.filled))),
            vxColor::green, c.expected);
    }
}

TEST(Render, ImageIsGreyAndGraphicsFollowWindowAndClientTransform) {
    // The window starts at (5, 6); client = the image turned by +90 degrees
    // ((x, y) -> (-y, x)) and moved by (100, 200).
    Buffer image(vxPelRect(5, 6, 4, 4));
    for (long y = 6; y < 10; ++y)
        for (long x = 5; x < 9; ++x)
            *image.pointToPel(x, y) = static_cast<unsigned char>(10 * x + y);
    image.clientFromImageXform(
        vxXform<2>(vxMatrix<2>::rotation(vxRadian(std::numbers::pi / 2)), vxVector<2>(100, 200)));
    vxDiagRecord r;
    r.image(image);
    vxGraphicList inImage, inClient;
    inImage.add(vxGraphicRect(vxRect(7, 9, 1, 1), vxColor::red, 1, true));
    // Client x 92..93 is image y 7..8, client y 206..209 image x 6..9.
    inClient.add(vxGraphicRect(vxRect(92, 206, 1, 3), vxColor::orange, 1, true));
    r.graphics(inImage, L"image", vxDiagRecord::eImageCoordinates);
    r.graphics(inClient, L"client", vxDiagRecord::eClientCoordinates);
    const vxRgbImage raster = vfRenderDiagRecord(r);
    ASSERT_EQ(raster.width(), 4);
    ASSERT_EQ(raster.height(), 4);
    EXPECT_EQ(raster.pixel(0, 0), vxColor(56, 56, 56)); // image pixel (5, 6)
    EXPECT_EQ(raster.pixel(3, 2), vxColor(88, 88, 88)); // image pixel (8, 8)
    EXPECT_EQ(pixelsOf(raster, vxColor::red), (Pixels{{2, 3}}));
    EXPECT_EQ(pixelsOf(raster, vxColor::orange), (Pixels{{1, 1}, {2, 1}, {3, 1}}));
}
