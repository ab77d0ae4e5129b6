// Key set: wild cards, current indices, confusion overrides, construction from an
// alphabet, equality and archive versions.
#include "vxOCAlphabet.h"
#include "vxOCKeySet.h"

#include <gtest/gtest.h>

namespace {

template <class E, class F> void expectError(F f, const wchar_t* message) {
    try {
        f();
        FAIL() << "no exception";
    } catch (const E& e) {
        EXPECT_EQ(e.message(), message);
    }
}

const wchar_t* const kBadIndices =
    L"At least one of the current key indices is not valid for specified set of possible keys.";
const wchar_t* const kNotOne = L"Set of current key indices must contain only one element.";

std::vector<unsigned char> stored(vxOCKeySet set) {
    vxArchive out;
    out || set;
    return out.bytes();
}

vxOCKeySet loaded(const std::vector<unsigned char>& bytes) {
    vxOCKeySet set;
    vxArchive in(bytes);
    in || set;
    return set;
}

} // namespace

TEST(KeySet, WildCards) {
    vxOCKeySet def;
    EXPECT_TRUE(def.isCurrentWildcard());
    EXPECT_EQ(def.currentKeyIndex(), -1);
    expectError<vxOCDefs::BadKey>([&] { def.currentKey(); }, L"Wild-card characters have no key.");
    expectError<vxOCDefs::BadKey>([&] { def.currentKeys(); },
                                  L"Wild-card characters have no key index.");

    // A wild card among several current indices still makes the set a wild card.
    vxOCKeySet mixed({10, 20}, std::vector<long>{-1, 1});
    EXPECT_TRUE(mixed.isCurrentWildcard());
    // currentKey looks at the first index before counting them.
    expectError<vxOCDefs::BadKey>([&] { mixed.currentKey(); },
                                  L"Wild-card characters have no key.");
    vxOCKeySet laterWild({10, 20}, std::vector<long>{1, -1});
    expectError<vxOCDefs::BadParams>([&] { laterWild.currentKey(); }, kNotOne);

    vxOCKeySet none({10, 20}, std::vector<long>{});
    EXPECT_FALSE(none.isCurrentWildcard());
    EXPECT_TRUE(none.currentKeys().empty());
    expectError<vxOCDefs::BadParams>([&] { none.currentKey(); }, kNotOne);
    none.currentKeyIndex(1); // no index yet: setting one is allowed
    EXPECT_EQ(none.currentKey(), 20);
}

TEST(KeySet, KeysAndCurrentIndicesValidateBeforeChanging) {
    expectError<vxOCDefs::SameKey>(
        [] {
            vxOCKeySet({1, 1}, -7);
        },
        L"Possible keys for a character position must be unique.");
    expectError<vxOCDefs::BadIndex>([] { vxOCKeySet({1, 2}, -2); }, kBadIndices);
    expectError<vxOCDefs::BadIndex>([] { vxOCKeySet({1, 2}, 2); }, kBadIndices);

    vxOCKeySet set({5, 6, 7}, 2);
    set.confusionOverrides(5, {6});
    const vxOCKeySet before = set;
    expectError<vxOCDefs::SameKey>(
        [&] {
            set.keys({1, 2, 1});
        },
        L"Possible keys for a character position must be unique.");
    expectError<vxOCDefs::BadIndex>([&] { set.keys({1, 2}); }, kBadIndices);
    expectError<vxOCDefs::BadIndex>(
        [&] {
            set.currentKeyIndices({0, 0});
        },
        L"Key indices must be unique.");
    expectError<vxOCDefs::BadIndex>([&] { set.currentKeyIndices({0, 3}); }, kBadIndices);
    expectError<vxOCDefs::BadIndex>([&] { set.currentKeyIndex(-2); },
                                    L"Current key index is not valid for specified set of "
                                    L"possible keys.");
    EXPECT_EQ(set, before);
    EXPECT_TRUE(set.hasConfusionOverrides(5));

    set.keys({8, 9, 10, 11});
    EXPECT_EQ(set.currentKey(), 10);
    EXPECT_FALSE(set.hasConfusionOverrides(8)); // a new key list drops every override

    set.currentKeyIndices({3, 0});
    EXPECT_EQ(set.currentKeys(), (std::vector<long>{11, 8}));
    expectError<vxOCDefs::BadParams>([&] { set.currentKeyIndex(); }, kNotOne);
    expectError<vxOCDefs::BadParams>([&] { set.currentKeyIndex(0); }, kNotOne);
    expectError<vxOCDefs::BadParams>([&] { set.currentKey(); }, kNotOne);
}

TEST(KeySet, ConfusionOverrides) {
    vxOCKeySet set({1, 2, 3, 4}, 0);
    const wchar_t* notMember = L"The specified key is not a member of the key set.";
    const wchar_t* noOverrides = L"There are no confusion keys overrides for the specified key.";
    expectError<vxOCDefs::BadKey>([&] { set.confusionOverrides(9, {1}); }, notMember);
    expectError<vxOCDefs::BadKey>([&] { set.confusionOverrides(9); }, notMember);
    expectError<vxOCDefs::BadKey>([&] { set.hasConfusionOverrides(9); }, notMember);
    expectError<vxOCDefs::BadKey>([&] { set.removeConfusionOverrides(9); }, notMember);
    expectError<vxOCDefs::BadKey>([&] { set.confusionOverrides(1); }, noOverrides);
    expectError<vxOCDefs::BadKey>([&] { set.removeConfusionOverrides(1); }, noOverrides);

    set.confusionOverrides(1, {2});
    set.confusionOverrides(2, {1, 3});
    set.confusionOverrides(3, {});
    set.confusionOverrides(1, {4, 99}); // replaces; the list is not checked
    EXPECT_EQ(set.confusionOverrides(1), (std::vector<long>{4, 99}));

    // The same overrides added in another order compare equal.
    vxOCKeySet other({1, 2, 3, 4}, 0);
    other.confusionOverrides(3, {});
    other.confusionOverrides(1, {4, 99});
    other.confusionOverrides(2, {1, 3});
    EXPECT_EQ(set, other);
    other.confusionOverrides(2, {3, 1});
    EXPECT_NE(set, other);
    other.confusionOverrides(2, {1, 3});
    other.confusionOverrides(4, {1});
    EXPECT_NE(set, other);
    EXPECT_NE(other, set);

    // Removing the first entry moves the last into its place.
    set.removeConfusionOverrides(1);
    EXPECT_FALSE(set.hasConfusionOverrides(1));
    EXPECT_EQ(set.confusionOverrides(2), (std::vector<long>{1, 3}));
    EXPECT_TRUE(set.confusionOverrides(3).empty());
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
    vxPtrHandle_const<vxOCAlphabet> alphabet(
        new vxOCAlphabet(std::vector<vxPtrHandle<vxOCModel>>{model(1, L"A"), model(2, L"O"),
                                                             model(3, L"B"), model(4, L"O")},
                         0.5, false, L""));

    vxOCKeySet set(alphabet, {L"B", L"O"}, L"O");
    EXPECT_EQ(set.keys(), (std::vector<long>{3, 2, 4}));
    EXPECT_EQ(set.currentKeyIndices(), (std::vector<long>{1, 2}));

    expectError<vxOCDefs::SameKey>(
        [&] {
            vxOCKeySet(alphabet, {L"A", L"Z", L"A"}, L"A");
        },
        L"Possible character names for a character position must be unique.");
    expectError<vxOCDefs::BadKey>(
        [&] {
            vxOCKeySet(alphabet, {L"A", L"Z"}, L"A");
        },
        L"At least one of the character names is not found in the supplied alphabet.");
    expectError<vxOCDefs::BadIndex>(
        [&] {
            vxOCKeySet(alphabet, {L"A", L"B"}, L"O");
        },
        L"Current character is not valid for specified set of possible character names.");
    expectError<vxOCDefs::BadParams>(
        [] { vxOCKeySet(vxPtrHandle_const<vxOCAlphabet>(), {L"A"}, L"A"); },
        L"Alphabet must point to a valid object.");
}

TEST(KeySet, ArchiveVersionsAndCorruption) {
    vxOCKeySet set({7, -3, 12}, std::vector<long>{2, 0});
    set.confusionOverrides(-3, {7, 12});
    set.confusionOverrides(12, {});
    const std::vector<unsigned char> bytes = stored(set);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(loaded(bytes), set);
    EXPECT_EQ(loaded(stored(vxOCKeySet())), vxOCKeySet());

    // Older versions, written field by field as their writers did.
    auto old = [](unsigned char version, std::vector<long> keys, auto current) {
        vxArchive out;
        out || version || keys || current;
        return out.bytes();
    };
    EXPECT_EQ(loaded(old(1, {4, 5}, std::vector<long>{1, 0})),
              vxOCKeySet({4, 5}, std::vector<long>{1, 0}));
    EXPECT_EQ(loaded(old(0, {4, 5}, -1L)), vxOCKeySet({4, 5}, -1));
    EXPECT_THROW(loaded(old(3, {4, 5}, -1L)), vxArchive::UnknownVersion);

    // Invariants are checked on load: an index past the keys, repeated keys.
    EXPECT_THROW(loaded(old(0, {4, 5}, 2L)), vxArchive::BadData);
    EXPECT_THROW(loaded(old(1, {4, 4}, std::vector<long>{0})), vxArchive::BadData);
    EXPECT_THROW(loaded(old(1, {4, 5}, std::vector<long>{1, 1})), vxArchive::BadData);
    // An override for a key that is not possible.
    {
        vxArchive out;
        unsigned char version = 2;
        std::vector<long> keys{4, 5}, current{0}, overrideKeys{6};
        std::vector<std::vector<long>> overrides{{4}};
        out || version || keys || current || overrideKeys || overrides;
        EXPECT_THROW(loaded(out.bytes()), vxArchive::BadData);
    }

    // Every truncation throws and leaves the target as it was.
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        vxOCKeySet target({1}, 0);
        vxArchive in(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
        EXPECT_THROW(in || target, vxArchive::Error);
        EXPECT_EQ(target, vxOCKeySet({1}, 0));
    }
}
