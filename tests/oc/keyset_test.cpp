// Key set: wild cards, current indices and archive versions.
#include "oc_test_support.h"
#include "vxOCAlphabet.h"
#include "vxOCKeySet.h"

#include <gtest/gtest.h>

namespace {

using oc_test::expectThrows;
using Keys = std::vector<long>;
using BadKey = vxOCDefs::BadKey;
using BadIndex = vxOCDefs::BadIndex;
const wchar_t* const kNotOne = L"Set of current key indices must contain only one element.";

vxOCKeySet loaded(const std::vector<unsigned char>& bytes) {
    vxOCKeySet set;
    vxArchive in(bytes);
    in || set;
    return set;
}

} // namespace

TEST(KeySet, WildCardsAndCurrentIndices) {
    vxOCKeySet def;
    EXPECT_TRUE(def.isCurrentWildcard());
    EXPECT_EQ(def.currentKeyIndex(), -1);
    expectThrows<BadKey>([&] { def.currentKey(); }, L"Wild-card characters have no key.");
    expectThrows<BadKey>([&] { def.currentKeys(); }, L"Wild-card characters have no key index.");

    // Any -1 makes a wild card; currentKey looks at the first index before counting.
    EXPECT_TRUE(vxOCKeySet({10, 20}, Keys{1, -1}).isCurrentWildcard());
    expectThrows<vxOCDefs::BadParams>(
        [] {
            vxOCKeySet({10, 20}, Keys{1, -1}).currentKey();
        },
        kNotOne);

    vxOCKeySet none({10, 20}, Keys{});
    EXPECT_FALSE(none.isCurrentWildcard());
    EXPECT_TRUE(none.currentKeys().empty());
    none.currentKeyIndex(1);
    EXPECT_EQ(none.currentKey(), 20);

    none.currentKeyIndices({1, 0});
    EXPECT_EQ(none.currentKeys(), (Keys{20, 10}));
    expectThrows<vxOCDefs::BadParams>([&] { none.currentKeyIndex(0); }, kNotOne);
}

TEST(KeySet, ArchiveVersionsAndCorruption) {
    vxOCKeySet set({7, -3, 12}, Keys{2, 0});
    set.confusionOverrides(-3, {7, 12});
    set.confusionOverrides(12, {});
    vxArchive out;
    out || set;
    const std::vector<unsigned char>& bytes = out.bytes();
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(loaded(bytes), set);

    // Older versions and corrupt records, written field by field.
    auto old = [](unsigned char version, Keys keys, auto current, Keys overrideKeys = {}) {
        vxArchive ar;
        std::vector<Keys> overrides(overrideKeys.size());
        ar || version || keys || current;
        if (version == 2) ar || overrideKeys || overrides;
        return ar.bytes();
    };
    EXPECT_EQ(loaded(old(1, {4, 5}, Keys{1, 0})), vxOCKeySet({4, 5}, Keys{1, 0}));
    EXPECT_EQ(loaded(old(0, {4, 5}, -1L)), vxOCKeySet({4, 5}, -1));
    EXPECT_THROW(loaded(old(3, {4, 5}, -1L)), vxArchive::UnknownVersion);
    EXPECT_THROW(loaded(old(0, {4, 5}, 2L)), vxArchive::BadData);
    EXPECT_THROW(loaded(old(1, {4, 4}, Keys{0})), vxArchive::BadData);
    EXPECT_THROW(loaded(old(1, {4, 5}, Keys{1, 1})), vxArchive::BadData);
    EXPECT_THROW(loaded(old(2, {4, 5}, Keys{0}, {6})), vxArchive::BadData);

}
