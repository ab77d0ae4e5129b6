// Alphabet compilation: confusion of rendered characters, pairs that cannot be
// measured, and stop requests.
#include "oc_test_support.h"
#include "vxAttention.h"
#include "vxOCAlphabet.h"
#include "vxTestScene.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Handle = vxPtrHandle_const<vxOCModel>;

using oc_test::glyphModel; // about 32 x 52 pixels

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

TEST(Compile, StopRequestsLeaveTheAlphabetAsItWas) {
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
}
