// Lines and line arrangements: validation order, current-key changes and archives.
#include "oc_test_support.h"
#include "vxOCLine.h"

#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using oc_test::expectThrows;
using Alphabet = vxPtrHandle_const<vxOCAlphabet>;
using Line = vxPtrHandle_const<vxOCLine>;
using Lines = std::vector<Line>;
using Poses = std::vector<vx2Rigid>;
using Reals = std::vector<double>;
using Angles = std::vector<vxRadian>;
using BadParams = vxOCDefs::BadParams;
const vxRadian r0(0);

// A normal model over a 40 x 40 image, or a blank for a null area.
vxPtrHandle_const<vxOCModel> model(long key, const wchar_t* name, vxPelRect area) {
    vxPelBuffer<unsigned char> image;
    if (!area.isNull()) vfPelSet(image = vxPelBuffer<unsigned char>(vxPelRect(0, 0, 40, 40)), 9);
    return vxPtrHandle_const<vxOCModel>(new vxOCModel(
        key, image, area, area.isNull() ? vxOCModel::eBlank : vxOCModel::eNormal, name, L""));
}

// Keys 1 "A" (10 x 10 at (30, 30)), 2 "B" (20 x 30 at the origin), 3 "O" (a blank),
// 4 "O" (4 x 4), compiled with a chosen matrix: A is confusable with B (0.9 is above
// the threshold 0.5), B is not with A (0.1).
Alphabet alphabet() {
    std::vector<vxPtrHandle_const<vxOCModel>> models{
        model(1, L"A", vxPelRect(30, 30, 10, 10)), model(2, L"B", vxPelRect(0, 0, 20, 30)),
        model(3, L"O", vxPelRect()), model(4, L"O", vxPelRect(0, 0, 4, 4))};
    vxNMMatrix confusion(4, 4, 0.0);
    for (long i = 0; i < 4; ++i)
        confusion(i, i) = 1.0;
    confusion(0, 1) = 0.9;
    confusion(1, 0) = 0.1;
    std::vector<std::vector<vxXform<2>>> offsets(4, std::vector<vxXform<2>>(4));
    unsigned char version = 1;
    std::wstring name = L"letters";
    double threshold = 0.5;
    bool compiled = true;
    vxArchive out;
    out || version || name || threshold || models || compiled || confusion || offsets;
    vxOCAlphabet* a = new vxOCAlphabet;
    Alphabet handle(a);
    vxArchive in(out.bytes());
    in || *a;
    return handle;
}

vxOCKeySet current(long key) {
    return vxOCKeySet({1, 2, 3, 4}, key - 1);
}

vxOCLine oneChar(long key, vxVector<2> at, double scale = 1, double translationUncertainty = 0) {
    return vxOCLine({current(key)}, alphabet(), Poses{vx2Rigid(at, r0)}, Reals{scale},
                    Reals{translationUncertainty}, Angles(1), Reals(1), L"");
}

} // namespace

TEST(Line, ConstructionValidatesInOrder) {
    const Alphabet a = alphabet();
    const std::vector<vxOCKeySet> sets{current(1), vxOCKeySet(), current(2)};
    const Poses poses(3), onePose(1);
    const vxRadian neg(-0.1);
    const Reals ones(3, 1.0), zeros(3, 0.0);

    expectThrows<BadParams>([&] { vxOCLine(sets, Alphabet(), onePose, 0.0, -1, neg, -1, L""); },
                            L"Alphabet must point to a valid object.");
    expectThrows<BadParams>([&] { vxOCLine(sets, a, onePose, 0.0, -1, neg, -1, L""); },
                            L"Number of character poses does not match the number of key sets.");
    expectThrows<BadParams>(
        [&] { vxOCLine(sets, a, poses, Reals{1}, Reals{}, Angles{}, zeros, L""); },
        L"Number of character scales does not match the number of key sets.");
    // Explicit poses name the values their own way; NaN is not a valid uncertainty.
    expectThrows<BadParams>([&] { vxOCLine(sets, a, poses, 1.0, -1, r0, 0, L""); },
                            L"Character position uncertainty must be >= 0");
    expectThrows<BadParams>([&] { vxOCLine(sets, a, poses, 1.0, 0, r0, std::nan(""), L""); },
                            L"Character scale uncertainty must be >= 0");

    // Per position, all four checks of a position come before the next position.
    Angles rotation2(3);
    rotation2[2] = neg;
    Reals scale1 = ones, translation2 = zeros;
    scale1[1] = 0.0;
    translation2[2] = -1.0;
    expectThrows<BadParams>([&] { vxOCLine(sets, a, poses, scale1, zeros, rotation2, zeros, L""); },
                            L"Character scale factors must be > 0");
    expectThrows<BadParams>(
        [&] { vxOCLine(sets, a, poses, ones, translation2, rotation2, zeros, L""); },
        L"Character translation uncertainties must be >= 0");
    expectThrows<BadParams>([&] { vxOCLine(sets, a, poses, ones, zeros, rotation2, zeros, L""); },
                            L"Character rotation uncertainties must be >= 0");

    // Keys come last; a possible key that is not current counts too.
    const std::vector<vxOCKeySet> foreign{vxOCKeySet({1, 9}, 0)};
    EXPECT_THROW(vxOCLine(foreign, a, vx2Rigid(), 0.0, 0, r0, 0, L""), BadParams);
    expectThrows<vxOCDefs::BadKey>(
        [&] { vxOCLine(foreign, a, vx2Rigid(), 1.0, 0, r0, 0, L""); },
        L"A key in the set sequence is not available in the supplied alphabet.");

    const vx2Rigid step(vxVector<2>(12, 1), vxRadian(0.1));
    const vxOCLine stepped(sets, a, step, 1.5, 0.0, r0, 0.0, L"stepped");
    EXPECT_EQ(stepped.charPoses(), (Poses{vx2Rigid(), step, step * step}));
}

TEST(LineArrangement, ChangeCurrentKeysLeavesInputUntouched) {
    const Line line(new vxOCLine({current(1), vxOCKeySet({1, 2, 3, 4}, -1)}, alphabet(), vx2Rigid(),
                                 1.0, 0.0, r0, 0.0, L"line"));
    const Line other(new vxOCLine(oneChar(2, vxVector<2>(0, 0))));
    const vxOCLineArrangement arrangement(Lines{other, line}, vx2Rigid(), 1.0, r0, L"arr");
    const vxOCLineArrangement before(arrangement);
    const vxOCLine lineBefore(*line);

    const auto wild = vfOCChangeCurrentKey(arrangement, 1, 0);
    EXPECT_TRUE(wild->lines()[1]->isWildcard(0));
    EXPECT_EQ(wild->lines()[0].get(), other.get()); // shared, not copied
    EXPECT_EQ(vfOCChangeCurrentKey(arrangement, 1, 1, 2)->lines()[1]->character(1)->key(), 2);
    auto keysAt = [](const vxPtrHandle<vxOCLineArrangement>& changed) {
        return changed->lines()[1]->keySetSequence()[1].currentKeys();
    };
    EXPECT_EQ(keysAt(vfOCChangeCurrentKeys(arrangement, 1, 1, {4, 1})), (std::vector<long>{4, 1}));
    // Both models named "O", in alphabet order.
    EXPECT_EQ(keysAt(vfOCChangeCurrentKeys(arrangement, 1, 1, L"O")), (std::vector<long>{3, 4}));

    const wchar_t* noKeys = L"At least one of the keys is not found in the alphabet.";
    expectThrows<vxOCDefs::BadKey>([&] { vfOCChangeCurrentKeys(arrangement, 1, 0, L"Z"); }, noKeys);
    expectThrows<vxOCDefs::BadKey>([&] { vfOCChangeCurrentKeys(arrangement, 9, 9, {}); }, noKeys);
    expectThrows<BadParams>([&] { vfOCChangeCurrentKeys(arrangement, 2, 0, L"Z"); },
                            L"The supplied line index is not valid.");
    expectThrows<BadParams>([&] { vfOCChangeCurrentKey(arrangement, 1, 2); },
                            L"The supplied position index is not valid.");
    expectThrows<vxOCDefs::BadKey>([&] { vfOCChangeCurrentKey(arrangement, 0, 0, 9); },
                                   L"The specified key is not in the keySet for this position.");

    EXPECT_EQ(arrangement, before);
    EXPECT_EQ(*line, lineBefore);
    EXPECT_EQ(arrangement.lines()[1].get(), line.get());
}

TEST(LineArrangement, ArchiveSharesAlphabetAndLinesAndRejectsCorruption) {
    const Alphabet a = alphabet();
    const Line first(new vxOCLine({current(1), vxOCKeySet()}, a,
                                  vx2Rigid(vxVector<2>(11, 0.5), vxRadian(0.01)), 1.25, 0.5,
                                  vxRadian(0.02), 0.03, L"first"));
    const Line second(new vxOCLine({current(4)}, a, Poses{vx2Rigid(vxRadian(0.3))}, 0.75, 0.0, r0,
                                   0.0, L"second"));
    vxPtrHandle<vxOCLineArrangement> arrangement(new vxOCLineArrangement(
        Lines{first, second, first}, Poses(3), Reals{1, 2, 3}, Angles(3, vxRadian(0.1)), L"arr"));
    auto stored = [](auto object) {
        vxArchive out;
        out || object;
        return out.bytes();
    };
    const std::vector<unsigned char> bytes = stored(arrangement);
    vxPtrHandle<vxOCLineArrangement> back;
    {
        vxArchive in(bytes);
        in || back;
    }
    EXPECT_EQ(*back, *arrangement);
    EXPECT_EQ(back->lines()[0].get(), back->lines()[2].get());
    EXPECT_EQ(back->lines()[0]->alphabet().get(), back->lines()[1]->alphabet().get());
    // The alphabet (three 40 x 40 images) is stored once.
    const vxPtrHandle<vxOCLineArrangement> single(
        new vxOCLineArrangement(Lines{first}, vx2Rigid(), 0.0, r0, L""));
    EXPECT_LT(bytes.size(), stored(single).size() + 1000);

    // A line whose counts disagree or that has no alphabet is corrupt.
    auto storedLine = [&](unsigned char version, Alphabet alphabet, Reals scales) {
        vxArchive ar;
        std::vector<vxOCKeySet> sets{current(1)};
        Poses poses(1);
        Reals zeros{0.0};
        Angles angles(1);
        std::wstring name;
        ar || version || sets || alphabet || poses || scales || zeros || angles || zeros || name;
        return ar.bytes();
    };
    vxOCLine target = *second;
    auto load = [&](const std::vector<unsigned char>& in) {
        vxArchive ar(in);
        ar || target;
    };
    EXPECT_THROW(load(storedLine(0, a, {1.0, 1.0})), vxArchive::BadData);
    EXPECT_THROW(load(storedLine(0, Alphabet(), {1.0})), vxArchive::BadData);
    EXPECT_THROW(load(storedLine(1, a, {1.0})), vxArchive::UnknownVersion);
    EXPECT_EQ(target, *second);
    load(storedLine(0, a, {1.0}));
    EXPECT_EQ(target.keySetSequence(), std::vector<vxOCKeySet>{current(1)});

}
