// Finder diagnostics: the result text with and without the run parameters, one
// graphics record per instance with its direction lines, nothing when nothing asks.
#include "finder_support.h"
#include "vxDiagObject.h"
#include "vxPelOps.h"
#include "vxTestLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

using namespace finder_test;

namespace {

struct Recorded {
    vxDiagObject diag;
    vx_OCExtractStringResult result;
};

// S (half-turn symmetric), 4 and 7 (no pattern: one-sided edges) searched in an image
// of S and 4, or in a blank image.
void searchS47(Recorded& out, unsigned long flags, bool blankImage = false) {
    vxTestTextStyle style;
    style.advance = 60.0;
    const vxTestImage img =
        vfRenderTestImage(vxTestScene(), vfLayoutLine(blankImage ? "  " : "S4",
                                                      vxVector<2>(320, 240), vxRadian(0), style));
    vx_OCExtractModelParams model;
    vx_OCExtractRunParams run;
    run.timeout = 5000.0;
    run.acceptThreshold = 0.8;
    vx_OCExtractModel m;
    m.search(alphabetOf("S47"), keysOf("S47"), img.image, vxPelBuffer_const<unsigned char>(), model,
             run, out.result, &out.diag, flags);
}

long countLines(const vxGraphicList& list, const vxColor& color) {
    return std::count_if(list.begin(), list.end(), [&](const vxGraphic& g) {
        const auto* line = std::get_if<vxGraphicLineSeg>(&g);
        return line && line->color() == color;
    });
}

} // namespace

TEST(FinderDiagnostics, ResultTextAndOneGraphicsRecordPerInstance) {
    Recorded input;
    searchS47(input, 0x10000);
    EXPECT_EQ(input.diag.numRecords(), 0); // parameters are only collected

    Recorded r;
    searchS47(r, 0x30000);
    const long nS = r.result.resultsByKey().at('S')->numInstances();
    const long n4 = r.result.resultsByKey().at('4')->numInstances();
    ASSERT_EQ(nS, 1);
    ASSERT_EQ(n4, 1);
    ASSERT_EQ(r.diag.numRecords(), 1 + nS + n4);

    const vxDiagRecord& text = r.diag.diagRecord(0);
    EXPECT_EQ(text.annotation(), L"Result details");
    ASSERT_EQ(text.numTexts(), 1);
    const std::wstring& t = text.textAnnotation(0).text;
    EXPECT_EQ(t.rfind(L"Runtime Params\n==============\nAccept Thresh = 0.8\n", 0), 0u);
    EXPECT_NE(t.find(L"Overlap =0.1\n"), std::wstring::npos);
    EXPECT_NE(t.find(L"Found Char Model '4'\n \t Instance #0 \t Score= "), std::wstring::npos);
    EXPECT_NE(t.find(L"Found Char Model 'S'"), std::wstring::npos);
    EXPECT_EQ(t.find(L"'7'"), std::wstring::npos); // no pattern, not searched

    // Model order is key order: '4' before 'S'. The S instance also shows its
    // half-turn direction in blue.
    const vxDiagRecord& four = r.diag.diagRecord(1);
    EXPECT_EQ(four.annotation(), L"Character '4' Result #0");
    const vxGraphicList& g4 = four.graphicsAnnotation(0).graphics;
    EXPECT_EQ(g4.size(), 2);
    EXPECT_EQ(countLines(g4, vxColor::blue), 0);
    const vxGraphicList& gS = r.diag.diagRecord(2).graphicsAnnotation(0).graphics;
    EXPECT_EQ(r.diag.diagRecord(2).annotation(), L"Character 'S' Result #0");
    ASSERT_EQ(gS.size(), 3);
    EXPECT_EQ(countLines(gS, vxColor::blue), 1);
    const auto& forward = std::get<vxGraphicLineSeg>(gS[2]);
    EXPECT_EQ(forward.penWidth(), 2);
    // The green line starts at the character's origin mapped by its pose.
    EXPECT_TRUE(vfRealEq(forward.shape().p1(),
                         r.result.resultsByKey().at('S')->pose(0).mapPoint(vxVector<2>()), 1e-9));
}

TEST(FinderDiagnostics, NothingFoundListsEveryTrainedCharacterWithoutGraphics) {
    Recorded r;
    searchS47(r, 0x20000, true);
    ASSERT_EQ(r.diag.numRecords(), 1);
    const std::wstring& t = r.diag.diagRecord(0).textAnnotation(0).text;
    EXPECT_EQ(t, L"\nFinal Results\nCould not find Char Model '4'\n\nCould not find Char Model "
                 L"'S'\n\n\n");
}

TEST(FinderDiagnostics, RingShowsFourDirectionsAndAReusedModelStartsItsTextAfresh) {
    const vxPelBuffer<unsigned char> ring = ringImage(16.0, 4.0, 42);
    const vxPtrHandle_const<vxOCModel> ringModel(
        new vxOCModel(1, ring, ring.window(), vxOCModel::eNormal, L"ring", L""));
    vxPelBuffer<unsigned char> scene(160, 120);
    vfPelSet(scene, 200);
    vxPelBuffer<unsigned char> place = scene;
    place.window(vxPelRect(60, 40, 42, 42), false);
    vfPelCopy(ring, place);
    vx_OCExtractRunParams run;
    run.timeout = 5000.0;
    vx_OCExtractModel m;
    std::wstring first;
    for (int pass = 0; pass < 2; ++pass) {
        vxDiagObject diag;
        vx_OCExtractStringResult result;
        m.search(alphabetOf("", 32.0, {ringModel}), {1}, scene, vxPelBuffer_const<unsigned char>(),
                 vx_OCExtractModelParams(), run, result, &diag, 0x30000);
        ASSERT_EQ(diag.numRecords(), 2);
        const vxGraphicList& g = diag.diagRecord(1).graphicsAnnotation(0).graphics;
        EXPECT_EQ(countLines(g, vxColor::blue), 3); // 90, 180 and 270 degrees
        EXPECT_EQ(countLines(g, vxColor::green), 1);
        const std::wstring& text = diag.diagRecord(0).textAnnotation(0).text;
        if (pass == 0) first = text;
        EXPECT_EQ(text, first); // the second search's text does not hold the first's
    }
}
