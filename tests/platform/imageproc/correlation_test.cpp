// The correlation core: score modes, degenerate models and images.
#include "vf_corr.h"

#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Image = vxPelBuffer<unsigned char>;

Image random(const vxPelRect& r, unsigned seed) {
    Image im(r);
    std::mt19937 rng(seed);
    for (long y = r.y(); y < r.y() + r.height(); ++y)
        for (long x = r.x(); x < r.x() + r.width(); ++x)
            *im.pointToPel(x, y) = static_cast<unsigned char>(rng() % 256);
    return im;
}

Image window(Image im, const vxPelRect& r) {
    im.window(r, false);
    return im;
}

std::vector<vx_CSResult> scores(const vx_CorrelationModel<unsigned char>& model,
                                const vxPelBuffer_const<unsigned char>& image, int mode) {
    vx_CorrSpace space;
    vf_corr_init(space, model, image, mode);
    std::vector<vx_CSResult> out;
    vf_corr_scoreAll(space, out);
    return out;
}

} // namespace

TEST(Correlation, ScoreModesAndDegenerateCases) {
    const Image image = random(vxPelRect(0, 0, 12, 10), 2);
    Image reversed(vxPelRect(0, 0, 12, 10));
    vxPelMapTable invert;
    for (int v = 0; v < 256; ++v)
        invert[v] = static_cast<unsigned char>(255 - v);
    vfPelMap(image, invert, reversed);
    const vx_CorrelationModel<unsigned char> model(window(reversed, vxPelRect(3, 2, 6, 5)));
    vx_CorrSpace space;
    for (auto [mode, expected] : {std::pair{0, 0}, {1, 0}, {2, -vx_CorrDefs::kScoreOne}}) {
        vf_corr_init(space, model, image, mode);
        EXPECT_EQ(vf_corr_score(space, 3, 2).score, expected) << mode;
    }
    EXPECT_EQ(vf_corr_scoreOf(0.5, 1), vx_CorrDefs::kScoreOne / 4);

    // A flat model, a flat image and a model without care pixels score 0 everywhere.
    Image flat(vxPelRect(0, 0, 12, 10));
    vfPelSet(flat, 40);
    Image none(vxPelRect(0, 0, 6, 5));
    for (const auto& [m, im] :
         {std::pair{vx_CorrelationModel<unsigned char>(window(flat, vxPelRect(0, 0, 6, 5))), image},
          {model, flat},
          {vx_CorrelationModel<unsigned char>(window(reversed, vxPelRect(3, 2, 6, 5)), none),
           image},
          {vx_CorrelationModel<unsigned char>(), image}})
        for (const vx_CSResult& r : scores(m, im, 2))
            ASSERT_EQ(r.score, 0);
    EXPECT_EQ(scores(vx_CorrelationModel<unsigned char>(), image, 2).size(), 13u * 11u);

    // A model larger than the image has no placement; bad arguments throw.
    EXPECT_TRUE(
        scores(vx_CorrelationModel<unsigned char>(image), window(flat, vxPelRect(0, 0, 5, 5)), 2)
            .empty());
    EXPECT_THROW(vf_corr_init(space, model, image, 3), vx_CorrDefs::BadArgument);
    EXPECT_THROW(vf_corr_init(space, model, Image(), 0), vxPel::UnboundWindow);
    EXPECT_EQ(space.mode, 2); // unchanged by the failed inits
    EXPECT_THROW(vf_corr_score(space, 7, 2), vx_CorrDefs::BadArgument);
    EXPECT_THROW(vf_corr_score(vx_CorrSpace(), 0, 0), vx_CorrDefs::BadArgument);
    EXPECT_THROW(vf_corr_alloc_space(space, -1, 4), vx_CorrDefs::BadArgument);
}
