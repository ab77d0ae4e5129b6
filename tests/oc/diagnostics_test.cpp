// Alphabet and arranger diagnostics: the literal text of each record kind, what is
// drawn, and that recording never changes a result.
#include "finder_support.h"
#include "vxDiagObject.h"
#include "vxPelOps.h"
#include "vxNumText.h"
#include "vxOCArrange.h"
#include "vxTestLayout.h"
#include "vx_OCDiagnostics.h"

#include <gtest/gtest.h>

#include <variant>

using namespace finder_test;

namespace {

const vxDiagRecord* findRecord(const vxDiagObject& d, const std::wstring& title) {
    for (long i = 0; i < d.numRecords(); ++i)
        if (d.diagRecord(i).annotation() == title) return &d.diagRecord(i);
    return nullptr;
}

std::wstring textNamed(const vxDiagRecord& r, const std::wstring& name) {
    for (const auto& t : r.texts())
        if (t.name == name) return t.text;
    return L"<none>";
}

template <class G> long countOf(const vxGraphicList& list, const vxColor& color) {
    return std::count_if(list.begin(), list.end(), [&](const vxGraphic& g) {
        const auto* s = std::get_if<G>(&g);
        return s && s->color() == color;
    });
}

// A compiled A/B alphabet whose threshold of 0 makes every pair with any confusion a
// confusing pair.
vxPtrHandle_const<vxOCAlphabet> compiledAB() {
    vxOCAlphabet* a = new vxOCAlphabet(*alphabetOf("AB"));
    a->confusionThreshold(0.0);
    a->compile(nullptr, 0);
    return vxPtrHandle_const<vxOCAlphabet>(a);
}

struct Year {
    vxPtrHandle_const<vxOCAlphabet> alphabet;
    vxTestImage scene;
    vxOCArrangeParams params;
    Year() {
        vxOCAlphabet* a = new vxOCAlphabet(*alphabetOf("0126"));
        a->compile(nullptr, 0);
        alphabet = vxPtrHandle_const<vxOCAlphabet>(a);
        vxTestTextStyle style;
        style.size = 32.0;
        style.advance = 30.0;
        scene = vfRenderTestImage(vxTestScene(),
                                  vfLayoutLine("2016", vxVector<2>(160, 120), vxRadian(0.3), style));
        params.timeout(1e6); // complete searches: a time limit would make runs differ
    }
    vxOCArrangeResults arrange(vxDiagObject* diag, unsigned long flags) const {
        vxOCArrangeResults r;
        vfOCArrange(scene.image, *alphabet, keysOf("2016"), params, r, diag, flags);
        return r;
    }
};

} // namespace

TEST(AlphabetDiagnostics, GeneralRecordAndConfusionMatrixText) {
    vxDiagObject d;
    const vxDiagRecord* general = vf_AddAlphabet(&d, alphabetOf("AB").get(), L"T", false);
    ASSERT_EQ(d.numRecords(), 1);
    EXPECT_EQ(general->annotation(), L"T");
    EXPECT_EQ(general->textAnnotation(0).text,
              L"Alphabet general info\n  name = 'test'\n  numChars = 2\n"
              L"  confusionThreshold = 0.500\n  isCompiled = false\n\n");
    EXPECT_EQ(vf_ConfusionMatrix(nullptr, true), L"");

    const auto ab = compiledAB();
    vxOCAlphabet& offsets = const_cast<vxOCAlphabet&>(*ab);
    const auto c = [&](char a, char b) { return vfDbl(ab->confusion(a, b), 3, false); };
    std::wstring pairs;
    for (const auto& [a, b] : {std::pair{'A', 'B'}, std::pair{'B', 'A'}}) {
        if (!(ab->confusion(a, b) > 0.0)) continue;
        const vxVector<2> t = offsets.characterOffset(a, b).trans();
        pairs += L"score " + c(a, b) + L" for ('" + wchar_t(a) + L"', '" + wchar_t(b) +
                 L"') keys(000000" + vfHex(long(a), 2) + L", 000000" + vfHex(long(b), 2) +
                 L") at (" + vfDbl(t.x(), 3, false) + L", " + vfDbl(t.y(), 3, false) + L")\n";
    }
    EXPECT_FALSE(pairs.empty());
    const std::wstring matrix = L"Confusion matrix:\n\t'A'\t'B'\n'A'\t" + c('A', 'A') + L"\t" +
                                c('A', 'B') + L"\n'B'\t" + c('B', 'A') + L"\t" + c('B', 'B') +
                                L"\n";
    EXPECT_EQ(vf_ConfusionMatrix(ab.get(), false), matrix);
    EXPECT_EQ(vf_ConfusionMatrix(ab.get(), true), matrix + L"Confusing pairs:\n" + pairs);
    // No pair above a threshold of 1: the heading stays.
    vxOCAlphabet strict(*ab);
    strict.confusionThreshold(1.0);
    EXPECT_EQ(vf_ConfusionMatrix(&strict, true), matrix + L"Confusing pairs:\n");
}

TEST(AlphabetDiagnostics, CharacterAndMaskRecordsOneLevelDeeper) {
    const auto plain = charModel('A');
    vxPelBuffer<unsigned char> mask = vfPelCopy(plain->image());
    vfPelSet(mask, 255);
    vxPelBuffer<unsigned char> hidden = mask;
    hidden.window(vxPelRect(0, 0, 3, mask.height()), false);
    vfPelSet(hidden, 0);
    const vxPelRect area = plain->imageArea();
    const vxPtrHandle_const<vxOCModel> masked(new vxOCModel(
        'A', plain->image(), mask, area, vxOCModel::eNormal, L"A", L"first letter"));
    const vxOCAlphabet alphabet({masked}, 0.5, false, L"x");
    vxDiagObject d;
    vf_AddAlphabet(&d, &alphabet, L"T", true);
    ASSERT_EQ(d.numRecords(), 3);
    EXPECT_EQ(d.level(), 0);
    const vxDiagRecord& ch = d.diagRecord(1);
    EXPECT_EQ(ch.level(), 1);
    EXPECT_EQ(ch.annotation(), L"Character #0: 'A'");
    vxPelBuffer_const<unsigned char> pixels = plain->image();
    EXPECT_EQ(ch.textAnnotation(0).text,
              L"Character info\n  key = 00000041\n  name = A\n  description = 'first letter'\n"
              L"  type = eNormal\n  imageArea = " + vf_PelRectText(area) + L"\n  minPixelValue = " +
                  vfStr(vfPelMin(pixels)) + L"\n  maxPixelValue = " + vfStr(vfPelMax(pixels)) +
                  L"\n");
    EXPECT_EQ(vf_PelRectText(vxPelRect(1, 2, 3, 4)), L"ul(1, 2) lr(4, 6) size(3, 4)");
    ASSERT_EQ(ch.numGraphics(), 2);
    EXPECT_EQ(ch.graphicsAnnotation(0).name, L"Image area");
    EXPECT_EQ(ch.graphicsAnnotation(0).coordinateSystem, vxDiagRecord::eImageCoordinates);
    EXPECT_EQ(ch.graphicsAnnotation(1).name, L"Client coordinate axes");
    const vxDiagRecord& m = d.diagRecord(2);
    EXPECT_EQ(m.level(), 2);
    const long dontCare = 3 * area.height();
    EXPECT_EQ(m.textAnnotation(0).text,
              L"Mask info\n  nCarePixels = " + vfStr(area.width() * area.height() - dontCare) +
                  L"\n  nDontCarePixels = " + vfStr(dontCare) + L"\n");
    EXPECT_EQ(vf_CharTypeText(vxOCModel::CharType(7)), L"InvalidEnumValue");
}

TEST(ArrangeDiagnostics, InputRecordsTheImageKeysAndParameters) {
    const Year y;
    vxDiagObject d;
    y.arrange(&d, vxDiagObject::eInput);
    const vxDiagRecord* input = findRecord(d, L"OC Arranger: Input");
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(textNamed(*input, L"Image info"), L"Image info\nSize:\t" +
                                                    vfStr(y.scene.image.width()) + L" x " +
                                                    vfStr(y.scene.image.height()) +
                                                    L"\nOffset:\t(0, 0)\n");
    EXPECT_EQ(textNamed(*input, L"Target string")
                  .rfind(L"Target string\nNumber of characters: 4\nIndex\tKey\t\tName\tType\tSize\n"
                         L"0\t00000032\t'2'\teNormal\t",
                         0),
              0u);
    EXPECT_EQ(textNamed(*input, L"Run params"),
              L"Run params\nMax lines\t\tNo limit\nMax unmatched chars\tNo limit\n"
              L"Line type\t\t\tDon't care\nOrientation mode\t\tAverage\n"
              L"Orientation frame\t\tRelative\nExpected Orientation\t0 rad/0 deg (not used)\n"
              L"Line break cost\t\t2\nUnmatched char cost\t1\nNormal trans cost\t\t1\n"
              L"Tangential trans cost\t1\nOrientation cost\t\t1\nScale cost\t\t1\n");
    const vxDiagRecord* details = findRecord(d, L"Alphabet details");
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->level(), 1);
    EXPECT_EQ(findRecord(d, L"OC Arranger: Output"), nullptr);
}

TEST(ArrangeDiagnostics, BuildArrangementAndOutputRecords) {
    const Year y;
    vxDiagObject d;
    const vxOCArrangeResults r = y.arrange(&d, vxDiagObject::eIntermediate | vxDiagObject::eResults);
    const vxDiagRecord* build = findRecord(d, L"Build arrangement");
    ASSERT_NE(build, nullptr);
    const std::wstring line = textNamed(*build, L"Line #0 details");
    EXPECT_EQ(line.rfind(L"Line 0:Straight, 4 characters\nAverage angle: ", 0), 0u) << line;
    EXPECT_NE(line.find(L" degrees\nAerage scale: "), std::wstring::npos);
    EXPECT_NE(line.find(L"Cost details:\nIndex\tChar\tChoice\tMatch\tTan\tNorm\tRot\tScale\n0\t'2'\t"),
              std::wstring::npos);
    EXPECT_NE(line.find(L"\nNormalized total\t\t"), std::wstring::npos);
    EXPECT_EQ(textNamed(*build, L"Arrangement cost").rfind(L"Best solution:\nLine break cost\t\t0\n", 0),
              0u);
    const vxGraphicList& g = build->graphicsAnnotation(0).graphics;
    EXPECT_EQ(countOf<vxGraphicAffineRect>(g, vxColor::green), 4);
    EXPECT_EQ(countOf<vxGraphicLineSeg>(g, vxColor::red), 1);

    const vxDiagRecord* output = findRecord(d, L"OC Arranger: Output");
    ASSERT_NE(output, nullptr);
    const std::wstring overall = textNamed(*output, L"Overall info");
    EXPECT_EQ(overall.rfind(L"Overall info\nisFound: true\nisSearchTruncated: false\n"
                            L"clientFromArrangementXform: [",
                            0),
              0u);
    EXPECT_NE(overall.find(L"Index\tStatus\t\tScore\tKey\t\tName\tType\tSize\n0\teMatched \t" +
                           vfDbl(r.scores()[0], 3, false) + L"\t00000032\t'2'\teNormal\t"),
              std::wstring::npos);
    EXPECT_NE(overall.find(L"\nNumber of lines: 1\n"), std::wstring::npos);
    const vxDiagRecord* line0 = findRecord(d, L"Details for line #0");
    ASSERT_NE(line0, nullptr);
    EXPECT_EQ(line0->level(), 1);
    EXPECT_EQ(countOf<vxGraphicRect>(line0->graphicsAnnotation(0).graphics, vxColor::yellow), 4);

    // A key the alphabet lacks reaches the table only when called directly.
    vxDiagObject direct;
    vf_RecordArrangeOutput(y.scene.image, keysOf("2Z"), *y.alphabet, r, &direct,
                           vxDiagObject::eResults);
    EXPECT_NE(textNamed(direct.diagRecord(0), L"Overall info")
                  .find(L"1\teMatched \t" + vfDbl(r.scores()[1], 3, false) +
                        L"\t0000005A\tKey not found in alphabet!\n"),
              std::wstring::npos);
}

TEST(ArrangeDiagnostics, RecordingNeverChangesTheResults) {
    const Year y;
    const vxOCArrangeResults plain = y.arrange(nullptr, 0);
    EXPECT_EQ(std::count(plain.statusFlags().begin(), plain.statusFlags().end(),
                         vxOCArrangeDefs::eMatched),
              4);
    for (unsigned long flags : {0UL, 0x70000UL}) {
        vxDiagObject d;
        EXPECT_EQ(y.arrange(&d, flags), plain) << flags;
        EXPECT_EQ(d.numRecords() == 0, flags == 0);
    }
}

TEST(CharDiagnostics, KeyTextAndTheRectanglesOfOneCoordinateSystem) {
    EXPECT_EQ(vf_OCCharKeyText(vxOCCharKey()),
              L"Character code : 63488\nInstance : -1\nVariant : -1\nFontID : -1\n");

    vxOCChar fresh; // blank metrics: mark and mark image rectangles specified
    fresh.name(L"x");
    vxOCChar clientOnly = fresh;
    vxOCCharMetrics m;
    m.cellRect(vxRect(0, 0, 10, 20));
    m.isRectSpecified(vxOCCharMetrics::eCellRect, true);
    m.markRect(vxRect(1, 2, 5, 6));
    m.isMarkRectSpecified(true);
    clientOnly.metrics(m);
    const struct {
        const vxOCChar* character;
        int system;
        std::vector<vxColor> colors;
    } cases[] = {{&fresh, vxDiagRecord::eImageCoordinates, {vxColor::green}},
                 {&clientOnly, vxDiagRecord::eClientCoordinates, {vxColor::green, vxColor::orange}}};
    for (const auto& k : cases) {
        vxDiagObject d;
        const vxDiagRecord* r = vf_AddOCChar(&d, *k.character, L"c");
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->textAnnotation(0).name, L"Key");
        EXPECT_EQ(r->textAnnotation(0).text, L"Name : x\n" + vf_OCCharKeyText(vxOCCharKey()) +
                                                 L"Polarity : 4\n");
        ASSERT_EQ(r->numGraphics(), 1);
        EXPECT_EQ(r->graphicsAnnotation(0).name, L"rect(s)");
        EXPECT_EQ(r->graphicsAnnotation(0).coordinateSystem, k.system);
        const vxGraphicList& g = r->graphicsAnnotation(0).graphics;
        ASSERT_EQ(g.size(), static_cast<long>(k.colors.size()));
        for (long i = 0; i < g.size(); ++i)
            EXPECT_EQ(std::get<vxGraphicRect>(g[i]).color(), k.colors[static_cast<std::size_t>(i)]);
    }
}
