// Arranger diagnostics: the records of the built arrangement and the output, and that
// recording never changes a result.
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
