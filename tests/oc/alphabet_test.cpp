// Alphabet: editing with unchanged state on failure, removal keeping the confusion
// data valid, confusable pairs, archive round trips, version 0 and damaged archives.
#include "oc_test_support.h"
#include "vxOCAlphabet.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Handle = vxPtrHandle_const<vxOCModel>;

// A normal character with a 10 x 12 image of random blobs chosen by `key`, so that
// different keys give different (and not symmetric) confusions.
Handle model(long key, long width = 10) {
    vxPelBuffer<unsigned char> img(vxPelRect(0, 0, width, 12));
    std::mt19937 gen(static_cast<unsigned>(key));
    for (long y = 0; y < 12; ++y)
        for (long x = 0; x < width; ++x)
            *img.pointToPel(x, y) = static_cast<unsigned char>(gen() % 4 ? 200 : 30);
    return Handle(new vxOCModel(key, img, img.window(), vxOCModel::eNormal,
                                L"c" + std::to_wstring(key), L""));
}

Handle blank(long key, const vxPelRect& area = vxPelRect()) {
    auto* m = new vxOCModel;
    m->key(key);
    m->imageArea(area);
    return Handle(m);
}

using oc_test::expectThrows;
std::vector<unsigned char> stored(vxOCAlphabet& a) {
    vxArchive ar;
    ar || a;
    return ar.bytes();
}

void load(const std::vector<unsigned char>& bytes, vxOCAlphabet& a) {
    vxArchive ar(bytes);
    ar || a;
}

// Every confusion and offset of two compiled alphabets with the same keys, exactly.
void expectSameConfusionData(vxOCAlphabet& a, vxOCAlphabet& b) {
    ASSERT_TRUE(a.isCompiled() && b.isCompiled());
    for (const Handle& x : a.characters())
        for (const Handle& y : a.characters()) {
            EXPECT_EQ(a.confusion(x->key(), y->key()), b.confusion(x->key(), y->key()));
            EXPECT_EQ(a.characterOffset(x->key(), y->key()), b.characterOffset(x->key(), y->key()));
        }
}

} // namespace

TEST(Alphabet, EditingValidatesBeforeChanging) {
    // A default alphabet is compiled, so a missing key is what is reported.
    EXPECT_THROW(vxOCAlphabet().confusion(-1, -1), vxOCDefs::BadKey);
    vxOCAlphabet a({model(1), model(2)}, 0.5, true, L"abc");
    const vxOCAlphabet before = a;
    const wchar_t* present = L"At least one of the supplied characters has the same key as one "
                             L"of the characters in the alphabet.";
    const wchar_t* twice = L"The keys for at least two of the supplied characters are identical.";
    // The presence test runs before the duplicate test.
    expectThrows<vxOCDefs::SameKey>([&] { a.add({model(2), model(3), model(3)}); }, present);
    expectThrows<vxOCDefs::SameKey>([&] { a.add({model(3), model(3)}); }, twice);
    expectThrows<vxOCDefs::SameKey>([&] { a.characters({model(4), model(4)}); }, twice);
    EXPECT_THROW(a.remove({1, 9}), vxOCDefs::BadKey);
    EXPECT_THROW(a.remove({1, 1}), vxOCDefs::SameKey);
    expectThrows<vxOCDefs::BadParams>([&] { a.confusionThreshold(1.0000001); },
                                      L"Confusion threshold must be between 0 and 1.");
    EXPECT_THROW(a.add(Handle()), vxOCDefs::BadParams);
    EXPECT_EQ(a, before);
    EXPECT_TRUE(a.isCompiled());

    a.confusionThreshold(1.0);
    a.confusionThreshold(0.3, true);
    EXPECT_EQ(a.confusionThreshold(), 0.3);
    EXPECT_TRUE(a.isCompiled());  // the threshold applies at query time
    a.add(std::vector<Handle>{}); // even an empty add invalidates the confusion data
    EXPECT_FALSE(a.isCompiled());
    EXPECT_THROW(a.confusion(1, 2), vxOCDefs::NotCompiled);
}

TEST(Alphabet, RemovalMovesTheLastCharacterAndKeepsConfusionData) {
    vxOCAlphabet a({model(1), model(2), model(3), model(4)}, 0.5, true, L"");
    vxOCAlphabet reference = a;
    a.remove(1); // 4 takes 1's place
    ASSERT_EQ(a.numChars(), 3);
    EXPECT_EQ(a.characterIndex(4), 0);
    EXPECT_EQ(a.characterIndex(3), 2);
    EXPECT_TRUE(a.isCompiled());
    for (long x : {2, 3, 4})
        for (long y : {2, 3, 4}) {
            EXPECT_EQ(a.confusion(x, y), reference.confusion(x, y)) << x << " " << y;
            EXPECT_EQ(a.characterOffset(x, y), reference.characterOffset(x, y));
        }
    a.remove({3, 4});
    EXPECT_EQ(a.characterOffset(2, 2), reference.characterOffset(2, 2));
}

TEST(Alphabet, ConfusableAboveThresholdOrAboveZeroForBlanks) {
    // With five normal characters the blank's reference is the mean of the two lowest
    // structure scores over its area, so exactly one character falls below it.
    const std::vector<long> normal{1, 2, 4, 5, 6};
    std::vector<Handle> models;
    for (long key : normal)
        models.push_back(model(key));
    models.push_back(blank(3, vxPelRect(0, 0, 10, 12)));
    vxOCAlphabet a(models, 0.5, true, L"");
    const double c12 = a.confusion(1, 2);
    ASSERT_GT(c12, 0.0);
    a.confusionThreshold(c12);
    EXPECT_FALSE(a.areConfusable(1, 2)); // equal to the threshold is not above it
    a.confusionThreshold(std::nextafter(c12, 0.0));
    EXPECT_TRUE(a.areConfusable(1, 2));
    EXPECT_FALSE(a.areConfusable(1, 3)); // a blank is never found in a normal character
    EXPECT_EQ(a.confusion(1, 3), 0.0);
    EXPECT_EQ(a.confusion(3, 3), 1.0);
    // A blank uses threshold 0, not the alphabet's: at 1.0 nothing else can be above it.
    a.confusionThreshold(1.0);
    int confusable = 0;
    for (long key : normal) {
        EXPECT_EQ(a.areConfusable(3, key), a.confusion(3, key) > 0.0) << key;
        confusable += a.areConfusable(3, key);
    }
    EXPECT_EQ(confusable, 1);
    EXPECT_THROW(a.areConfusable(9, 1), vxOCDefs::BadKey);
    EXPECT_THROW(a.areConfusable(1, 9), vxOCDefs::BadKey);
}

TEST(AlphabetArchive, CompiledAlphabetRoundTripsAndVersionZeroCompilesOnLoad) {
    vxOCAlphabet a({model(1), model(2, 12), blank(3)}, 0.25, true, L"old");
    std::vector<unsigned char> bytes = stored(a);
    vxOCAlphabet loaded;
    load(bytes, loaded);
    EXPECT_EQ(loaded, a);
    expectSameConfusionData(loaded, a);

    // Version 0 ends after the compiled flag: cut the matrix and the offsets table.
    vxNMMatrix matrix(3, 3);
    vxOCAlphabet::OffsetTable offsets(3, std::vector<vxXform<2>>(3));
    vxArchive tail;
    tail || matrix || offsets;
    bytes.resize(bytes.size() - tail.bytes().size());
    bytes[0] = 0;
    load(bytes, loaded);
    EXPECT_TRUE(loaded.isCompiled());
    EXPECT_EQ(loaded, a);
    expectSameConfusionData(loaded, a);

    bytes.back() = 0; // the flag says not compiled
    load(bytes, loaded);
    EXPECT_FALSE(loaded.isCompiled());
    EXPECT_EQ(loaded.numChars(), 3);
}

TEST(AlphabetArchive, DamagedArchivesThrowAndLeaveTheTargetAlone) {
    vxOCAlphabet a({model(1, 4), model(2, 4)}, 0.5, true, L"n");
    const std::vector<unsigned char> bytes = stored(a);
    vxOCAlphabet target({model(7)}, 0.5, false, L"target");
    const std::vector<unsigned char> targetBytes = stored(target);
    for (size_t n = 0; n < bytes.size(); n += 5)
        EXPECT_THROW(load({bytes.begin(), bytes.begin() + n}, target), vxArchive::Error) << n;
    std::vector<unsigned char> newer = bytes;
    newer[0] = 2;
    EXPECT_THROW(load(newer, target), vxArchive::UnknownVersion);
    EXPECT_TRUE(stored(target) == targetBytes); // confusion data included
}
