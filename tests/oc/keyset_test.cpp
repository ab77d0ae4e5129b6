// Key set: wild cards, current indices, confusion overrides, construction from an
// alphabet, equality and archive versions.
#include "oc_test_support.h"
#include "vxOCAlphabet.h"
#include "vxOCKeySet.h"

#include <gtest/gtest.h>

namespace {

using oc_test::expectThrows;
using Keys = std::vector<long>;
using BadKey = vxOCDefs::BadKey;
using BadIndex = vxOCDefs::BadIndex;
const wchar_t* const kBadIndices =
    L"At least one of the current key indices is not valid for specified set of possible keys.";
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

TEST(KeySet, FailedChangesLeaveTheSetAsItWas) {
    expectThrows<vxOCDefs::SameKey>(
        [] {
            vxOCKeySet({1, 1}, -7);
        },
        L"Possible keys for a character position must be unique.");
    expectThrows<BadIndex>([] { vxOCKeySet({1, 2}, -2); }, kBadIndices);
    expectThrows<BadIndex>([] { vxOCKeySet({1, 2}, 2); }, kBadIndices);

    vxOCKeySet set({5, 6, 7}, 2);
    set.confusionOverrides(5, {6});
    const vxOCKeySet before = set;
    EXPECT_THROW(set.keys({1, 2, 1}), vxOCDefs::SameKey);
    expectThrows<BadIndex>([&] { set.keys({1, 2}); }, kBadIndices);
    expectThrows<BadIndex>([&] { set.currentKeyIndices({0, 0}); }, L"Key indices must be unique.");
    expectThrows<BadIndex>([&] { set.currentKeyIndices({0, 3}); }, kBadIndices);
    EXPECT_THROW(set.currentKeyIndex(-2), BadIndex);
    EXPECT_EQ(set, before);

    set.keys({8, 9, 10, 11}); // a new key list drops every override
    EXPECT_EQ(set.currentKey(), 10);
    EXPECT_FALSE(set.hasConfusionOverrides(8));
}

TEST(KeySet, ConfusionOverridesCompareRegardlessOfOrder) {
    vxOCKeySet set({1, 2, 3, 4}, 0);
    expectThrows<BadKey>([&] { set.confusionOverrides(9); },
                         L"The specified key is not a member of the key set.");
    expectThrows<BadKey>([&] { set.removeConfusionOverrides(1); },
                         L"There are no confusion keys overrides for the specified key.");

    set.confusionOverrides(1, {2});
    set.confusionOverrides(2, {1, 3});
    set.confusionOverrides(3, {});
    set.confusionOverrides(1, {4, 99}); // replaces; the list is not checked
    EXPECT_EQ(set.confusionOverrides(1), (Keys{4, 99}));

    vxOCKeySet other({1, 2, 3, 4}, 0);
    other.confusionOverrides(3, {});
    other.confusionOverrides(1, {4, 99});
    other.confusionOverrides(2, {3, 1});
    EXPECT_NE(set, other); // lists compare in order
    other.confusionOverrides(2, {1, 3});
    EXPECT_EQ(set, other);
    other.confusionOverrides(4, {1});
    EXPECT_NE(set, other);
    EXPECT_NE(other, set);

    // Removing the first entry moves the last into its place.
    set.removeConfusionOverrides(1);
    vxOCKeySet expected({1, 2, 3, 4}, 0);
    expected.confusionOverrides(3, {});
    expected.confusionOverrides(2, {1, 3});
    EXPECT_EQ(set, expected);
}

TEST(KeySet, FromAlphabetNames) {
    auto model = [](long key, const wchar_t* name) {
        vxOCModel* m = new vxOCModel;
        m->key(key);
        m->name(name);
        return vxPtrHandle<vxOCModel>(m);
    };
    // Two models named "O" (a letter and a digit drawn alike).
    vxPtrHandle_const<vxOCAlphabet> alphabet(new vxOCAlphabet(
        std::vector{model(1, L"A"), model(2, L"O"), model(3, L"B"), model(4, L"O")}, 0.5, false,
        L""));

    vxOCKeySet set(alphabet, {L"B", L"O"}, L"O");
    EXPECT_EQ(set.keys(), (Keys{3, 2, 4}));
    EXPECT_EQ(set.currentKeyIndices(), (Keys{1, 2}));

    expectThrows<vxOCDefs::SameKey>(
        [&] {
            vxOCKeySet(alphabet, {L"A", L"Z", L"A"}, L"A");
        },
        L"Possible character names for a character position must be unique.");
    expectThrows<BadKey>(
        [&] {
            vxOCKeySet(alphabet, {L"A", L"Z"}, L"A");
        },
        L"At least one of the character names is not found in the supplied alphabet.");
    expectThrows<BadIndex>(
        [&] {
            vxOCKeySet(alphabet, {L"A", L"B"}, L"O");
        },
        L"Current character is not valid for specified set of possible character names.");
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

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        vxOCKeySet target({1}, 0);
        vxArchive in(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
        EXPECT_THROW(in || target, vxArchive::Error);
        EXPECT_EQ(target, vxOCKeySet({1}, 0));
    }
}
