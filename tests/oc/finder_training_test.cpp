// Finder training: keys and occurrences, characters without patterns, rotational
// symmetry.
#include "finder_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace finder_test;
using Peer = vx_OCExtractPeer;
using Sym = vx_OCExtractDefs::Symmetry;

namespace {

std::size_t indexOf(const vx_OCExtractModel& m, long key) {
    const auto& keys = Peer::keys(m);
    return static_cast<std::size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
}

vxPtrHandle_const<vxOCModel> blank(long key) {
    auto* m = new vxOCModel;
    m->key(key);
    return vxPtrHandle_const<vxOCModel>(m);
}

} // namespace

TEST(FinderTraining, DistinctKeysWithOccurrencesAndCharactersWithoutPattern) {
    // 7 has edges all along two directions in this font, so it gets no pattern; a
    // blank and a key the alphabet lacks get none either, and still count as models.
    const auto alphabet = alphabetOf("379", 32.0, {blank(100)});
    vx_OCExtractModel m;
    Peer::train(m, alphabet, {'7', '3', '7', '9', 100, 555});
    EXPECT_EQ(Peer::keys(m), (std::vector<long>{'3', '7', '9', 100, 555}));
    EXPECT_EQ(Peer::occurrences(m), (std::vector<long>{1, 2, 1, 1, 1}));
    EXPECT_EQ(m.numModels(), 5);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(Peer::pattern(m, i) != nullptr, i == 0 || i == 2) << i;
    // Characters without a pattern come last in the search order, by index.
    EXPECT_EQ(Peer::searchOrder(m).size(), 5u);
    EXPECT_EQ(std::vector<long>(Peer::searchOrder(m).begin() + 2, Peer::searchOrder(m).end()),
              (std::vector<long>{1, 3, 4}));

    m.init();
    EXPECT_EQ(m.numModels(), 0);
}

TEST(FinderTraining, SymmetryOfRingAndStrokeGlyphs) {
    // A round ring matches itself at every angle. The stroke O and 0 are ellipses, S
    // nearly and bold N and Z exactly the same after a half turn; F, 4, 6 and 9 are not.
    // H and 7 have too one-sided edges in this font to get a pattern at all, so their
    // symmetry stays undecided (none).
    vxPelBuffer<unsigned char> ring = ringImage(16.0, 4.0, 42);
    const vxPtrHandle_const<vxOCModel> ringModel(
        new vxOCModel(1, ring, ring.window(), vxOCModel::eNormal, L"ring", L""));
    const auto alphabet = alphabetOf(
        "SO0F4697H", 32.0, {ringModel, charModel('N', 32.0, 8.0), charModel('Z', 32.0, 8.0)});
    vx_OCExtractModel m;
    Peer::train(m, alphabet, keysOf("SO0F4697HNZ\x01"));

    const auto expectSymmetry = [&](long key, Sym expected) {
        EXPECT_EQ(Peer::symmetry(m, indexOf(m, key)), expected) << "key " << key;
    };
    expectSymmetry(1, vx_OCExtractDefs::eRotationallySymmetric);
    for (char c : std::string("SO0NZ"))
        expectSymmetry(c, vx_OCExtractDefs::eSymmetric180);
    for (char c : std::string("F4697H"))
        expectSymmetry(c, vx_OCExtractDefs::eNotSymmetric);
    EXPECT_EQ(Peer::pattern(m, indexOf(m, 'H')), nullptr);

    // The half-turn poses turn the model about its image centre; non-symmetric models
    // keep the identity.
    for (char c : std::string("SNZ")) {
        const vxXform<2>& p = Peer::rot180Pose(m, indexOf(m, c));
        const vxPelRect w = alphabet->character(c)->imageArea();
        const vxVector<2> centre(w.x() + 0.5 * w.width(), w.y() + 0.5 * w.height());
        EXPECT_NEAR(std::fabs(vxDegree(p.xRot()).plain()), 180.0, 1.0) << c;
        EXPECT_NEAR(p.xScale(), 1.0, 0.01) << c;
        EXPECT_LT((p.mapPoint(centre) - centre).length(), 0.75) << c;
    }
    EXPECT_TRUE(Peer::rot180Pose(m, indexOf(m, 'F')).isIdentity());
}
