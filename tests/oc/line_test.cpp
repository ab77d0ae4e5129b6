// Lines and line arrangements: validation order, queries, enclosing rectangles with
// and without confusable characters, equality, current-key changes and archives.
#include "vxOCLine.h"

#include "vxPelOps.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

template <class E, class F> void expectError(F f, const wchar_t* message) {
    try {
        f();
        FAIL() << "no exception";
    } catch (const E& e) {
        EXPECT_EQ(e.message(), message);
    }
}

using Alphabet = vxPtrHandle_const<vxOCAlphabet>;
using Models = std::vector<vxPtrHandle_const<vxOCModel>>;

vxPtrHandle_const<vxOCModel> normal(long key, const wchar_t* name, vxPelRect area) {
    vxPelBuffer<unsigned char> image(vxPelRect(0, 0, 40, 40));
    vfPelSet(image, static_cast<unsigned char>(key));
    return vxPtrHandle_const<vxOCModel>(
        new vxOCModel(key, image, area, vxOCModel::eNormal, name, L""));
}

vxPtrHandle_const<vxOCModel> blank(long key, const wchar_t* name) {
    vxOCModel* m = new vxOCModel;
    m->key(key);
    m->name(name);
    return vxPtrHandle_const<vxOCModel>(m);
}

// Keys 1 "A" (area 10 x 10 at (30, 30)), 2 "B" (20 x 30 at the origin), 3 "O" (a
// blank), 4 "O" (4 x 4). Compiled with a chosen matrix: A is confusable with B (0.9
// above the threshold 0.5), B is not with A (0.1).
Alphabet alphabet() {
    Models models{normal(1, L"A", vxPelRect(30, 30, 10, 10)),
                  normal(2, L"B", vxPelRect(0, 0, 20, 30)), blank(3, L"O"),
                  normal(4, L"O", vxPelRect(0, 0, 4, 4))};
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

vxOCLine oneCharLine(long key, vxVector<2> at, double scale, double translationUncertainty) {
    return vxOCLine({current(key)}, alphabet(), std::vector<vx2Rigid>{vx2Rigid(at, vxRadian(0))},
                    std::vector<double>{scale}, std::vector<double>{translationUncertainty},
                    std::vector<vxRadian>(1), std::vector<double>(1), L"");
}

void expectRect(const vxRect& r, double x, double y, double w, double h) {
    EXPECT_NEAR(r.x(), x, 1e-9);
    EXPECT_NEAR(r.y(), y, 1e-9);
    EXPECT_NEAR(r.width(), w, 1e-9);
    EXPECT_NEAR(r.height(), h, 1e-9);
}

const vxXform<2> kId;

} // namespace

TEST(Line, ConstructionValidatesInOrder) {
    const Alphabet a = alphabet();
    const std::vector<vxOCKeySet> sets{current(1), vxOCKeySet(), current(2)};
    const std::vector<vx2Rigid> poses(3), poses1(1);
    const vxRadian r0(0), neg(-0.1);
    const std::vector<double> ones(3, 1.0), zeros(3, 0.0);
    const std::vector<vxRadian> angles(3);
    using BP = vxOCDefs::BadParams;

    expectError<BP>([&] { vxOCLine(sets, Alphabet(), poses1, 0.0, -1, neg, -1, L""); },
                    L"Alphabet must point to a valid object.");
    expectError<BP>([&] { vxOCLine(sets, a, poses1, 0.0, -1, neg, -1, L""); },
                    L"Number of character poses does not match the number of key sets.");
    expectError<BP>([&] { vxOCLine(sets, a, poses, {1.0}, {0.0}, angles, zeros, L""); },
                    L"Number of character scales does not match the number of key sets.");
    expectError<BP>([&] { vxOCLine(sets, a, poses, ones, zeros, angles, {0.0}, L""); },
                    L"Number of scale uncertainties does not match the number of key sets.");

    // The shared-value constructors name the values differently.
    expectError<BP>([&] { vxOCLine(sets, a, vx2Rigid(), 0.0, 0, r0, 0, L""); },
                    L"Character scale factors must be > 0");
    expectError<BP>([&] { vxOCLine(sets, a, vx2Rigid(), 1.0, -1, r0, 0, L""); },
                    L"Character translation uncertainty must be >= 0");
    expectError<BP>([&] { vxOCLine(sets, a, poses, 1.0, -1, r0, 0, L""); },
                    L"Character position uncertainty must be >= 0");
    expectError<BP>([&] { vxOCLine(sets, a, poses, 1.0, 0, neg, 0, L""); },
                    L"Character angular uncertainty must be >= 0");
    expectError<BP>([&] { vxOCLine(sets, a, poses, 1.0, 0, r0, std::nan(""), L""); },
                    L"Character scale uncertainty must be >= 0");

    // Per position: all four checks of a position before the next position.
    std::vector<vxRadian> rot2 = angles;
    rot2[2] = neg;
    std::vector<double> scale1 = ones;
    scale1[1] = 0.0;
    std::vector<double> trans2 = zeros;
    trans2[2] = -1.0;
    expectError<BP>([&] { vxOCLine(sets, a, poses, scale1, zeros, rot2, zeros, L""); },
                    L"Character scale factors must be > 0");
    expectError<BP>([&] { vxOCLine(sets, a, poses, ones, trans2, rot2, zeros, L""); },
                    L"Character translation uncertainties must be >= 0");
    expectError<BP>([&] { vxOCLine(sets, a, poses, ones, zeros, rot2, zeros, L""); },
                    L"Character rotation uncertainties must be >= 0");

    // Keys come last; a possible key that is not current counts too.
    const std::vector<vxOCKeySet> foreign{vxOCKeySet({1, 9}, 0)};
    expectError<BP>([&] { vxOCLine(foreign, a, vx2Rigid(), 0.0, 0, r0, 0, L""); },
                    L"Character scale factors must be > 0");
    expectError<vxOCDefs::BadKey>(
        [&] { vxOCLine(foreign, a, vx2Rigid(), 1.0, 0, r0, 0, L""); },
        L"A key in the set sequence is not available in the supplied alphabet.");

    // Characters follow each other by the step.
    const vx2Rigid step(vxVector<2>(12, 1), vxRadian(0.1));
    const vxOCLine stepped(sets, a, step, 1.5, 0.0, r0, 0.0, L"stepped");
    ASSERT_EQ(stepped.numPositions(), 3);
    EXPECT_EQ(stepped.charPoses()[0], vx2Rigid());
    EXPECT_EQ(stepped.charPoses()[1], step);
    EXPECT_EQ(stepped.charPoses()[2], step * step);
    EXPECT_EQ(stepped.charScales(), std::vector<double>(3, 1.5));
}

TEST(Line, Queries) {
    const Alphabet a = alphabet();
    // A; a wild card; the blank; blank and 4 both current; no current key.
    const vxOCLine line({current(1), vxOCKeySet({1, 2}, -1), current(3),
                         vxOCKeySet({3, 4}, std::vector<long>{0, 1}),
                         vxOCKeySet({1}, std::vector<long>{})},
                        a, vx2Rigid(), 1.0, 0.0, vxRadian(0), 0.0, L"");
    EXPECT_EQ(line.numNormalChars(), 2);
    EXPECT_TRUE(line.isWildcard(1));
    EXPECT_FALSE(line.isWildcard(0));
    expectError<vxOCDefs::BadIndex>([&] { line.isWildcard(5); }, L"Invalid position index.");
    expectError<vxOCDefs::BadIndex>([&] { line.isWildcard(-1); }, L"Invalid position index.");
    expectError<vxOCDefs::BadIndex>([&] { line.character(1); },
                                    L"The specified position contains a wildcard character.");
    expectError<vxOCDefs::BadIndex>([&] { line.characters(1); },
                                    L"The specified position contains a wildcard character.");
    EXPECT_EQ(line.character(0)->key(), 1);
    EXPECT_EQ(line.character(3)->key(), 3);
    const auto both = line.characters(3);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[1]->key(), 4);
    EXPECT_TRUE(line.characters(4).empty());
    EXPECT_THROW(line.character(4), vxOCDefs::BadIndex);
}

TEST(Line, EncloseRectWithAndWithoutConfusableCharacters) {
    const vxOCLine a = oneCharLine(1, vxVector<2>(100, 50), 1.0, 0.0);
    expectError<vxOCDefs::BadParams>([&] { a.encloseRect(kId, kId, kId, 0, vxRadian(-1), 0, 0); },
                                     L"Rotation uncertainty must be >= 0");
    expectRect(a.encloseRect(kId, kId, kId, 0, vxRadian(0), 0, false), 130, 80, 10, 10);
    // A is confusable with B, so B's area at the same pose joins in.
    expectRect(a.encloseRect(kId, kId, kId, 0, vxRadian(0), 0, true), 100, 50, 40, 40);
    // B is not confusable with A: the matrix is not symmetric.
    const vxOCLine b = oneCharLine(2, vxVector<2>(100, 50), 1.0, 0.0);
    expectRect(b.encloseRect(kId, kId, kId, 0, vxRadian(0), 0, true), 100, 50, 20, 30);

    // The character's scale and uncertainty, and the outer pose and uncertainty.
    const vxOCLine scaled = oneCharLine(1, vxVector<2>(100, 50), 2.0, 1.0);
    expectRect(scaled.encloseRect(kId, kId, kId, 0, vxRadian(0), 0, false), 159, 109, 22, 22);
    const vxXform<2> shift(vxMatrix<2>(), vxVector<2>(5, -5));
    expectRect(scaled.encloseRect(shift, kId, kId, 2, vxRadian(0), 0, false), 162, 102, 26, 26);
    // A quarter turn about the line origin.
    const vxXform<2> turn(vxVector<2>(0, 0), 1.0, 1.0, vxRadian(0), vxRadian(std::numbers::pi / 2));
    expectRect(a.encloseRect(turn, kId, kId, 0, vxRadian(0), 0, false), -90, 130, 10, 10);

    const vxOCLine wild({vxOCKeySet(), vxOCKeySet({1}, -1)}, alphabet(), vx2Rigid(), 1.0, 0.0,
                        vxRadian(0), 0.0, L"");
    EXPECT_EQ(wild.encloseRect(kId, kId, kId, 3, vxRadian(0.2), 0.1, true), vxRect());
}

TEST(Line, EqualityComparesAlphabetsByValue) {
    const vxOCLine a = oneCharLine(1, vxVector<2>(1, 2), 1.0, 0.0);
    const vxOCLine b = oneCharLine(1, vxVector<2>(1, 2), 1.0, 0.0);
    ASSERT_NE(a.alphabet().get(), b.alphabet().get());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, oneCharLine(1, vxVector<2>(1, 2.5), 1.0, 0.0));
    EXPECT_NE(a, oneCharLine(1, vxVector<2>(1, 2), 1.0, 0.5));
    vxOCAlphabet renamed(*a.alphabet());
    renamed.name(L"other");
    const vxOCLine c(a.keySetSequence(), Alphabet(new vxOCAlphabet(renamed)), a.charPoses(),
                     a.charScales(), a.translationUncertainties(), a.rotationUncertainties(),
                     a.scaleUncertainties(), a.name());
    EXPECT_NE(a, c);
}

TEST(LineArrangement, ConstructionAndEncloseRect) {
    using Lines = std::vector<vxPtrHandle<vxOCLine>>;
    using BP = vxOCDefs::BadParams;
    const vxPtrHandle<vxOCLine> line(new vxOCLine(oneCharLine(1, vxVector<2>(0, 0), 1.0, 0.0)));
    const Lines two{line, line};
    const vxRadian r0(0), neg(-1);
    const std::vector<vx2Rigid> poses1(1), poses2(2);
    expectError<BP>([&] { vxOCLineArrangement(two, vx2Rigid(), -1, neg, L""); },
                    L"Line translation uncertainty must be >= 0");
    expectError<BP>([&] { vxOCLineArrangement(two, poses1, 0, neg, L""); },
                    L"Line rotation uncertainty must be >= 0");
    expectError<BP>([&] { vxOCLineArrangement(two, poses1, 0, r0, L""); },
                    L"The number of line poses does not match the number of lines.");
    expectError<BP>(
        [&] {
            vxOCLineArrangement(two, poses2, {-1.0}, {r0, r0}, L"");
        },
        L"The number of translation uncertainties does not match the number of lines.");
    expectError<BP>(
        [&] {
            vxOCLineArrangement(two, poses2, {0.0, -1.0}, {neg, r0}, L"");
        },
        L"Line rotation uncertainties must be >= 0");
    expectError<BP>(
        [&] {
            vxOCLineArrangement(two, poses2, {0.0, -1.0}, {r0, r0}, L"");
        },
        L"Line position uncertaintiesp must be >= 0");
    expectError<BP>(
        [&] {
            vxOCLineArrangement(Lines{line, {}}, vx2Rigid(), 0, r0, L"");
        },
        L"Every line must point to a valid object.");

    // Line k sits at k steps of 100 down; the second line may shift by 2.
    const vxOCLineArrangement stacked(two, vx2Rigid(vxVector<2>(0, 100), r0), 0, r0, L"");
    EXPECT_EQ(stacked.linePoses()[1], vx2Rigid(vxVector<2>(0, 100), r0));
    expectRect(stacked.encloseRect(kId, kId, kId, 0, r0, 0, false), 30, 30, 10, 110);
    const vxOCLineArrangement loose(two, stacked.linePoses(), {0.0, 2.0}, {r0, r0}, L"");
    expectRect(loose.encloseRect(kId, kId, kId, 0, r0, 0, false), 28, 30, 14, 112);
    EXPECT_EQ(vxOCLineArrangement().encloseRect(kId, kId, kId, 1, r0, 0, true), vxRect());

    EXPECT_NE(stacked, loose);
    const vxPtrHandle<vxOCLine> copy(new vxOCLine(*line));
    EXPECT_EQ(stacked, vxOCLineArrangement(Lines{line, copy}, stacked.linePoses(), 0, r0, L""));
}

TEST(LineArrangement, ChangeCurrentKeysLeavesInputUntouched) {
    const vxPtrHandle_const<vxOCLine> line(new vxOCLine({current(1), vxOCKeySet({1, 2, 3, 4}, -1)},
                                                        alphabet(), vx2Rigid(), 1.0, 0.0,
                                                        vxRadian(0), 0.0, L"line"));
    const vxPtrHandle_const<vxOCLine> other(new vxOCLine(*line));
    const vxOCLineArrangement arrangement(std::vector<vxPtrHandle_const<vxOCLine>>{other, line},
                                          vx2Rigid(), 1.0, vxRadian(0), L"arr");
    const vxOCLineArrangement before(arrangement);
    const vxOCLine lineBefore(*line);

    auto wild = vfOCChangeCurrentKey(arrangement, 1, 0);
    EXPECT_TRUE(wild->lines()[1]->isWildcard(0));
    EXPECT_EQ(wild->lines()[0].get(), other.get()); // the other line is shared, not copied
    EXPECT_EQ(wild->name(), L"arr");
    EXPECT_EQ(vfOCChangeCurrentKey(arrangement, 1, 1, 2)->lines()[1]->character(1)->key(), 2);
    EXPECT_EQ(vfOCChangeCurrentKeys(arrangement, 1, 1, {4, 1})->lines()[1]->keySetSequence()[1],
              vxOCKeySet({1, 2, 3, 4}, std::vector<long>{3, 0}));
    // Both models named "O", in alphabet order.
    EXPECT_EQ(vfOCChangeCurrentKeys(arrangement, 1, 1, L"O")->lines()[1]->keySetSequence()[1],
              vxOCKeySet({1, 2, 3, 4}, std::vector<long>{2, 3}));

    const wchar_t* noKeys = L"At least one of the keys is not found in the alphabet.";
    expectError<vxOCDefs::BadKey>([&] { vfOCChangeCurrentKeys(arrangement, 1, 0, L"Z"); }, noKeys);
    expectError<vxOCDefs::BadKey>([&] { vfOCChangeCurrentKeys(arrangement, 9, 9, {}); }, noKeys);
    expectError<vxOCDefs::BadParams>([&] { vfOCChangeCurrentKeys(arrangement, 2, 0, L"Z"); },
                                     L"The supplied line index is not valid.");
    expectError<vxOCDefs::BadParams>([&] { vfOCChangeCurrentKey(arrangement, 0, 2); },
                                     L"The supplied position index is not valid.");
    const vxPtrHandle_const<vxOCLine> narrow(new vxOCLine(
        {vxOCKeySet({1, 2}, 0)}, alphabet(), vx2Rigid(), 1.0, 0.0, vxRadian(0), 0.0, L""));
    const vxOCLineArrangement small(std::vector<vxPtrHandle_const<vxOCLine>>{narrow}, vx2Rigid(),
                                    0.0, vxRadian(0), L"");
    expectError<vxOCDefs::BadKey>([&] { vfOCChangeCurrentKey(small, 0, 0, 4); },
                                  L"The specified key is not in the keySet for this position.");
    expectError<vxOCDefs::BadIndex>(
        [&] {
            vfOCChangeCurrentKeys(small, 0, 0, {2, 2});
        },
        L"Key indices must be unique.");

    EXPECT_EQ(arrangement, before);
    EXPECT_EQ(*line, lineBefore);
    EXPECT_EQ(arrangement.lines()[1].get(), line.get());
}

TEST(LineArrangement, ArchiveSharesAlphabetAndLinesAndRejectsCorruption) {
    const Alphabet a = alphabet();
    const vxPtrHandle_const<vxOCLine> first(
        new vxOCLine({current(1), vxOCKeySet()}, a, vx2Rigid(vxVector<2>(11, 0.5), vxRadian(0.01)),
                     1.25, 0.5, vxRadian(0.02), 0.03, L"first"));
    const vxPtrHandle_const<vxOCLine> second(
        new vxOCLine({current(4)}, a, std::vector<vx2Rigid>{vx2Rigid(vxRadian(0.3))}, 0.75, 0.0,
                     vxRadian(0), 0.0, L"second"));
    vxPtrHandle<vxOCLineArrangement> arrangement(new vxOCLineArrangement(
        std::vector<vxPtrHandle_const<vxOCLine>>{first, second, first}, {{}, {}, {}},
        {1.0, 2.0, 3.0}, {vxRadian(0), vxRadian(0.1), vxRadian(0.2)}, L"arrangement"));

    vxArchive out;
    out || arrangement;
    vxPtrHandle<vxOCLineArrangement> back;
    {
        vxArchive in(out.bytes());
        in || back;
    }
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(*back, *arrangement);
    EXPECT_EQ(back->lines()[0].get(), back->lines()[2].get());
    EXPECT_EQ(back->lines()[0]->alphabet().get(), back->lines()[1]->alphabet().get());
    EXPECT_EQ(back->lines()[0]->alphabet()->confusion(1, 2), 0.9);

    // The alphabet is stored once: a second line on it adds little to the archive.
    vxArchive oneLine;
    vxPtrHandle<vxOCLineArrangement> single(new vxOCLineArrangement(
        std::vector<vxPtrHandle_const<vxOCLine>>{first}, vx2Rigid(), 0.0, vxRadian(0), L""));
    oneLine || single;
    EXPECT_LT(out.bytes().size(), oneLine.bytes().size() + 1000);

    // A line whose counts disagree, or that has no alphabet, is corrupt.
    auto storedLine = [&](Alphabet alphabet, std::vector<double> scales) {
        vxArchive ar;
        unsigned char version = 0;
        std::vector<vxOCKeySet> sets{current(1)};
        std::vector<vx2Rigid> poses(1);
        std::vector<double> zeros{0.0};
        std::vector<vxRadian> angles(1);
        std::wstring name;
        ar || version || sets || alphabet || poses || scales || zeros || angles || zeros || name;
        return ar.bytes();
    };
    vxOCLine target = *second;
    auto load = [&](const std::vector<unsigned char>& bytes) {
        vxArchive in(bytes);
        in || target;
    };
    EXPECT_NO_THROW(load(storedLine(a, {1.0})));
    EXPECT_EQ(target.numPositions(), 1);
    EXPECT_THROW(load(storedLine(a, {1.0, 1.0})), vxArchive::BadData);
    EXPECT_THROW(load(storedLine(Alphabet(), {1.0})), vxArchive::BadData);
    std::vector<unsigned char> newer = storedLine(a, {1.0});
    newer[0] = 1;
    EXPECT_THROW(load(newer), vxArchive::UnknownVersion);
    EXPECT_EQ(target.name(), L"");

    // Every truncation throws.
    const std::vector<unsigned char>& full = out.bytes();
    for (size_t cut = 0; cut < full.size(); cut += 13) {
        vxPtrHandle<vxOCLineArrangement> t;
        vxArchive in(std::vector<unsigned char>(full.begin(), full.begin() + cut));
        EXPECT_THROW(in || t, vxArchive::Error);
    }
}
