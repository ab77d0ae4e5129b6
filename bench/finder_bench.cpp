// The arranger's character search: a 10-character target with 7 distinct keys on a
// turned, slightly scaled line of a 640 x 480 image, default arrange parameters (a
// 10 ms limit per character run). The timed loop is vf_SearchCharacters, training
// included; the counters split the time into training and search (from the finder's
// own timers, measured alongside outside the timed region) and say how often every
// character's run finished and how many positions (of 10) had their true instance
// among their candidates. The
// limit is on the wall clock, so a busy machine cuts runs short; the second benchmark
// lifts it to show what a complete search costs.
#include "vxTestLayout.h"
#include "vx_OCExtract.h"
#include "vx_OCSearchCharacters.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const std::string kTarget = "20260538S6";

struct Setup {
    vxPtrHandle_const<vxOCAlphabet> alphabet;
    vxTestImage scene;
    std::vector<long> keys;
    vxVector<2> modelCentre;
};

const Setup& setup() {
    static const Setup s = [] {
        Setup s;
        std::vector<vxPtrHandle_const<vxOCModel>> models;
        for (char c : std::string("0123456789S")) {
            const vxTestImage img = vfRenderTestChar(c, 32.0, vxTestScene(), 4);
            models.emplace_back(new vxOCModel(c, img.image, img.image.window(), vxOCModel::eNormal,
                                              std::wstring(1, wchar_t(c)), L""));
            s.modelCentre = img.truth[0].center;
        }
        s.alphabet =
            vxPtrHandle_const<vxOCAlphabet>(new vxOCAlphabet(models, 0.5, false, L"bench"));
        vxTestTextStyle style;
        style.size = 32.0;
        style.scale = 1.03;
        vxTestScene look;
        look.noiseSigma = 4.0;
        look.blurSigma = 0.6;
        s.scene = vfRenderTestImage(
            look, vfLayoutLine(kTarget, vxVector<2>(320, 240), vxRadian(vxDegree(12.0)), style));
        s.keys.assign(kTarget.begin(), kTarget.end());
        return s;
    }();
    return s;
}

void searchCharacters(benchmark::State& state, const vxOCArrangeParams& params) {
    const Setup& s = setup();
    double trainMs = 0.0, searchMs = 0.0, completed = 0.0, trueFound = 0.0;
    long runs = 0;
    for (auto _ : state) {
        std::vector<std::vector<vx_Pose>> poses;
        std::vector<std::vector<double>> scores;
        std::vector<vx_ArrangePositionInfo> info(kTarget.size());
        double total = 0.0;
        const bool done =
            vf_SearchCharacters(s.scene.image, vxPelBuffer_const<unsigned char>(), s.alphabet,
                                s.keys, params, poses, scores, info, &total);
        benchmark::DoNotOptimize(done);

        state.PauseTiming();
        ++runs;
        completed += done ? 1.0 : 0.0;
        for (std::size_t j = 0; j < kTarget.size(); ++j)
            for (int k = 0; k < info[j].candidateCount(); ++k)
                if ((poses[j][k].xform().mapPoint(s.modelCentre) - s.scene.truth[j].center)
                        .length() < 1.0) {
                    trueFound += 1.0;
                    break;
                }
        vx_OCExtractModelParams modelParams;
        modelParams.angleRange = vxRange(-179.0, 180.0);
        modelParams.scaleRange = params.scaleRange();
        vx_OCExtractRunParams runParams;
        runParams.timeout = params.timeout();
        runParams.acceptThreshold = params.minMatchScore();
        vx_OCExtractModel finder;
        vx_OCExtractStringResult result;
        finder.search(s.alphabet, s.keys, s.scene.image, vxPelBuffer_const<unsigned char>(),
                      modelParams, runParams, result);
        trainMs += result.trainTime();
        searchMs += result.searchTime();
        state.ResumeTiming();
    }
    state.counters["train_ms"] = trainMs / runs;
    state.counters["search_ms"] = searchMs / runs;
    state.counters["completed"] = completed / runs;
    state.counters["true_found"] = trueFound / runs;
}
void BM_SearchCharacters10(benchmark::State& state) {
    searchCharacters(state, vxOCArrangeParams());
}
BENCHMARK(BM_SearchCharacters10)->Unit(benchmark::kMillisecond);

// The same without a practical time limit: what a complete search costs.
void BM_SearchCharacters10NoLimit(benchmark::State& state) {
    vxOCArrangeParams params;
    params.timeout(1e6);
    searchCharacters(state, params);
}
BENCHMARK(BM_SearchCharacters10NoLimit)->Unit(benchmark::kMillisecond);

} // namespace
