// The diagnostic object and its records: record kinds, nesting levels, the image,
// text and graphics helpers and the order of annotations.
#include "vxDiagDefs.h"
#include "vxDiagObject.h"
#include "vxPelOps.h"

#include <gtest/gtest.h>

namespace {

using Buffer = vxPelBuffer<unsigned char>;
using ConstBuffer = vxPelBuffer_const<unsigned char>;

vxGraphicList oneLine(vxColor color) {
    vxGraphicList list;
    list.add(vxGraphicLineSeg(vxLineSeg(vxVector<2>(0, 0), vxVector<2>(3, 0)), color));
    return list;
}

} // namespace

TEST(DiagObject, ShouldRecordNeedsTheKindsBits) {
    constexpr unsigned long in = vxDiagObject::eInput, out = vxDiagObject::eResults,
                            mid = vxDiagObject::eIntermediate;
    EXPECT_EQ(in, 0x10000ul);
    EXPECT_EQ(out, 0x20000ul);
    EXPECT_EQ(mid, 0x40000ul);
    EXPECT_TRUE(vxDiagObject::shouldRecord(in, in));
    EXPECT_TRUE(vxDiagObject::shouldRecord(in | mid | 0x3, mid));
    EXPECT_FALSE(vxDiagObject::shouldRecord(in | mid, out));
    EXPECT_FALSE(vxDiagObject::shouldRecord(0, in));
    EXPECT_FALSE(vxDiagObject::shouldRecord(~0ul, 0));      // no kind, no record
    EXPECT_FALSE(vxDiagObject::shouldRecord(in, in | out)); // a combined kind needs both
    EXPECT_TRUE(vxDiagObject::shouldRecord(in | out, in | out));
    static_assert(vxDiagObject::shouldRecord(0x20000, 0x20000)); // usable at compile time
}

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

TEST(DiagObject, BadLevelsAndIndicesThrowAndChangeNothing) {
    vxDiagObject diag;
    diag.level(2);
    EXPECT_THROW(vxDiagRecord(-1), vxDiagDefs::BadLevel);
    diag.newDiagRecord();
    EXPECT_THROW(diag.diagRecord(1), vxDiagDefs::BadIndex);
    EXPECT_THROW(static_cast<const vxDiagObject&>(diag).diagRecord(-1), vxDiagDefs::BadIndex);
    EXPECT_EQ(diag.numRecords(), 1);
    try {
        diag.level(-5);
        FAIL();
    } catch (const vxDiagDefs::Errors& e) { // every diagnostics error shares the base
        EXPECT_NE(dynamic_cast<const vxDiagDefs::BadLevel*>(&e), nullptr);
        EXPECT_EQ(e.errorNumber(), 0x10000082);
    }
    EXPECT_EQ(diag.level(), 2);

    // Without a diagnostics object nothing is recorded, nor even checked.
    EXPECT_EQ(vf_AddImage(nullptr, Buffer(4, 3), L"t", true), nullptr);
    EXPECT_EQ(vf_AddText(nullptr, L"text", L"t"), nullptr);
    EXPECT_EQ(vf_AddGraphics(nullptr, oneLine(vxColor::red), L"t", 7), nullptr);
}

TEST(DiagObject, AddImageCopiesOrShares) {
    Buffer root(vxPelRect(0, 0, 12, 12));
    Buffer image = root;
    image.window(vxPelRect(5, 6, 4, 3), false);
    vfPelSet(image, 10);
    image.clientFromImageXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(100, 200)));
    vxDiagObject diag;
    vxDiagRecord* copied = vf_AddImage(&diag, image, L"copied", true);
    vxDiagRecord* shared = vf_AddImage(&diag, image, L"shared", false);
    ASSERT_EQ(copied, &diag.diagRecord(0));
    ASSERT_EQ(shared, &diag.diagRecord(1));

    *image.pointToPel(6, 7) = 99;
    EXPECT_EQ(*copied->image().pointToPel(6, 7), 10);
    EXPECT_EQ(*shared->image().pointToPel(6, 7), 99);
    // The copy holds only the window, at its position and with its transform.
    EXPECT_EQ(copied->image().rootWindow(), vxPelRect(5, 6, 4, 3));
    for (const vxDiagRecord* r : {copied, shared}) {
        EXPECT_TRUE(r->hasImage());
        EXPECT_EQ(r->image().window(), vxPelRect(5, 6, 4, 3));
        EXPECT_EQ(r->image().clientFromImageXform(), image.clientFromImageXform());
    }
    EXPECT_EQ(copied->annotation(), L"copied");
    EXPECT_EQ(copied->numTexts() + copied->numGraphics(), 0);

    // An unbound image gives a record without an image; a record's image can be removed.
    for (bool copy : {true, false}) {
        vxDiagRecord* r = vf_AddImage(&diag, ConstBuffer(), L"none", copy);
        ASSERT_NE(r, nullptr);
        EXPECT_FALSE(r->hasImage());
        EXPECT_EQ(r->annotation(), L"none");
    }
    EXPECT_EQ(diag.numRecords(), 4);
    shared->image(ConstBuffer());
    EXPECT_FALSE(shared->hasImage());
}

TEST(DiagObject, TextAndGraphicsHelpers) {
    vxDiagObject diag;
    vxDiagRecord* t = vf_AddText(&diag, L"line 1\nline 2\n", L"Result details");
    ASSERT_EQ(t->numTexts(), 1);
    EXPECT_EQ(t->textAnnotation(0).name, L"Result details");
    EXPECT_EQ(t->textAnnotation(0).text, L"line 1\nline 2\n");
    EXPECT_FALSE(t->hasImage());

    vxDiagRecord* g = vf_AddGraphics(&diag, oneLine(vxColor::blue), L"Character 'A' Result #0");
    ASSERT_EQ(g->numGraphics(), 1);
    EXPECT_EQ(g->graphicsAnnotation(0).name, L"Character 'A' Result #0");
    EXPECT_EQ(g->graphicsAnnotation(0).graphics, oneLine(vxColor::blue));
    EXPECT_EQ(g->graphicsAnnotation(0).coordinateSystem, vxDiagRecord::eClientCoordinates);

    vxDiagRecord* i = vf_AddGraphics(&diag, oneLine(vxColor::red), L"img", 1);
    EXPECT_EQ(i->graphicsAnnotation(0).coordinateSystem, vxDiagRecord::eImageCoordinates);
    // A bad coordinate system adds no record.
    EXPECT_THROW(vf_AddGraphics(&diag, oneLine(vxColor::red), L"bad", 0), vxDiagDefs::BadArgument);
    EXPECT_EQ(diag.numRecords(), 3);
}

TEST(DiagRecord, AnnotationsKeepTheirOrder) {
    vxDiagRecord r(2);
    r.recordAnnotation(L"old");
    r.recordAnnotation(L"Details for line #0");
    r.text(L"a text", L"Details");
    r.graphics(oneLine(vxColor::green), L"Graphics", vxDiagRecord::eImageCoordinates);
    r.text(L"b text", L"More");
    r.graphics(oneLine(vxColor::orange), L"Client");
    r.text(L"", L"Details"); // names need not be unique

    EXPECT_EQ(r.annotation(), L"Details for line #0");
    ASSERT_EQ(r.numTexts(), 3);
    EXPECT_EQ(r.texts()[0], (vxDiagRecord::TextAnnotation{L"Details", L"a text"}));
    EXPECT_EQ(r.texts()[1], (vxDiagRecord::TextAnnotation{L"More", L"b text"}));
    EXPECT_EQ(r.texts()[2], (vxDiagRecord::TextAnnotation{L"Details", L""}));
    ASSERT_EQ(r.numGraphics(), 2);
    EXPECT_EQ(r.graphicsAnnotation(0).name, L"Graphics");
    EXPECT_EQ(r.graphicsAnnotation(1).name, L"Client");
    EXPECT_EQ(r.graphicsAnnotation(1).coordinateSystem, 2);

    EXPECT_THROW(r.graphics(oneLine(vxColor::red), L"x", 3), vxDiagDefs::BadArgument);
    EXPECT_EQ(r.numGraphics(), 2);
    EXPECT_THROW(r.textAnnotation(3), vxDiagDefs::BadIndex);
    EXPECT_THROW(r.graphicsAnnotation(-1), vxDiagDefs::BadIndex);
}
