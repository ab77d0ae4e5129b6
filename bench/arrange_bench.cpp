// Whole arrange calls on generated 640x480 images with default parameters; the alphabet
// is taught and compiled before timing. Besides the wall time of vfOCArrange, each
// benchmark reports the split between its stages, timed on separate runs of the
// stages themselves: character search, arrangement search (with the final evaluation
// and the result assignment) and refinement, in milliseconds, and whether the run was
// truncated.
#include "../oc/arrange/arrangeSearch.h"
#include "../oc/arrange/assignResults.h"
#include "bench_alphabet.h"
#include "vxDiagObject.h"
#include "vxOCArrange.h"
#include "vxOCVerify.h"
#include "vxTestLayout.h"
#include "vx_OCRefinement.h"
#include "vx_OCSearchCharacters.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <numbers>
#include <random>

namespace {

constexpr double kSize = kBenchCharSize;

const vxPtrHandle_const<vxOCAlphabet>& strokeAlphabet() {
    static const vxPtrHandle_const<vxOCAlphabet> alphabet = vfBenchStrokeAlphabet("0123456789AE");
    return alphabet;
}

vxTestImage render(const std::vector<vxTestCharPlacement>& placements) {
    vxTestScene scene;
    scene.blurSigma = 0.7;
    scene.noiseSigma = 3.0;
    return vfRenderTestImage(scene, placements);
}

vxTestTextStyle style() {
    vxTestTextStyle s;
    s.size = kSize;
    s.advance = 0.9 * kSize;
    return s;
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Per target position a record with the cell of its character's training image, as
// the driver makes them.
std::vector<vx_ArrangePositionInfo> positionInfo(const std::vector<long>& keys) {
    const vxPtrHandle_const<vxOCAlphabet>& alphabet = strokeAlphabet();
    std::vector<vx_ArrangePositionInfo> info(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const vxOCModel& model = *alphabet->character(keys[i]);
        const vxPelRect& a = model.imageArea();
        const vxXform<2> x = model.image().clientFromImageXform();
        info[i].cell(vxAffineRectangle(x * vxVector<2>(a.ul()), x * vxVector<2>(a.ur()),
                                       x * vxVector<2>(a.ll())));
    }
    return info;
}

// The driver's stages run one after another, each timed.
struct StageTimes {
    double characters = 0.0, arrangement = 0.0, refinement = 0.0;
};

StageTimes timeStages(const vxPelBuffer_const<unsigned char>& image, const std::vector<long>& keys,
                      const vxOCArrangeParams& params) {
    const vxPtrHandle_const<vxOCAlphabet>& alphabet = strokeAlphabet();
    StageTimes t;
    std::vector<vx_ArrangePositionInfo> info = positionInfo(keys);
    std::vector<std::vector<vx_Pose>> poses;
    std::vector<std::vector<double>> scores;
    double finderTime = 0.0;
    auto start = std::chrono::steady_clock::now();
    vf_SearchCharacters(image, vxPelBuffer_const<unsigned char>(), alphabet, keys, params, poses,
                        scores, info, &finderTime);
    t.characters = msSince(start);

    start = std::chrono::steady_clock::now();
    vx_ArrangeCandidate best;
    vf_SearchArrangement(image, *alphabet, keys, info, poses, scores, params, best);
    vx_ArrangeCost cost;
    vf_EvaluateArrangement(best, *alphabet, keys, info, poses, scores, params,
                           vf_IsClientFlipped(image), true, cost);
    std::vector<vx_Pose> finalPoses;
    std::vector<double> finalScores;
    std::vector<vxOCArrangeDefs::CharStatus> statuses;
    vf_AssignArrangementResults(poses, scores, best, cost, info, params, finalPoses, finalScores,
                                statuses);
    t.arrangement = msSince(start);

    start = std::chrono::steady_clock::now();
    vf_RefineArrangement(image, alphabet, keys, finalPoses, statuses, finalScores);
    t.refinement = msSince(start);
    return t;
}

// With diagFlags, every call records into a diagnostics object of its own.
void runArrange(benchmark::State& state, const vxTestImage& scene, const std::string& target,
                unsigned long diagFlags = 0) {
    const std::vector<long> keys(target.begin(), target.end());
    const vxOCArrangeParams params;
    const vxOCAlphabet& alphabet = *strokeAlphabet();
    vxOCArrangeResults results;
    for (auto _ : state) {
        if (diagFlags) {
            vxDiagObject diag;
            vfOCArrange(scene.image, alphabet, keys, params, results, &diag, diagFlags);
            benchmark::DoNotOptimize(diag);
        } else {
            vfOCArrange(scene.image, alphabet, keys, params, results);
        }
        benchmark::DoNotOptimize(results);
    }
    int matched = 0;
    for (vxOCArrangeDefs::CharStatus s : results.statusFlags())
        matched += s == vxOCArrangeDefs::eMatched;
    state.counters["matched"] = matched;
    state.counters["truncated"] = results.isSearchTruncated();

    StageTimes sum;
    constexpr int reps = 5;
    for (int r = 0; r < reps; ++r) {
        const StageTimes t = timeStages(scene.image, keys, params);
        sum.characters += t.characters / reps;
        sum.arrangement += t.arrangement / reps;
        sum.refinement += t.refinement / reps;
    }
    state.counters["charSearch_ms"] = sum.characters;
    state.counters["arrangeSearch_ms"] = sum.arrangement;
    state.counters["refine_ms"] = sum.refinement;
}

vxTestImage yearScene() {
    std::mt19937 random(2024);
    const double angle = std::uniform_real_distribution<double>(-180.0, 180.0)(random);
    return render(vfLayoutLine("1986", {320, 240}, vxRadian(vxDegree(angle)), style()));
}

void BM_ArrangeYear(benchmark::State& state) { runArrange(state, yearScene(), "1986"); }

// The same recording every diagnostic record (input, intermediate, results).
void BM_ArrangeYearRecorded(benchmark::State& state) {
    runArrange(state, yearScene(), "1986",
               vxDiagObject::eInput | vxDiagObject::eIntermediate | vxDiagObject::eResults);
}

// The same year on a 2448 x 2048 image, as industrial cameras give: the character
// search covers 16 times the pixels, most of them bare paper.
vxTestImage year5MPScene() {
    std::mt19937 random(2024);
    const double angle = std::uniform_real_distribution<double>(-180.0, 180.0)(random);
    vxTestScene scene;
    scene.width = 2448;
    scene.height = 2048;
    scene.blurSigma = 0.7;
    scene.noiseSigma = 3.0;
    return vfRenderTestImage(scene,
                             vfLayoutLine("1986", {1500, 900}, vxRadian(vxDegree(angle)), style()));
}

void BM_ArrangeYear5MP(benchmark::State& state) { runArrange(state, year5MPScene(), "1986"); }

vxTestImage twoLinesScene() {
    std::vector<vxTestCharPlacement> p =
        vfLayoutLine("A012345E68", {320, 180}, vxRadian(vxDegree(8)), style());
    const std::vector<vxTestCharPlacement> second =
        vfLayoutLine("9E8A654321", {330, 300}, vxRadian(vxDegree(8)), style());
    p.insert(p.end(), second.begin(), second.end());
    return render(p);
}

void BM_ArrangeTwoLines(benchmark::State& state) {
    runArrange(state, twoLinesScene(), "A012345E689E8A654321");
}

// The arrangement search alone, on four lines of twelve characters (the characters
// are searched once, before timing): long targets must stay fast.
void BM_SearchArrangementFourLines(benchmark::State& state) {
    const char* rows[] = {"A012345E6893", "9E8A65432108", "5544332211AE", "E9876543210A"};
    std::vector<vxTestCharPlacement> p;
    std::string target;
    for (int row = 0; row < 4; ++row) {
        const std::vector<vxTestCharPlacement> line =
            vfLayoutLine(rows[row], {320, 90.0 + 100.0 * row}, vxRadian(vxDegree(5)), style());
        p.insert(p.end(), line.begin(), line.end());
        target += rows[row];
    }
    const vxTestImage scene = render(p);
    const std::vector<long> keys(target.begin(), target.end());
    vxOCArrangeParams params;
    params.timeout(1e6); // every character found, whatever the load
    const vxPtrHandle_const<vxOCAlphabet>& alphabet = strokeAlphabet();
    std::vector<vx_ArrangePositionInfo> info = positionInfo(keys);
    std::vector<std::vector<vx_Pose>> poses;
    std::vector<std::vector<double>> scores;
    double finderTime = 0.0;
    vf_SearchCharacters(scene.image, vxPelBuffer_const<unsigned char>(), alphabet, keys, params,
                        poses, scores, info, &finderTime);
    vx_ArrangeCandidate best;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            vf_SearchArrangement(scene.image, *alphabet, keys, info, poses, scores, params, best));
    }
    state.counters["lines"] = best.numLines();
}

// Verification of the same scenes: the arrange call and the judging of every position.
void runVerify(benchmark::State& state, const vxTestImage& scene, const std::string& target) {
    const std::vector<long> keys(target.begin(), target.end());
    const vxOCArrangeParams params;
    const vxOCVerifyParams verifyParams;
    const vxOCAlphabet& alphabet = *strokeAlphabet();
    vxOCVerifyResults results;
    for (auto _ : state) {
        vfOCVerify(scene.image, alphabet, keys, params, verifyParams, results);
        benchmark::DoNotOptimize(results);
    }
    state.counters["passed"] = static_cast<double>(std::count(
        results.verdicts().begin(), results.verdicts().end(), vxOCVerifyDefs::ePass));
}

void BM_VerifyYear(benchmark::State& state) { runVerify(state, yearScene(), "1986"); }

void BM_VerifyTwoLines(benchmark::State& state) {
    runVerify(state, twoLinesScene(), "A012345E689E8A654321");
}

void BM_ArrangeCircular(benchmark::State& state) {
    const vxTestImage scene = render(vfLayoutArc("A0123456E89A", {320, 240}, 170.0,
                                                 vxRadian(-std::numbers::pi / 2), true, style()));
    runArrange(state, scene, "A0123456E89A");
}

} // namespace

BENCHMARK(BM_ArrangeYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrangeYearRecorded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrangeYear5MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrangeTwoLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrangeCircular)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchArrangementFourLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyTwoLines)->Unit(benchmark::kMillisecond);
