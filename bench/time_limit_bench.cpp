// How closely the module keeps its time limits: by how much one character's search
// overruns the finder's per-character limit on a 16-Mpixel image, and how long a
// running arrange call on a crowded image takes to answer an abort request raised by
// another thread. Both are reported as counters (milliseconds); the wall time of each
// benchmark is of no interest.
#include "bench_alphabet.h"
#include "vxAttention.h"
#include "vxOCArrange.h"
#include "vxTestLayout.h"
#include "vx_OCExtract.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace {

constexpr double kSize = kBenchCharSize;

vxPtrHandle_const<vxOCAlphabet> digits() {
    static const vxPtrHandle_const<vxOCAlphabet> alphabet = vfBenchStrokeAlphabet("0123456789");
    return alphabet;
}

// `count` digits at random places, angles and scales on a width x height image.
vxPelBuffer<unsigned char> crowded(long width, long height, int count) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(20.0, width - 20.0), y(20.0, height - 20.0),
        angle(-3.14, 3.14), scale(0.9, 1.1);
    std::vector<vxTestCharPlacement> placements;
    for (int i = 0; i < count; ++i) {
        vxTestCharPlacement p;
        p.code = static_cast<char>('0' + i % 10);
        p.x = x(random);
        p.y = y(random);
        p.angle = vxRadian(angle(random));
        p.scale = scale(random);
        p.size = kSize;
        placements.push_back(p);
    }
    vxTestScene scene;
    scene.width = width;
    scene.height = height;
    scene.noiseSigma = 3.0;
    return vfRenderTestImage(scene, placements).image;
}


// Ten distinct characters searched under a 5 ms limit each on a 4000 x 4000 image;
// worst and mean overrun of a character's own time over its limit.
void BM_CharacterLimitOverrun16MP(benchmark::State& state) {
    static const vxPelBuffer<unsigned char> image = crowded(4000, 4000, 400);
    const std::vector<long> keys = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    vx_OCExtractModelParams model;
    model.angleRange = vxRange(-179.0, 180.0);
    model.scaleRange = vxRange(0.9, 1.1);
    model.grainLimits = {-1.0, -1.0};
    vx_OCExtractRunParams run;
    run.timeout = 5.0;
    run.acceptThreshold = 0.5;
    double worst = 0.0, sum = 0.0;
    long count = 0;
    for (auto _ : state) {
        vx_OCExtractModel finder;
        vx_OCExtractStringResult result;
        finder.search(digits(), keys, image, vxPelBuffer_const<unsigned char>(), model, run,
                      result, nullptr, 0);
        for (const auto& r : result.uniqueCharResults()) {
            worst = std::max(worst, r->time() - run.timeout);
            sum += r->time() - run.timeout;
            ++count;
        }
    }
    state.counters["worst_overrun_ms"] = worst;
    state.counters["mean_overrun_ms"] = count ? sum / count : 0.0;
}
BENCHMARK(BM_CharacterLimitOverrun16MP)->Unit(benchmark::kMillisecond)->Iterations(2);

// An arrange call on a 640 x 480 image crowded with 150 digits, asked from another
// thread to stop after `state.range(0)` milliseconds: the time from the request to the
// call's return. With state.range(1) the target repeats two digits five times each, so
// every position has many instances and the arrangement search many candidates.
void BM_AbortLatencyCrowded(benchmark::State& state) {
    static const vxPelBuffer<unsigned char> image = crowded(640, 480, 150);
    const std::string target = state.range(1) ? "0000011111" : "0123456789";
    const std::vector<long> keys(target.begin(), target.end());
    vxOCArrangeParams params;
    params.timeout(5.0);
    double worst = 0.0;
    for (auto _ : state) {
        const vxAttention::Token token = vxAttention::current();
        token.clearAbort();
        std::chrono::steady_clock::time_point raised;
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
            raised = std::chrono::steady_clock::now();
            token.requestAbort();
        });
        vxOCArrangeResults results;
        try {
            vfOCArrange(image, *digits(), keys, params, results);
        } catch (const vxAttention::Aborted&) {
        }
        const auto returned = std::chrono::steady_clock::now();
        stopper.join();
        token.clearAbort();
        worst = std::max(worst, std::chrono::duration<double, std::milli>(returned - raised).count());
    }
    state.counters["worst_latency_ms"] = worst;
}
BENCHMARK(BM_AbortLatencyCrowded)->Unit(benchmark::kMillisecond)->ArgsProduct({benchmark::CreateDenseRange(10, 80, 10), {0, 1}})
    ->Iterations(3);

// The crowded arrange call under a 5 ms limit per character: its whole time.
void BM_ArrangeCrowdedUnderLimits(benchmark::State& state) {
    static const vxPelBuffer<unsigned char> image = crowded(640, 480, 150);
    const std::vector<long> keys = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    vxOCArrangeParams params;
    params.timeout(5.0);
    for (auto _ : state) {
        vxOCArrangeResults results;
        vfOCArrange(image, *digits(), keys, params, results);
        benchmark::DoNotOptimize(results);
    }
}
BENCHMARK(BM_ArrangeCrowdedUnderLimits)->Unit(benchmark::kMillisecond);

} // namespace
