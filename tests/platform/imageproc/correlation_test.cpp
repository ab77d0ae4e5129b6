// Correlation model statistics and the correlation core: masked against unmasked,
// score modes, degenerate models and images, placements and errors.
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

TEST(CorrelationModel, SumsAndVarianceOverCarePixels) {
    Image im(vxPelRect(4, 2, 3, 2));
    for (long i = 0; i < 6; ++i)
        *im.pointToPel(4 + i % 3, 2 + i / 3) = static_cast<unsigned char>(i + 1);
    const vx_CorrelationModel<unsigned char> all(im);
    EXPECT_EQ(all.nCarePels(), 6);
    EXPECT_EQ(all.sums().sum, 21);
    EXPECT_EQ(all.sums().sumSq, 91);
    EXPECT_DOUBLE_EQ(all.variance(), 6 * 91 - 21 * 21); // 36 times the variance 35/12

    Image mask(vxPelRect(0, 0, 3, 2)); // only 1, 3 and 5 care (128 counts as care)
    *mask.pointToPel(0, 0) = 255;
    *mask.pointToPel(2, 0) = 128;
    *mask.pointToPel(1, 1) = 200;
    *mask.pointToPel(0, 1) = 127;
    const vx_CorrelationModel<unsigned char> some(im, mask);
    EXPECT_EQ(some.nCarePels(), 3);
    EXPECT_EQ(some.sums().sum, 9);
    EXPECT_EQ(some.sums().sumSq, 35);
    EXPECT_DOUBLE_EQ(some.variance(), 3 * 35 - 81);
    EXPECT_EQ(some.image().window(), im.window());

    EXPECT_EQ(vx_CorrelationModel<unsigned char>().nCarePels(), 0);
    EXPECT_THROW(vx_CorrelationModel<unsigned char>(im, Image(2, 2)), vxPel::SizeMismatch);
    EXPECT_THROW(vx_CorrelationModel<unsigned char>{Image()}, vxPel::UnboundWindow);
}

TEST(Correlation, MaskedAgreesWithUnmaskedAndIgnoresDontCarePixels) {
    // The image window starts away from (0, 0): placements are in image coordinates.
    const Image image = random(vxPelRect(10, 20, 30, 24), 1);
    const Image part = window(image, vxPelRect(17, 25, 9, 7));
    Image care(vxPelRect(0, 0, 9, 7));
    vfPelSet(care, 255);
    const std::vector<vx_CSResult> plain =
        scores(vx_CorrelationModel<unsigned char>(part), image, 2);
    const std::vector<vx_CSResult> masked =
        scores(vx_CorrelationModel<unsigned char>(part, care), image, 2);
    ASSERT_EQ(plain.size(), 22u * 18u);
    ASSERT_EQ(masked.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(plain[i].x, masked[i].x);
        EXPECT_EQ(plain[i].score, masked[i].score);
    }
    EXPECT_EQ(plain.front().x, 10);
    EXPECT_EQ(plain.front().y, 20);
    vx_CorrSpace space;
    vf_corr_init(space, vx_CorrelationModel<unsigned char>(part), image, 2);
    EXPECT_EQ(vf_corr_score(space, 17, 25).score, vx_CorrDefs::kScoreOne);

    // Scribbling over the don't-care half of the model's place changes only the
    // unmasked score.
    Image changed = vfPelCopy(image);
    vfPelSet(window(changed, vxPelRect(17, 25, 4, 7)), 0);
    vfPelSet(window(care, vxPelRect(0, 0, 4, 7)), 0);
    vf_corr_init(space, vx_CorrelationModel<unsigned char>(part, care), changed, 0);
    EXPECT_EQ(vf_corr_score(space, 17, 25).score, vx_CorrDefs::kScoreOne);
    vf_corr_init(space, vx_CorrelationModel<unsigned char>(part), changed, 0);
    EXPECT_LT(vf_corr_score(space, 17, 25).score, 9000);
}

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
