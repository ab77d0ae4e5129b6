// The arranger end to end on generated images: argument checks, then whole runs whose
// statuses, scores and poses are compared with the generator's ground truth.
#include "vxDiagObject.h"
#include "vxOCArrange.h"
#include "vxTestLayout.h"
#include "vx_ArrangePose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>

namespace {

using Status = vxOCArrangeDefs::CharStatus;
constexpr double kSize = 32.0; // cap height of taught and printed characters
constexpr long kBlankKey = ' ';

// The stroke-font characters the tests use, taught at kSize, plus a blank the size of a
// character cell; compiled once for the whole suite.
class ArrangeE2E : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The stroke font's 7, H, M and W are refused by the finder (their edges crowd
        // into too few directions), so those tests use the dot-matrix M and W; 7 and H
        // serve where characters can only be inferred.
        stroke_ = teach("0123456789AEH", vxTestFont::eStroke, true);
        dots_ = teach("69AEMW", vxTestFont::eDotMatrix, false);
    }
    static void TearDownTestSuite() {
        delete stroke_;
        delete dots_;
        stroke_ = dots_ = nullptr;
    }

    // A compiled alphabet of rendered characters keyed by their codes, with a blank the
    // size of a character image when asked. Each model's client origin is its cell
    // centre, so a pose's translation is where the character's centre lies, whichever
    // way up a half-turn-symmetric character was found.
    static vxOCAlphabet* teach(const std::string& codes, vxTestFont::Style font, bool blank,
                               bool mirrored = false) {
        vxTestScene look;
        look.font = font;
        std::vector<vxPtrHandle_const<vxOCModel>> models;
        for (char c : codes) {
            vxTestImage img = vfRenderTestChar(c, kSize, look);
            const vxVector<2> centre = img.truth[0].center;
            img.image.clientFromImageXform(mirrored
                                               ? vxXform<2>(vxMatrix<2>(-1.0, 0.0, 0.0, 1.0),
                                                            vxVector<2>(centre.x(), -centre.y()))
                                               : vxXform<2>(vxMatrix<2>(), -centre));
            models.emplace_back(new vxOCModel(c, img.image, img.image.window(), vxOCModel::eNormal,
                                              std::wstring(1, wchar_t(c)), L""));
            modelArea_ = img.image.window();
        }
        if (blank)
            models.emplace_back(new vxOCModel(kBlankKey, vxPelBuffer_const<unsigned char>(),
                                              modelArea_, vxOCModel::eBlank, L"blank", L""));
        return new vxOCAlphabet(models, 0.5, true, L"test");
    }

    // Default parameters but for a generous time limit per character, so that the
    // outcome does not depend on the machine's load.
    static vxOCArrangeParams relaxed() {
        vxOCArrangeParams params;
        params.timeout(2000.0);
        return params;
    }

    static std::vector<long> keys(const std::string& s) { return {s.begin(), s.end()}; }

    static vxOCArrangeResults arrange(const vxPelBuffer_const<unsigned char>& image,
                                      const std::string& target,
                                      const vxOCArrangeParams& params = relaxed(),
                                      const vxOCAlphabet* alphabet = stroke_) {
        vxOCArrangeResults r;
        vfOCArrange(image, *alphabet, keys(target), params, r);
        return r;
    }

    // Client position of each target position's cell centre (its model's client
    // origin) and its orientation, read back through the arrangement, its lines and the
    // character poses, in target order.
    struct Found {
        vxVector<2> centre;
        double angle = 0.0;
        double scale = 0.0;
    };
    static std::vector<Found> found(const vxOCArrangeResults& r) {
        std::vector<Found> out;
        const vxOCLineArrangement& arrangement = *r.arrangement();
        const vxXform<2>& client = r.clientFromArrangementXform();
        const double clientAngle = vf_PoseFromXform(client).angle().plain();
        for (long j = 0; j < arrangement.numLines(); ++j) {
            const vxOCLine& line = *arrangement.lines()[j];
            const vx2Rigid& linePose = arrangement.linePoses()[j];
            for (long k = 0; k < line.numPositions(); ++k) {
                const vx2Rigid& p = line.charPoses()[k];
                const double s = line.charScales()[k];
                const vx2Rigid inArrangement = linePose * p;
                out.push_back({client * inArrangement.trans(),
                               clientAngle + inArrangement.angle().plain(), s});
            }
        }
        return out;
    }

    static double angleError(double a, double b) {
        return std::abs(vxRadian(a - b).signedNorm().plain());
    }

    // Every listed position matched (score above 0.7) with its cell centre within
    // 1.5 pixels and its angle within 3 degrees of the truth.
    static void expectMatched(const vxOCArrangeResults& r,
                              const std::vector<vxTestCharTruth>& truth,
                              const std::vector<int>& positions) {
        const std::vector<Found> f = found(r);
        ASSERT_EQ(f.size(), truth.size());
        for (int i : positions) {
            SCOPED_TRACE(testing::Message() << "position " << i);
            EXPECT_EQ(r.statusFlags()[i], vxOCArrangeDefs::eMatched);
            EXPECT_GT(r.scores()[i], 0.7);
            EXPECT_LT((f[i].centre - truth[i].center).length(), 1.5);
            EXPECT_LT(angleError(f[i].angle, truth[i].angle.plain()), 3.0 * std::numbers::pi / 180);
        }
    }
    static std::vector<int> all(std::size_t n) {
        std::vector<int> v(n);
        for (std::size_t i = 0; i < n; ++i)
            v[i] = static_cast<int>(i);
        return v;
    }

    static vxTestImage renderLine(const std::string& text, vxVector<2> centre, double angleDeg,
                                  double scale = 1.0, unsigned long seed = 1,
                                  vxTestFont::Style font = vxTestFont::eStroke) {
        vxTestTextStyle style;
        style.size = kSize;
        style.scale = scale;
        style.advance = 0.9 * kSize;
        vxTestScene scene;
        scene.blurSigma = 0.7;
        scene.noiseSigma = 3.0;
        scene.seed = seed;
        scene.font = font;
        return vfRenderTestImage(scene,
                                 vfLayoutLine(text, centre, vxRadian(vxDegree(angleDeg)), style));
    }

    static inline vxOCAlphabet* stroke_ = nullptr;
    static inline vxOCAlphabet* dots_ = nullptr;
    static inline vxPelRect modelArea_;
};

TEST_F(ArrangeE2E, EmptyTargetIsFoundAndArgumentsAreCheckedBeforeAnythingChanges) {
    vxOCArrangeResults r;
    vfOCArrange(vxPelBuffer_const<unsigned char>(64, 64), *stroke_, {}, {}, r);
    EXPECT_TRUE(r.isFound());
    EXPECT_FALSE(r.isSearchTruncated());
    ASSERT_FALSE(r.arrangement().isNull());
    EXPECT_EQ(r.arrangement()->numLines(), 0);
    EXPECT_TRUE(r.statusFlags().empty());
    EXPECT_TRUE(r.scores().empty());

    const vxTestImage scene = renderLine("2024", {320, 240}, 0);
    const vxPelBuffer_const<unsigned char> image = scene.image;
    vfOCArrange(image, *stroke_, {}, vxOCArrangeParams(), r);
    const vxOCArrangeResults before = r;
    vxDiagObject diag;
    const unsigned long every =
        vxDiagObject::eInput | vxDiagObject::eIntermediate | vxDiagObject::eResults;

    EXPECT_THROW(vfOCArrange(vxPelBuffer_const<unsigned char>(), *stroke_, keys("2024"), {}, r,
                             &diag, every),
                 vxPel::UnboundWindow);
    EXPECT_THROW(
        vfOCArrange(image, vxPelBuffer_const<unsigned char>(), *stroke_, keys("2024"), {}, r),
        vxPel::UnboundWindow);
    vxPelBuffer<unsigned char> shifted(vxPelRect(1, 0, image.width(), image.height()));
    EXPECT_THROW(vfOCArrange(image, shifted, *stroke_, keys("2024"), {}, r),
                 vxOCArrangeDefs::BadMask);
    vxPelBuffer<unsigned char> narrow(image.width() - 1, image.height());
    EXPECT_THROW(vfOCArrange(image, narrow, *stroke_, keys("2024"), {}, r),
                 vxOCArrangeDefs::BadMask);
    try {
        vfOCArrange(image, *stroke_, keys("20X4"), {}, r, &diag, every);
        ADD_FAILURE() << "a key outside the alphabet was accepted";
    } catch (const vxOCDefs::BadKey& e) {
        EXPECT_EQ(e.message(), L"");
    }
    EXPECT_EQ(diag.numRecords(), 0);
    EXPECT_EQ(r, before);
}

TEST_F(ArrangeE2E, YearOnOneLineAtRandomRotationAndScale) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(-180.0, 180.0), scale(0.92, 1.08);
    for (int trial = 0; trial < 3; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const vxTestImage scene =
            renderLine("1986", {320, 240}, angle(random), scale(random), trial + 1);
        const vxOCArrangeResults r = arrange(scene.image, "1986");
        EXPECT_TRUE(r.isFound());
        EXPECT_FALSE(r.isSearchTruncated());
        ASSERT_EQ(r.arrangement()->numLines(), 1);
        EXPECT_EQ(r.arrangement()->lines()[0]->name(), L"Line 0");
        expectMatched(r, scene.truth, all(4));
        for (const Found& f : found(r))
            EXPECT_NEAR(f.scale, scene.truth[0].pixelsPerEm / kSize, 0.03);
    }
}

// Read backwards, a palindrome costs exactly what it costs read forwards (every
// character then faces against the line, consistently); the reading in which the
// characters face along the line must win.
TEST_F(ArrangeE2E, PalindromeReadsTheWayItsCharactersFace) {
    for (double angle : {0.0, 100.0, -150.0}) {
        SCOPED_TRACE(testing::Message() << angle << " degrees");
        const vxTestImage scene = renderLine("15051", {320, 240}, angle);
        expectMatched(arrange(scene.image, "15051"), scene.truth, all(5));
    }
}

TEST_F(ArrangeE2E, TwoLinesWithOneOrTwoLinesAllowed) {
    const std::vector<vxTestCharPlacement> bottom =
        vfLayoutLine("68902", {320, 320}, vxRadian(0), {kSize, 1.0, 0.0, 0.9 * kSize});
    std::vector<vxTestCharPlacement> both =
        vfLayoutLine("12345", {320, 160}, vxRadian(0), {kSize, 1.0, 0.0, 0.9 * kSize});
    both.insert(both.end(), bottom.begin(), bottom.end());
    const vxTestImage scene = vfRenderTestImage(vxTestScene(), both);

    vxOCArrangeParams params = relaxed();
    params.maxLines(2);
    const vxOCArrangeResults two = arrange(scene.image, "1234568902", params);
    EXPECT_EQ(two.arrangement()->numLines(), 2);
    expectMatched(two, scene.truth, all(10));

    // One line: one row is matched, the other row's positions stay alone and unknown.
    params.maxLines(1);
    const vxOCArrangeResults one = arrange(scene.image, "1234568902", params);
    const std::vector<Status>& s = one.statusFlags();
    const bool firstRow = s[0] == vxOCArrangeDefs::eMatched;
    const int matchedFrom = firstRow ? 0 : 5;
    expectMatched(
        one, scene.truth,
        {matchedFrom, matchedFrom + 1, matchedFrom + 2, matchedFrom + 3, matchedFrom + 4});
    for (int i = 5 - matchedFrom; i < 10 - matchedFrom; ++i) {
        EXPECT_EQ(s[i], vxOCArrangeDefs::eUnknown) << i;
        EXPECT_EQ(one.scores()[i], 0.0);
    }
    EXPECT_EQ(one.arrangement()->numLines(), 6);
}

// Twelve characters on an arc: reading clockwise on screen with their tops outward, or
// counter-clockwise with their tops inward.
vxTestImage arc(bool topsOutward) {
    vxTestTextStyle style;
    style.size = kSize;
    style.advance = 0.9 * kSize;
    return vfRenderTestImage(vxTestScene(),
                             vfLayoutArc("A0123456E89A", {320, 240}, 170.0,
                                         vxRadian(topsOutward ? -1.57 : 1.57), topsOutward, style));
}

vxOCArrangeParams circular(bool clockwise) {
    vxOCArrangeParams params;
    params.timeout(2000.0);
    params.lineType(vxOCArrangeDefs::eCircular);
    params.isTextDirectionSpecified(true);
    params.isCircularTextDirectionClockwise(clockwise);
    return params;
}

TEST_F(ArrangeE2E, TwelveCharactersOnAnArcInBothSensesAndTheSpecifiedSense) {
    for (bool topsOutward : {true, false}) {
        SCOPED_TRACE(topsOutward ? "clockwise" : "counter-clockwise");
        const vxTestImage scene = arc(topsOutward);
        const vxOCArrangeResults r = arrange(scene.image, "A0123456E89A");
        EXPECT_FALSE(r.isSearchTruncated());
        EXPECT_EQ(r.arrangement()->numLines(), 1);
        expectMatched(r, scene.truth, all(12));
    }
    const vxTestImage scene = arc(true);
    const vxOCArrangeResults r = arrange(scene.image, "A0123456E89A", circular(true));
    EXPECT_EQ(r.arrangement()->numLines(), 1);
    expectMatched(r, scene.truth, all(12));
    EXPECT_GT(arrange(scene.image, "A0123456E89A", circular(false)).arrangement()->numLines(), 1);
}

// Client x runs leftwards, in the models as in the run-time image, so characters keep
// their look in client coordinates; the text reads counter-clockwise there.
const vxXform<2> kMirror(vxMatrix<2>(-1.0, 0.0, 0.0, 1.0), vxVector<2>(640.0, 0.0));

// The sense setting speaks of the screen, so in a mirrored client frame the clockwise
// arc is still accepted as clockwise, although there its first characters read toward
// client -x, against the default straight direction.
TEST_F(ArrangeE2E, ArcReadInAMirroredClientFrameKeepsTheOnScreenSense) {
    const vxTestImage scene = arc(true);
    vxPelBuffer<unsigned char> image = scene.image;
    image.clientFromImageXform(kMirror);
    std::unique_ptr<vxOCAlphabet> mirrored(teach("0123456789AE", vxTestFont::eStroke, false, true));
    const vxOCArrangeResults r = arrange(image, "A0123456E89A", relaxed(), mirrored.get());
    EXPECT_EQ(r.arrangement()->numLines(), 1);
    const std::vector<Found> f = found(r);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(testing::Message() << "position " << i);
        EXPECT_EQ(r.statusFlags()[i], vxOCArrangeDefs::eMatched);
        EXPECT_LT((f[i].centre - kMirror * scene.truth[i].center).length(), 1.5);
        EXPECT_LT(angleError(f[i].angle, -scene.truth[i].angle.plain()), 0.05);
    }
    EXPECT_EQ(
        arrange(image, "A0123456E89A", circular(true), mirrored.get()).arrangement()->numLines(),
        1);
    EXPECT_GT(
        arrange(image, "A0123456E89A", circular(false), mirrored.get()).arrangement()->numLines(),
        1);
}

// With the default acceptance (0.4) look-alikes elsewhere in the line (a 3 inside an 8,
// part of an A over a 4) score above 0.7, and a position whose best instance reaches
// 0.7 may not stay unmatched; these tests accept only close matches.
vxOCArrangeParams strict() {
    vxOCArrangeParams params;
    params.timeout(2000.0);
    params.minMatchScore(0.8);
    return params;
}

TEST_F(ArrangeE2E, MissingCharacterIsInferredInItsPlace) {
    std::vector<vxTestCharPlacement> p =
        vfLayoutLine("1A2E3", {320, 240}, vxRadian(vxDegree(20)), {kSize, 1.0, 0.0, 0.9 * kSize});
    const vxTestCharTruth missing = vfTestCharTruth(p[2]);
    p.erase(p.begin() + 2);
    const vxTestImage scene = vfRenderTestImage(vxTestScene(), p);
    const vxOCArrangeResults r = arrange(scene.image, "1A2E3", strict());
    ASSERT_EQ(r.statusFlags()[2], vxOCArrangeDefs::eInferred);
    EXPECT_EQ(r.scores()[2], 0.0);
    const Found f = found(r)[2];
    EXPECT_LT((f.centre - missing.center).length(), 2.0);
    EXPECT_LT(angleError(f.angle, missing.angle.plain()), 3.0 * std::numbers::pi / 180);
    for (int i : {0, 1, 3, 4})
        EXPECT_EQ(r.statusFlags()[i], vxOCArrangeDefs::eMatched) << i;
}

// H and 7 get no pattern, so inside a line they are inferred from their neighbours and
// then looked for by the refinement. Two of them after the line's first character on a
// tight arc once broke the line: "[5] [H] [7] [480A3]".
TEST_F(ArrangeE2E, UnsuitableCharactersInsideALineStayInItAndAreRefined) {
    vxTestTextStyle style;
    style.size = kSize;
    style.advance = 0.8 * kSize;
    const std::string text = "5H7480A3";
    const struct {
        const char* name;
        std::vector<vxTestCharPlacement> placements;
    } layouts[] = {
        {"tight arc", vfLayoutArc(text, {320, 300}, 110.0, vxRadian(-1.57), true, style)},
        {"straight", vfLayoutLine(text, {320, 240}, vxRadian(vxDegree(25)), style)},
    };
    for (const auto& layout : layouts) {
        for (bool printed : {true, false}) {
            SCOPED_TRACE(testing::Message() << layout.name << (printed ? "" : ", H and 7 missing"));
            std::vector<vxTestCharPlacement> p = layout.placements;
            if (!printed) p.erase(p.begin() + 1, p.begin() + 3);
            const vxTestImage scene = vfRenderTestImage(vxTestScene(), p);
            const vxOCArrangeResults r = arrange(scene.image, text);
            EXPECT_EQ(r.arrangement()->numLines(), 1);
            const std::vector<Found> f = found(r);
            for (int i : {1, 2}) {
                SCOPED_TRACE(testing::Message() << "position " << i);
                EXPECT_EQ(r.statusFlags()[i], printed ? Status::eMatched : Status::eInferred);
                const vxTestCharTruth truth = vfTestCharTruth(layout.placements[i]);
                EXPECT_LT((f[i].centre - truth.center).length(), printed ? 1.5 : 3.0);
            }
            for (int i : {0, 3, 4, 5, 6, 7})
                EXPECT_EQ(r.statusFlags()[i], Status::eMatched) << i;
        }
    }
}

TEST_F(ArrangeE2E, WrongCharacterIsNotMatched) {
    const vxTestImage scene = renderLine("1A5E3", {320, 240}, -30);
    const vxOCArrangeResults r = arrange(scene.image, "1A2E3", strict());
    EXPECT_NE(r.statusFlags()[2], vxOCArrangeDefs::eMatched);
    expectMatched(r, scene.truth, {0, 1, 3, 4});
}

TEST_F(ArrangeE2E, BlankPositionIsPlacedBetweenItsNeighbours) {
    const vxTestImage scene = renderLine("12 34", {320, 240}, 45);
    const vxOCArrangeResults r = arrange(scene.image, "12 34");
    EXPECT_EQ(r.arrangement()->numLines(), 1);
    expectMatched(r, scene.truth, {0, 1, 3, 4});
    EXPECT_EQ(r.statusFlags()[2], vxOCArrangeDefs::eInferred);
    EXPECT_LT((found(r)[2].centre - scene.truth[2].center).length(), 2.0);
}

TEST_F(ArrangeE2E, MaskHidesOneCharacterFromTheFinder) {
    // The line runs so close to the top edge (the characters' tops 4 pixels below it)
    // that the refinement, which ignores the mask, cannot sample a patch around any of
    // them: what the finder does not see stays inferred.
    const vxTestImage scene = renderLine("5689", {320, 20}, 0);
    // 128 is cared about, 127 is not: the third character is hidden from the finder.
    vxPelBuffer<unsigned char> mask(scene.image.width(), scene.image.height());
    for (long y = 0; y < mask.height(); ++y)
        for (long x = 0; x < mask.width(); ++x) {
            const bool hidden = std::abs(x + 0.5 - scene.truth[2].center.x()) < 14 &&
                                std::abs(y + 0.5 - scene.truth[2].center.y()) < 24;
            *mask.pointToPel(x, y) = hidden ? 127 : 128;
        }
    vxOCArrangeResults r;
    vfOCArrange(scene.image, mask, *stroke_, keys("5689"), strict(), r);
    expectMatched(r, scene.truth, {0, 1, 3});
    EXPECT_EQ(r.statusFlags()[2], vxOCArrangeDefs::eInferred);
    EXPECT_EQ(r.scores()[2], 0.0);
    EXPECT_LT((found(r)[2].centre - scene.truth[2].center).length(), 2.0);
}

TEST_F(ArrangeE2E, HalfTurnLookAlikesTakeTheirOwnInstances) {
    // The stroke 9 is exactly the stroke 6 turned half a turn, so only the characters
    // around them tell which way up the line is; a palindrome could be read either way.
    for (const char* text : {"A69E", "E966A"}) {
        SCOPED_TRACE(text);
        const vxTestImage scene = renderLine(text, {320, 240}, 180);
        expectMatched(arrange(scene.image, text), scene.truth, all(scene.truth.size()));
    }
    for (const char* text : {"EW6M9A"}) {
        SCOPED_TRACE(text);
        const vxTestImage scene = renderLine(text, {320, 240}, 180, 1.0, 1, vxTestFont::eDotMatrix);
        expectMatched(arrange(scene.image, text, relaxed(), dots_), scene.truth,
                      all(scene.truth.size()));
    }
}

TEST_F(ArrangeE2E, NoCandidatesLeavesEveryPositionAloneAndUnknown) {
    const vxTestImage scene = renderLine("2024", {320, 240}, 0);
    vxOCArrangeParams params = relaxed();
    params.maxCandidates(0);
    const vxOCArrangeResults r = arrange(scene.image, "2024", params);
    EXPECT_TRUE(r.isFound());
    EXPECT_TRUE(r.isSearchTruncated());
    EXPECT_EQ(r.arrangement()->numLines(), 4);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(r.statusFlags()[i], vxOCArrangeDefs::eUnknown);
        EXPECT_EQ(r.scores()[i], 0.0);
    }
}

TEST_F(ArrangeE2E, IntermediateRecordsNeedALinearClientFrame) {
    const vxTestImage scene = renderLine("12", {320, 240}, 0);
    // A client frame that maps like the identity but calls itself non-linear.
    struct Bend : vx2XformLinear {
        bool isLinear() const override { return false; }
    };
    vxPelBuffer<unsigned char> bent = scene.image;
    bent.clientFromImage(vxPtrHandle_const<vx2XformBase>(new Bend));
    for (bool linear : {true, false}) {
        SCOPED_TRACE(linear ? "linear" : "non-linear");
        vxDiagObject diag;
        vxOCArrangeResults r;
        vfOCArrange(linear ? scene.image : bent, *stroke_, keys("12"), relaxed(), r, &diag,
                    vxDiagObject::eIntermediate);
        if (linear) {
            ASSERT_GT(diag.numRecords(), 0);
            EXPECT_EQ(diag.diagRecord(0).annotation(), L"OC Arranger: Intermediate");
        } else {
            EXPECT_EQ(diag.numRecords(), 0); // and the run goes on without them
        }
        expectMatched(r, scene.truth, {0, 1});
    }
}

} // namespace
