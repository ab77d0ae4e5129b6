// Rendering records into RGB rasters: exact pixels of rectangles, lines and icons,
// coordinate systems, clipping, canvases and the PPM form.
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

TEST(Render, LinesPensAndClipping) {
    const vxGraphicLineSeg line(vxLineSeg(vxVector<2>(0.5, 2.5), vxVector<2>(4.5, 2.5)),
                                vxColor::red);
    expectExactly(vfRenderDiagRecord(recordWith(line)), vxColor::red,
                  box(0, 2, 4, 2, [](long, long) { return true; }));
    vxGraphicLineSeg thick = line;
    thick.penWidth(3);
    expectExactly(vfRenderDiagRecord(recordWith(thick)), vxColor::red,
                  box(0, 1, 5, 3, [](long, long) { return true; }));
    // A diagonal runs pixel by pixel.
    const vxGraphicLineSeg diagonal(vxLineSeg(vxVector<2>(0.2, 0.2), vxVector<2>(3.9, 3.9)),
                                    vxColor::red);
    expectExactly(vfRenderDiagRecord(recordWith(diagonal)), vxColor::red,
                  Pixels{{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    // Huge coordinates are clipped, not walked; non-finite ones draw nothing.
    const vxGraphicLineSeg huge(vxLineSeg(vxVector<2>(-1e15, 4.5), vxVector<2>(1e15, 4.5)),
                                vxColor::red);
    expectExactly(vfRenderDiagRecord(recordWith(huge)), vxColor::red,
                  box(0, 4, 7, 4, [](long, long) { return true; }));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const vxGraphicLineSeg bad(vxLineSeg(vxVector<2>(nan, 1), vxVector<2>(3, 3)), vxColor::red);
    expectExactly(vfRenderDiagRecord(recordWith(bad)), vxColor::red, {});
}

TEST(Render, FilledShapesTakePixelsWithCentresInside) {
    const vxPolygon triangle({{0.2, 0.3}, {7.7, 1.1}, {2.9, 5.8}});
    const vxAffineRectangle diamond =
        vxAffineRectangle::fromCenter(vxVector<2>(4.1, 2.9), 3.3, 2.2, vxRadian(0.7));
    const vxPolygon diamondPoly(
        {diamond.cornerPo(), diamond.cornerPx(), diamond.cornerPopp(), diamond.cornerPy()});
    const std::pair<vxGraphic, vxPolygon> cases[] = {
        {vxGraphicPolygon(triangle, vxColor::cyan, 1, true), triangle},
        {vxGraphicAffineRect(diamond, vxColor::cyan, 1, true), diamondPoly},
    };
    for (const auto& shape : cases) {
        // Named references: clang 14 cannot capture structured bindings in a lambda.
        const vxGraphic& graphic = shape.first;
        const vxPolygon& polygon = shape.second;
        const Pixels expected = box(0, 0, 7, 5, [&](long x, long y) {
            return polygon.contains(vxVector<2>(x + 0.5, y + 0.5));
        });
        EXPECT_FALSE(expected.empty());
        expectExactly(vfRenderDiagRecord(recordWith(graphic)), vxColor::cyan, expected);
    }
}

TEST(Render, IconsAndArcs) {
    const vxGraphicPointIcon plus(vxVector<2>(3.5, 3.2), vxColor::yellow, vxGraphicPointIcon::ePlus,
                                  2);
    expectExactly(vfRenderDiagRecord(recordWith(plus)), vxColor::yellow,
                  Pixels{{1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {3, 1}, {3, 2}, {3, 4}, {3, 5}});
    const vxGraphicPointIcon dot(vxVector<2>(0, 0), vxColor::yellow, vxGraphicPointIcon::eCross, 0);
    expectExactly(vfRenderDiagRecord(recordWith(dot)), vxColor::yellow, Pixels{{0, 0}});

    // Every pixel of a drawn circle lies close to it, and it goes all the way round.
    const vxCircle circle(vxVector<2>(10, 10), 6);
    const vxGraphicEllipseArc arc(
        vxEllipseArc2(circle, vxRadian(0), vxRadian(2 * std::numbers::pi)), vxColor::red);
    const Pixels drawn = pixelsOf(vfRenderDiagRecord(recordWith(arc, 1, 20, 20)), vxColor::red);
    EXPECT_GT(drawn.size(), 30u);
    for (const auto& [x, y] : drawn)
        EXPECT_LT(circle.distanceTo(vxVector<2>(x + 0.5, y + 0.5)), 1.0) << x << "," << y;
    for (const vxVector<2>& extreme :
         {vxVector<2>(16, 10), vxVector<2>(10, 16), vxVector<2>(4, 10), vxVector<2>(10, 4)}) {
        bool near = false;
        for (const auto& [x, y] : drawn)
            near = near || extreme.distance(vxVector<2>(x + 0.5, y + 0.5)) < 1.0;
        EXPECT_TRUE(near) << extreme.x() << "," << extreme.y();
    }
}

TEST(Render, RecordWithoutImageUsesACanvas) {
    vxDiagRecord r;
    vxGraphicList list;
    list.add(vxGraphicRect(vxRect(10, 20, 3, 2), vxColor::green));
    r.graphics(list, L"only graphics");
    // The canvas holds the graphics with their pen: (9, 19) .. (13, 22).
    const vxRgbImage fitted = vfRenderDiagRecord(r);
    EXPECT_EQ(fitted.width(), 5);
    EXPECT_EQ(fitted.height(), 4);
    EXPECT_EQ(fitted.pixel(0, 0), vxColor::black);
    EXPECT_EQ(pixelsOf(fitted, vxColor::green), box(1, 1, 3, 2, [](long, long) { return true; }));

    vxDiagRenderOptions options;
    options.canvas = vxPelRect(10, 20, 2, 2);
    options.background = vxColor::white;
    const vxRgbImage given = vfRenderDiagRecord(r, options);
    EXPECT_EQ(given.width(), 2);
    EXPECT_EQ(pixelsOf(given, vxColor::green), (Pixels{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));

    EXPECT_EQ(vfRenderDiagRecord(vxDiagRecord()).width(), 0); // nothing to draw
    options.canvas = vxPelRect(0, 0, 1L << 20, 1L << 20);
    EXPECT_THROW(vfRenderDiagRecord(r, options), vxDiagDefs::BadArgument);
}

TEST(Render, RasterLimitsAndPpm) {
    EXPECT_THROW(vxRgbImage(-1, 2), vxDiagDefs::BadArgument);
    EXPECT_THROW(vxRgbImage(1L << 20, 1L << 9), vxDiagDefs::BadArgument);
    vxRgbImage raster(2, 1, vxColor::blue);
    EXPECT_THROW(raster.pixel(2, 0), vxDiagDefs::BadIndex);
    EXPECT_THROW(raster.pixel(0, -1, vxColor::red), vxDiagDefs::BadIndex);
    raster.pixel(1, 0, vxColor(1, 2, 3));
    std::ostringstream out;
    vfWritePpm(raster, out);
    EXPECT_EQ(out.str(), std::string("P6\n2 1\n255\n\x00\x00\xff\x01\x02\x03", 17));
    EXPECT_THROW(vfWritePpm(raster, std::string("/nonexistent-dir/x.ppm")), vxDiagDefs::IoError);
}
