// Alphabet compilation: confusion of rendered characters, blank-row statistics, tool
// failures, resampling, stop requests, diagnostics hooks, and the image helpers.
#include "oc_test_support.h"
#include "vxAttention.h"
#include "vxDiagObject.h"
#include "vxOCAlphabet.h"
#include "vxPelOps.h"
#include "vxTestScene.h"
#include "vx_OCImageUtilities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

using Handle = vxPtrHandle_const<vxOCModel>;

using oc_test::glyphModel; // about 32 x 52 pixels

// A normal character whose image is `image` with the given client-from-image transform.
Handle modelOf(long key, vxPelBuffer_const<unsigned char> image,
               const vxXform<2>& clientFromImage) {
    image.clientFromImageXform(clientFromImage);
    return Handle(new vxOCModel(key, image, image.window(), vxOCModel::eNormal, L"", L""));
}

Handle blankModel(long key, const vxPelRect& area) {
    auto* m = new vxOCModel;
    m->key(key);
    m->imageArea(area);
    return Handle(m);
}

std::vector<Handle> glyphs(const std::string& codes) {
    std::vector<Handle> out;
    for (char c : codes)
        out.push_back(glyphModel(c));
    return out;
}

} // namespace

TEST(Compile, RenderedCharactersConfuseLikePeopleDo) {
    const std::string codes = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    vxOCAlphabet alphabet(glyphs(codes), 0.5, true, L"");
    ASSERT_TRUE(alphabet.isCompiled());
    for (char c : codes)
        EXPECT_EQ(alphabet.confusion(c, c), 1.0);
    for (const char* pair : {"O0", "OD", "OQ", "8B", "1I", "5S", "2Z"}) {
        EXPECT_GT(alphabet.confusion(pair[0], pair[1]), 0.58) << pair;
        EXPECT_GT(alphabet.confusion(pair[1], pair[0]), 0.58) << pair;
        // Found where it stands: the cells are centred alike.
        EXPECT_LT(alphabet.characterOffset(pair[0], pair[1]).trans().length(), 2.5) << pair;
        EXPECT_TRUE(alphabet.characterOffset(pair[0], pair[1]).matrix().isIdentity());
    }
    for (const char* pair : {"4G", "NZ", "IX", "TX", "OZ", "7D", "HX", "W1"})
        EXPECT_LT(alphabet.confusion(pair[0], pair[1]), 0.4) << pair;
}

// The lowest quarter (rounded up) of the structure scores is the blank's reference:
// with four normal characters that is the lowest score alone, so none falls below it;
// with five, the two lowest are averaged and only the lowest falls below.
TEST(Compile, BlankRowStatistics) {
    const vxPelRect area(6, 14, 20, 24); // the middle of the glyphs: their strokes
    for (const std::string codes : {"AIMO", "AIMO-"}) {
        std::vector<Handle> models = glyphs(codes);
        models.push_back(blankModel(99, area));
        vxOCAlphabet a(models, 0.5, true, L"");

        std::vector<std::pair<double, char>> scores;
        for (size_t k = 0; k < codes.size(); ++k)
            scores.push_back({vfScoreBlankness(models[k]->image(), models[k]->mask(), vxXform<2>(),
                                               vxPelBuffer_const<unsigned char>(), area,
                                               vxPelBuffer_const<unsigned char>()),
                              codes[k]});
        std::sort(scores.begin(), scores.end());
        const bool five = codes.size() == 5;
        const double mean = five ? (scores[0].first + scores[1].first) / 2 : scores[0].first;
        ASSERT_GT(mean, 0.0);
        const double spread = 1.0 - scores[0].first / mean;
        for (const auto& [score, code] : scores) {
            const double expected = score < mean ? 1.0 - score / mean : 0.0;
            EXPECT_DOUBLE_EQ(a.confusion(99, code), expected) << code;
            EXPECT_EQ(a.areConfusable(99, code), five && code == scores[0].second) << code;
        }
        const vxXform<2> stats = a.characterOffset(99, codes[0]);
        EXPECT_TRUE(stats.matrix().isIdentity());
        EXPECT_DOUBLE_EQ(stats.trans().x(), mean);
        EXPECT_DOUBLE_EQ(stats.trans().y(), spread);
        EXPECT_EQ(spread > 0.0, five);
    }
}

TEST(Compile, UnmeasurablePairsAndStructurelessBlanksConfuseNothing) {
    // A normal character with an empty image area: the tool can neither learn it nor
    // search in it; the compilation goes on. The top-left corner of every glyph image is
    // background, so blanks over it find no structure.
    const Handle e = glyphModel('E');
    const Handle hollow(new vxOCModel(5, e->image(), vxPelRect(), vxOCModel::eNormal, L"", L""));
    vxOCAlphabet a({e, hollow, glyphModel('F'), blankModel(7, vxPelRect(0, 0, 8, 8)),
                    blankModel(8, vxPelRect(0, 0, 8, 8))},
                   0.5, true, L"");
    for (const auto& [x, y] : {std::pair<long, long>{'E', 5}, {5, 'E'}, {7, 'E'}, {7, 8}, {'E', 7}})
        EXPECT_EQ(a.confusion(x, y), 0.0) << x << " " << y;
    EXPECT_EQ(a.confusion(5, 5), 1.0);
    EXPECT_TRUE(a.characterOffset('E', 5).isIdentity());
    EXPECT_TRUE(a.characterOffset(7, 'E').isIdentity());
    EXPECT_GT(a.confusion('E', 'F'), 0.6);
}

TEST(Compile, ImagesOnOtherGridsAreResampled) {
    vxTestScene look;
    look.blurSigma = 0.7;
    const vxTestImage small = vfRenderTestChar('R', 34.0, look, 2);
    const vxTestImage large = vfRenderTestChar('R', 68.0, look, 2);
    // The large image at half scale and the small one moved: both show R at about the
    // same client size, so R is found in each at the place its centre went.
    const vxXform<2> half(vxMatrix<2>::scaling(0.5, 0.5), vxVector<2>(3.0, 1.0));
    const vxXform<2> moved(vxMatrix<2>(), vxVector<2>(5.0, -3.0));
    vxOCAlphabet a({modelOf(1, small.image, vxXform<2>()), modelOf(2, large.image, half),
                    modelOf(3, small.image, moved)},
                   0.5, true, L"");
    EXPECT_GT(a.confusion(1, 2), 0.9);
    const vxVector<2> shift = half.mapPoint(large.truth[0].center) - small.truth[0].center;
    EXPECT_NEAR(a.characterOffset(1, 2).trans().x(), shift.x(), 0.5);
    EXPECT_NEAR(a.characterOffset(1, 2).trans().y(), shift.y(), 0.5);
    EXPECT_GT(a.confusion(1, 3), 0.999);
    EXPECT_NEAR(a.characterOffset(1, 3).trans().x(), 5.0, 1e-6);
    EXPECT_NEAR(a.characterOffset(1, 3).trans().y(), -3.0, 1e-6);

    // Taught 300 times larger in client units, the other character would become a picture
    // of 10,000 x 13,000 pixels on the small one's grid: that pair is not compared.
    const vxXform<2> huge(vxMatrix<2>::scaling(300.0, 300.0), vxVector<2>());
    const vxOCAlphabet far({modelOf(1, small.image, vxXform<2>()), modelOf(4, small.image, huge)},
                           0.5, true, L"");
    EXPECT_EQ(far.confusion(1, 4), 0.0);
}

TEST(Compile, StopRequestsLeaveTheAlphabetAsItWasAndDiagnosticsRecordWhenAsked) {
    vxOCAlphabet a(glyphs("AB"), 0.5, false, L"");
    auto stored = [&] {
        vxArchive ar;
        ar || a;
        return ar.bytes();
    };
    const std::vector<unsigned char> before = stored();
    const vxAttention::Token token = vxAttention::current();
    token.requestAbort();
    EXPECT_THROW(a.compile(), vxAttention::Aborted);
    token.clearAbort();
    {
        vxAttentionTag limit;
        limit.attachTimeout(0.0);
        EXPECT_THROW(a.compile(), vxTimeout::Expired);
    }
    // A limit armed by an outer library is no tool failure either: it passes through
    // with its own code instead of leaving pairs "not confusable".
    {
        vxAttentionTag limit;
        limit.attachTimeoutCustom(0.0, 0x1234);
        try {
            a.compile();
            ADD_FAILURE() << "compiled under an expired limit";
        } catch (const vxTimeout::InternalExpired& e) {
            EXPECT_EQ(e.code(), 0x1234u);
        }
    }
    EXPECT_FALSE(a.isCompiled());
    EXPECT_TRUE(stored() == before); // neither the matrix nor the offsets were touched

    auto titles = [](const vxDiagObject& d) {
        std::vector<std::wstring> out;
        for (long k = 0; k < d.numRecords(); ++k)
            if (d.diagRecord(k).level() == 0) out.push_back(d.diagRecord(k).annotation());
        return out;
    };
    const std::vector<std::wstring> all{L"Alphabet Compilation Input",
                                        L"Alphabet Compilation Details",
                                        L"Alphabet Compilation Results"};
    for (int pass = 0; pass < 2; ++pass) { // the second compiles nothing but still records
        vxDiagObject diag;
        a.compile(&diag,
                  vxDiagObject::eInput | vxDiagObject::eIntermediate | vxDiagObject::eResults);
        EXPECT_TRUE(a.isCompiled());
        EXPECT_EQ(titles(diag), all);
    }
    vxDiagObject none;
    a.compile(&none, 0);
    EXPECT_EQ(none.numRecords(), 0);
}

// ---- Image helpers ----

// 8 x 8 pixels: columns 0 to 4 at 10, the rest at 250 (median 10).
static vxPelBuffer<unsigned char> darkLeftImage() {
    vxPelBuffer<unsigned char> img(vxPelRect(0, 0, 8, 8));
    for (long y = 0; y < 8; ++y)
        for (long x = 0; x < 8; ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(x < 5 ? 10 : 250);
    return img;
}

TEST(CompileImages, ClippedSamplingPadsWithMedianAndDontCare) {
    const vxPelBuffer<unsigned char> img = darkLeftImage();
    // Twelve samples across from x = -2 to 10: the outer ones lie outside the image.
    const vxAffineSamplingParams params(vxAffineRectangle(vxVector<2>(-2, 0), 12.0, 8.0), 12, 8);
    vxPelBuffer<unsigned char> out, outMask;
    vfAffineTransformWithClipping(img, vxPelBuffer_const<unsigned char>(), params, out, outMask);
    ASSERT_TRUE(outMask.isBound());
    EXPECT_EQ(*out.pointToPel(0, 3), 10);
    EXPECT_EQ(*out.pointToPel(11, 3), 10); // right of the 250s: the median, not the edge
    EXPECT_EQ(*outMask.pointToPel(0, 3), 0);
    EXPECT_EQ(*outMask.pointToPel(11, 3), 0);
    EXPECT_EQ(*outMask.pointToPel(5, 3), 255);
    EXPECT_EQ(*out.pointToPel(8, 3), 250);

    // Inside the image nothing is padded and an unbound mask stays unbound.
    vxPelBuffer<unsigned char> inside, insideMask;
    const vxAffineSamplingParams within(vxAffineRectangle(vxVector<2>(2, 2), 4.0, 4.0), 4, 4);
    vfAffineTransformWithClipping(img, vxPelBuffer_const<unsigned char>(), within, inside,
                                  insideMask);
    EXPECT_FALSE(insideMask.isBound());
    EXPECT_TRUE(vfPelEqual(inside, vfAffineTransformImage(img, within)));
    EXPECT_THROW(vfAffineTransformWithClipping(img, vxPelBuffer_const<unsigned char>(), within,
                                               inside, insideMask),
                 vxAssertionFailure);
}

TEST(CompileImages, ClippedSamplingFarBeyondTheImageAndThroughANearlySingularTransform) {
    const vxPelBuffer<unsigned char> img = darkLeftImage();
    // Samples on pixel centres from 100 pixels left of the image to 100 right of it:
    // all those outside read the median and don't care, however far out they lie.
    const vxAffineSamplingParams wide(vxAffineRectangle(vxVector<2>(-100, 0), 208.0, 8.0), 208, 8);
    vxPelBuffer<unsigned char> out, outMask;
    vfAffineTransformWithClipping(img, vxPelBuffer_const<unsigned char>(), wide, out, outMask);
    for (long x = 0; x < 208; ++x) {
        const long column = x - 100;
        const bool inside = column >= 0 && column < 8;
        ASSERT_EQ(*out.pointToPel(x, 4), inside ? *img.pointToPel(column, 4) : 10) << x;
        ASSERT_EQ(*outMask.pointToPel(x, 4), inside ? 255 : 0) << x;
    }

    // Squeezed to 1e-77 along x, the client rectangle lies beyond any integer in image
    // coordinates: a clear error, not an overflowing conversion.
    vxPelBuffer_const<unsigned char> squeezed(img);
    squeezed.clientFromImageXform(vxXform<2>(vxMatrix<2>(1e-77, 0, 0, 1), vxVector<2>()));
    const vxAffineSamplingParams small(vxAffineRectangle(vxVector<2>(2, 2), 4.0, 4.0), 4, 4);
    vxPelBuffer<unsigned char> none, noneMask;
    EXPECT_THROW(vfAffineTransformWithClipping(squeezed, vxPelBuffer_const<unsigned char>(), small,
                                               none, noneMask),
                 vxPel::BadArgument);
    EXPECT_FALSE(none.isBound());
}

TEST(CompileImages, SelfCorrelationSeparatesStrokesFromFlatAndNoise) {
    vxPelBuffer<unsigned char> flat(vxPelRect(0, 0, 20, 20));
    vfPelSet(flat, 77);
    EXPECT_EQ(vf_ScoreSelfCorrelation(flat, vxPelBuffer_const<unsigned char>()), 0.0);
    EXPECT_EQ(vf_ScoreSelfCorrelation(vxPelBuffer<unsigned char>(vxPelRect(0, 0, 4, 30)), {}), 1.0);
    vxPelBuffer<unsigned char> noise(vxPelRect(0, 0, 20, 20));
    std::mt19937 gen(3);
    for (long y = 0; y < 20; ++y)
        for (long x = 0; x < 20; ++x)
            *noise.pointToPel(x, y) = static_cast<unsigned char>(gen() % 256);
    EXPECT_LT(vf_ScoreSelfCorrelation(noise, {}), 0.15);
    EXPECT_GT(vf_ScoreSelfCorrelation(glyphModel('H')->image(), {}), 0.4);
}
