// The text form of diagnostics.
#include "vxDiagText.h"

#include <gtest/gtest.h>

TEST(DiagText, DumpShowsEveryRecordIndentedByLevel) {
    vxDiagObject diag;
    vxPelBuffer<unsigned char> image(vxPelRect(2, 3, 16, 12));
    vxDiagRecord* input = vf_AddImage(&diag, image, L"OC Arranger: Input", false);
    input->text(L"Size:\t16 12\nOffset:\t2 3\n", L"Image info");
    diag.level(1);
    vxGraphicList list;
    list.add(vxGraphicRect(vxRect(1, 2, 4, 3), vxColor::green));
    list.add(vxGraphicPointIcon(vxVector<2>(0.5, 0.25), vxColor::yellow));
    vf_AddGraphics(&diag, list, L"Image area", 1);
    diag.level(0);
    vf_AddText(&diag, L"no newline at end", L"Result details");

    EXPECT_EQ(vfDiagToText(diag), L"[0] OC Arranger: Input\n"
                                  L"  image 16 x 12 at (2, 3)\n"
                                  L"  text \"Image info\":\n"
                                  L"    Size:\t16 12\n"
                                  L"    Offset:\t2 3\n"
                                  L"  [1] Image area\n"
                                  L"    graphics \"Image area\" (image coordinates): 2\n"
                                  L"      rect (1.000, 2.000, 4.000, 3.000) green pen 1 outline\n"
                                  L"      plus (0.500, 0.250) size 3 yellow pen 1\n"
                                  L"[2] Result details\n"
                                  L"  text \"Result details\":\n"
                                  L"    no newline at end\n");
}

TEST(DiagText, EmptyLinesAndEmptyObjects) {
    EXPECT_EQ(vfDiagToText(vxDiagObject()), L"");
    vxDiagRecord r(1);
    r.text(L"a\n\nb", L"t");
    r.graphics(vxGraphicList(), L"none");
    EXPECT_EQ(vfDiagRecordToText(r, 7), L"  [7] \n"
                                        L"    text \"t\":\n"
                                        L"      a\n"
                                        L"      \n"
                                        L"      b\n"
                                        L"    graphics \"none\" (client coordinates): 0\n");
    // A wild level does not blow up the text.
    EXPECT_LT(vfDiagRecordToText(vxDiagRecord(1L << 40), 0).size(), 300u);
}
