// The report page's pieces: text, base64, the PNG of an image window, where graphics
// land in the SVG, and the tree of records.
#include "vxBase64.h"
#include "vxDiagReportHtml.h"
#include "vxGreyPng.h"
#include "vxHtmlText.h"

#include <gtest/gtest.h>

#if OC_HAVE_PNG
#include <png.h>
#endif

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

long count(const std::string& text, const std::string& part) {
    long n = 0;
    for (std::size_t k = text.find(part); k != std::string::npos; k = text.find(part, k + 1))
        ++n;
    return n;
}

TEST(ReportText, EscapesMarkupEncodesUtf8AndReplacesWhatHtmlRefuses) {
    const struct {
        std::wstring text;
        std::string html;
    } cases[] = {
        {L"a<b>&\"'", "a&lt;b&gt;&amp;&quot;&#39;"},
        {L"\u00e9\u20ac\U0001D11E\t\n", "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\t\n"},
        {{L'x', wchar_t(1), wchar_t(0x9F), wchar_t(0xD800), wchar_t(0x110000)},
         "x" + kReplacement + kReplacement + kReplacement + kReplacement},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vfHtmlEscape(c.text), c.html);
    const char* const vectors[][2] = {{"", ""},         {"f", "Zg=="},     {"fo", "Zm8="},
                                      {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}};
    for (const auto& v : vectors)
        EXPECT_EQ(vfBase64(v[0]), v[1]);
}

#if OC_HAVE_PNG
#endif

// Graphics land in the SVG in image pixel units, for an image window at (10, 20) and
// client frames that scale, move, turn or cannot be inverted.
TEST(ReportSvg, GraphicsAreMappedIntoTheImagesPixelUnits) {
    const struct {
        int system;
        vxXform<2> clientFromImage;
        vxGraphic graphic;
        std::string expected;
    } cases[] = {
        {vxDiagRecord::eImageCoordinates, vxXform<2>(vxMatrix<2>::scaling(2, 2), vxVector<2>()),
         vxGraphicRect(vxRect(12, 22, 5, 4), vxColor::green), "<rect x=\"12\" y=\"22\" width=\"5\" height=\"4\" fill=\"none\" stroke=\"#00ff00\""},
        {vxDiagRecord::eClientCoordinates, vxXform<2>(vxMatrix<2>::scaling(2, 2), vxVector<2>(5, -3)),
         vxGraphicLineSeg(vxLineSeg(vxVector<2>(35, 47), vxVector<2>(66, 77.5)), vxColor::red, 3),
         "<line x1=\"15\" y1=\"25\" x2=\"30.5\" y2=\"40.25\" fill=\"none\" stroke=\"#ff0000\" stroke-width=\"3\""},
        {vxDiagRecord::eClientCoordinates, vxXform<2>(vxMatrix<2>(0, -1, 1, 0), vxVector<2>(100, 0)),
         vxGraphicRect(vxRect(78, 12, 4, 5), vxColor::orange, 1, true),
         "<polygon points=\"12,22 12,18 17,18 17,22\" fill-rule=\"nonzero\" fill=\"#ffa500\""},
        {vxDiagRecord::eClientCoordinates, vxXform<2>(vxMatrix<2>(0, 0, 0, 0), vxVector<2>()),
         vxGraphicRect(vxRect(1, 1, 1, 1), vxColor::green), "graphics not drawn: "},
    };
    for (const auto& c : cases) {
        vxPelBuffer<unsigned char> image(vxPelRect(0, 0, 100, 100));
        image.window(vxPelRect(10, 20, 40, 30), false);
        image.clientFromImageXform(c.clientFromImage);
        vxDiagObject diag;
        vxDiagRecord& record = diag.newDiagRecord();
        record.image(image);
        vxGraphicList list;
        list.add(c.graphic);
        record.graphics(list, L"graphics", c.system);
        const std::string html = vfDiagReportHtml(diag, L"t");
        EXPECT_NE(html.find(c.expected), std::string::npos) << c.expected << "\n" << html;
        EXPECT_NE(html.find("<svg viewBox=\"10 20 40 30\""), std::string::npos);
    }
}

TEST(ReportPage, RecordsNestByLevelWithTheirTitlesAndOneImageEach) {
    vxDiagObject diag;
    const long levels[] = {0, 1, 2, 1, 0, 2};
    for (long i = 0; i < 6; ++i) {
        diag.level(levels[i]);
        vxDiagRecord& record = diag.newDiagRecord();
        record.recordAnnotation(L"<title " + std::to_wstring(i) + L">");
        if (i % 2 == 0) record.image(vxPelBuffer<unsigned char>(vxPelRect(0, 0, 3, 2)));
        record.text(L"x < y", L"note");
    }
    const std::string html = vfDiagReportHtml(diag, L"A & B");
    const long depths[] = {0, 1, 2, 1, 0, 1}; // a level skipped nests one deeper only
    for (long i = 0; i < 6; ++i) {
        const std::size_t id = html.find(" id=\"r" + std::to_string(i) + "\"");
        ASSERT_NE(id, std::string::npos);
        const std::size_t at = html.rfind("<details", id);
        const std::string before = html.substr(0, at);
        EXPECT_EQ(count(before, "<details") - count(before, "</details>"), depths[i]) << i;
        EXPECT_NE(html.find("</span>&lt;title " + std::to_string(i) + "&gt;</summary>", at), std::string::npos);
    }
    EXPECT_EQ(count(html, "data:image/png"), vfGreyPngAvailable() ? 3 : 0);
    EXPECT_NE(html.find("<title>A &amp; B</title>"), std::string::npos);
    EXPECT_NE(html.find("<pre>x &lt; y</pre>"), std::string::npos);
}

} // namespace
