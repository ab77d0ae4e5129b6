// Normalized-correlation search: sub-pixel location, windows, result limits and
// merging, and argument errors.
#include "vxNrcSearchModel.h"

#include "vxAttention.h"
#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

using Defs = vxNrcSearchDefs;
using Image = vxPelBuffer<unsigned char>;

// A smooth pattern without repeats: random Gaussian blobs on grey.
std::function<double(double, double)> blobs(unsigned seed, double width, double height) {
    struct Blob {
        double x, y, s, a;
    };
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<Blob> bs(static_cast<size_t>(width * height / 120));
    for (Blob& b : bs)
        b = {u(rng) * width, u(rng) * height, 2.5 + 2.5 * u(rng), 160 * u(rng) - 80};
    return [bs](double x, double y) {
        double v = 128;
        for (const Blob& b : bs) {
            const double d2 = (x - b.x) * (x - b.x) + (y - b.y) * (y - b.y);
            if (d2 < 25 * b.s * b.s) v += b.a * std::exp(-d2 / (2 * b.s * b.s));
        }
        return v;
    };
}

// Pixel (x, y) of the window `r` = f at its centre.
Image render(const vxPelRect& r, const std::function<double(double, double)>& f) {
    Image im(r);
    for (long y = r.y(); y < r.y() + r.height(); ++y)
        for (long x = r.x(); x < r.x() + r.width(); ++x)
            *im.pointToPel(x, y) =
                static_cast<unsigned char>(std::clamp(std::lround(f(x + 0.5, y + 0.5)), 0L, 255L));
    return im;
}

Image noise(long w, long h, unsigned seed) {
    std::mt19937 rng(seed);
    return render(vxPelRect(0, 0, w, h), [&](double, double) { return double(rng() % 256); });
}

void paste(const Image& src, const Image& dst, long x, long y) {
    Image part = dst;
    part.window(vxPelRect(x, y, src.width(), src.height()), false);
    vfPelCopy(src, part);
}

// Whether a result's corner lies at (x, y); a copy pasted into noise has an
// asymmetric score peak, so its sub-pixel fit strays by a few hundredths.
bool at(const vxNrcSearchResult& r, double x, double y) {
    return std::hypot(r.corner().x() - x, r.corner().y() - y) < 0.15;
}

// The normalized correlation r of the template with the image patch whose upper-left
// corner is at (x, y), summed pixel by pixel.
double correlationAt(const Image& image, const Image& tpl, long x, long y) {
    double n = 0, si = 0, st = 0, sii = 0, stt = 0, sit = 0;
    for (long r = 0; r < tpl.height(); ++r)
        for (long c = 0; c < tpl.width(); ++c) {
            const double i = *image.pointToPel(x + c, y + r);
            const double t = *tpl.pointToPel(tpl.offset().x() + c, tpl.offset().y() + r);
            n += 1;
            si += i;
            st += t;
            sii += i * i;
            stt += t * t;
            sit += i * t;
        }
    return (n * sit - si * st) / std::sqrt((n * sii - si * si) * (n * stt - st * st));
}

vxNrcSearchModel trained(const vxPelBuffer_const<unsigned char>& image) {
    vxNrcSearchModel m;
    m.train(image, vxNrcSearchTrainParams());
    return m;
}

vxNrcSearchRunParams runParams(Defs::Algorithm a, double accept, long maxResults) {
    vxNrcSearchRunParams p(a);
    p.accept(accept);
    p.confusion(std::max(accept, 0.9));
    p.maxNumResults(maxResults);
    return p;
}

} // namespace

TEST(NrcSearch, FindsSubPixelOffsetWithEitherAlgorithm) {
    // The pattern fills the whole search image, moved by a fractional offset; the
    // template is its 40 x 40 window at (60, 50) of an image with the identity transform,
    // so a result's location is the offset itself.
    const auto f = blobs(3, 240, 200);
    const vxNrcSearchModel model = trained(render(vxPelRect(60, 50, 40, 40), f));
    EXPECT_EQ(model.numLevels(), 3);
    EXPECT_EQ(model.origin(), vxVector<2>(-60, -50));
    for (const auto& offset : {std::pair{0.3, 0.7}, {-0.45, 0.25}, {12.85, -7.1}}) {
        // Named copies: clang 14 cannot capture structured bindings in a lambda.
        const double ox = offset.first, oy = offset.second;
        Image image = render(vxPelRect(0, 0, 200, 160),
                             [&](double x, double y) { return f(x - ox, y - oy); });
        for (Defs::Algorithm a : {Defs::eCoarseToFine, Defs::eExhaustive}) {
            vxNrcSearchResultSet rs;
            model.run(image, runParams(a, 0.5, -1), rs);
            ASSERT_GE(rs.numFound(), 1);
            const vxNrcSearchResult& r = rs.results()[0];
            EXPECT_TRUE(r.found());
            EXPECT_GT(r.score(), 0.95);
            EXPECT_NEAR(r.location().x(), ox, 0.1) << a;
            EXPECT_NEAR(r.location().y(), oy, 0.1) << a;
            EXPECT_NEAR(r.corner().x(), 60 + ox, 0.1);
        }
        // Coarse accuracy gives the best whole-pixel placement; a client transform on
        // the run image carries the location into client coordinates.
        vxNrcSearchRunParams coarse = runParams(Defs::eCoarseToFine, 0.5, 1);
        coarse.accuracy(Defs::eCoarse);
        image.clientFromImageXform(vxXform<2>(vxMatrix<2>::scaling(2, 2), vxVector<2>(5, 1)));
        vxNrcSearchResultSet rs;
        model.run(image, coarse, rs);
        ASSERT_EQ(rs.numFound(), 1);
        const vxVector<2> c = rs.results()[0].corner();
        EXPECT_EQ(c, vxVector<2>(std::round(c.x()), std::round(c.y())));
        EXPECT_LT(std::abs(c.x() - 60 - ox), 0.6);
        EXPECT_LT(std::abs(c.y() - 50 - oy), 0.6);
        EXPECT_EQ(rs.results()[0].location(),
                  vxVector<2>(5 + 2 * (c.x() - 60), 1 + 2 * (c.y() - 50)));
    }
}

TEST(NrcSearch, WindowsLimitsAndMerging) {
    const Image tpl = render(vxPelRect(0, 0, 40, 40), blobs(8, 40, 40));
    const vxNrcSearchModel model = trained(tpl);
    Image image = noise(300, 200, 2);
    paste(tpl, image, 20, 30);
    paste(tpl, image, 200, 120);
    Image noisy = vfPelCopy(tpl); // a third, weaker copy (r = 0.36)
    std::mt19937 rng(4);
    for (long y = 0; y < 40; ++y)
        for (long x = 0; x < 40; x += 4)
            *noisy.pointToPel(x, y) = static_cast<unsigned char>(rng() % 256);
    paste(noisy, image, 120, 10);

    vxNrcSearchResultSet rs;
    model.run(image, runParams(Defs::eCoarseToFine, 0.1, -1), rs);
    ASSERT_EQ(rs.numFound(), 3);
    EXPECT_GE(rs.results()[0].score(), rs.results()[1].score());
    EXPECT_LT(std::hypot(rs.results()[2].corner().x() - 120, rs.results()[2].corner().y() - 10),
              0.5);
    // The weak copy scores r squared, and the accept threshold applies to that score: an
    // accept between r squared and r drops it.
    const double r = correlationAt(image, tpl, 120, 10);
    EXPECT_NEAR(rs.results()[2].score(), r * r, 1e-9);
    model.run(image, runParams(Defs::eExhaustive, (r * r + r) / 2, -1), rs);
    EXPECT_EQ(rs.numFound(), 2);
    model.run(image, runParams(Defs::eCoarseToFine, 0.1, 2), rs);
    ASSERT_EQ(rs.numFound(), 2);
    EXPECT_GT(rs.results()[1].score(), 0.99);

    // The window holds only the second copy; a window too small for the template
    // restricts nothing; one outside the image finds nothing.
    model.run(image, vxPelRect(150, 100, 100, 70), runParams(Defs::eCoarseToFine, 0.1, -1), rs);
    ASSERT_EQ(rs.numFound(), 1);
    EXPECT_TRUE(at(rs.results()[0], 200, 120));
    model.run(image, vxPelRect(0, 0, 1, 1), runParams(Defs::eExhaustive, 0.1, -1), rs);
    EXPECT_EQ(rs.numFound(), 3);
    model.run(image, vxPelRect(400, 0, 50, 50), runParams(Defs::eCoarseToFine, 0.1, -1), rs);
    EXPECT_EQ(rs.numFound(), 0);

    // Two copies a quarter of the template apart (the later one covers part of the
    // first): both are found unless the overlap fraction is below a quarter.
    Image pair = noise(160, 100, 3);
    paste(tpl, pair, 30, 30);
    paste(tpl, pair, 60, 30);
    vxNrcSearchRunParams p = runParams(Defs::eCoarseToFine, 0.5, -1);
    model.run(pair, p, rs);
    EXPECT_EQ(rs.numFound(), 2);
    p.xyOverlap(0.2);
    model.run(pair, p, rs);
    ASSERT_EQ(rs.numFound(), 1);
    EXPECT_TRUE(at(rs.results()[0], 60, 30));
}

TEST(NrcSearch, BadArgumentsChangeNothing) {
    const Image tpl = render(vxPelRect(0, 0, 20, 20), blobs(9, 20, 20));
    vxNrcSearchResultSet rs;
    vxNrcSearchModel model;
    EXPECT_THROW(model.run(tpl, vxNrcSearchRunParams(), rs), Defs::NotTrained);
    EXPECT_THROW(model.train(Image(), vxNrcSearchTrainParams()), vxPel::UnboundWindow);
    EXPECT_THROW(model.train(Image(vxPelRect(0, 0, 0, 5)), vxNrcSearchTrainParams()),
                 Defs::BadTrainImage);
    model.train(tpl, vxNrcSearchTrainParams(Defs::eFine, Defs::eExhaustive));
    EXPECT_EQ(model.numLevels(), 1);
    EXPECT_THROW(model.run(tpl, vxNrcSearchRunParams(Defs::eCoarseToFine), rs), Defs::NotTrained);

    vxNrcSearchRunParams p(Defs::eExhaustive);
    model.run(tpl, p, rs);
    ASSERT_EQ(rs.numFound(), 1);
    p.accept(0.9);
    EXPECT_THROW(model.run(tpl, p, rs), Defs::BadParams); // confusion 0.6 is below accept
    EXPECT_THROW(model.run(Image(), vxNrcSearchRunParams(Defs::eExhaustive), rs),
                 vxPel::UnboundWindow);
    // One representative per kind of parameter check: a number out of range, NaN, an
    // enumeration out of range.
    EXPECT_THROW(p.accept(1.5), Defs::BadParams);
    EXPECT_THROW(p.xyOverlap(std::nan("")), Defs::BadParams);
    EXPECT_THROW(vxNrcSearchRunParams(Defs::Algorithm(2)), Defs::BadParams);
    EXPECT_EQ(p.accept(), 0.9);

    // An expired time limit stops a run and leaves the results as they were.
    {
        vxAttentionTag limit;
        limit.attachTimeout(0);
        EXPECT_THROW(model.run(tpl, vxNrcSearchRunParams(Defs::eExhaustive), rs),
                     vxTimeout::Expired);
    }
    EXPECT_EQ(rs.numFound(), 1);
}
