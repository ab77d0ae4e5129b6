// The diagnostic object and its records: nesting levels and order.
#include "vxDiagObject.h"

#include <gtest/gtest.h>

TEST(DiagObject, RecordsTakeTheCurrentLevelInOrder) {
    vxDiagObject diag;
    vxDiagRecord& first = diag.newDiagRecord();
    first.recordAnnotation(L"first");
    diag.level(diag.level() + 1);
    diag.newDiagRecord().recordAnnotation(L"nested");
    diag.level(3);
    vf_AddText(&diag, L"t", L"deep");
    diag.level(0);
    vf_AddGraphics(&diag, vxGraphicList(), L"last");

    ASSERT_EQ(diag.numRecords(), 4);
    const long levels[] = {0, 1, 3, 0};
    const wchar_t* titles[] = {L"first", L"nested", L"deep", L"last"};
    for (long i = 0; i < 4; ++i) {
        EXPECT_EQ(diag.diagRecord(i).level(), levels[i]);
        EXPECT_EQ(diag.diagRecord(i).annotation(), titles[i]);
    }
    // Earlier records stay where they were while more are added.
    EXPECT_EQ(&first, &diag.diagRecord(0));
}
