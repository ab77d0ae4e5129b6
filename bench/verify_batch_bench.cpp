// Batch verification as `octool verify --images --jobs N` runs it: the tool's batch
// runner over 32 images in memory (eight stamps, four times each, so that the last
// image's wait does not dominate as it would in a batch of eight), one shared compiled
// alphabet, on 1 and 2 threads. Reports images per second (items_per_second);
// wall-clock time, since the work happens on the runner's threads.
#include "bench_alphabet.h"
#include "vxOCVerify.h"
#include "vxTestLayout.h"
#include "vxToolBatch.h"

#include <benchmark/benchmark.h>

namespace {

struct Stamp {
    vxTestImage scene;
    std::vector<long> keys;
};

// Dates in different places and turns, one with a wrong character; 320 x 160 pixels.
const std::vector<Stamp>& stamps() {
    static const std::vector<Stamp> all = [] {
        std::vector<Stamp> out;
        const char* const texts[] = {"1986", "2024", "0615", "8E31", "4090", "A752", "3318", "6029"};
        for (int k = 0; k < 8; ++k) {
            vxTestScene look;
            look.width = 320;
            look.height = 160;
            look.blurSigma = 0.7;
            look.noiseSigma = 3.0;
            look.seed = 100 + k;
            vxTestTextStyle style;
            style.size = kBenchCharSize;
            style.advance = 0.9 * kBenchCharSize;
            const std::string text = texts[k];
            Stamp s{vfRenderTestImage(look, vfLayoutLine(text, {150.0 + 4 * k, 80.0 - 2 * k},
                                                         vxRadian(vxDegree(4.0 * k - 14)), style)),
                    {text.begin(), text.end()}};
            if (k == 3) s.keys[1] = '8'; // an E printed where an 8 is expected
            out.push_back(std::move(s));
        }
        return out;
    }();
    return all;
}

void BM_VerifyBatch(benchmark::State& state) {
    const vxPtrHandle_const<vxOCAlphabet> alphabet = vfBenchStrokeAlphabet("0123456789AE");
    const std::vector<Stamp>& images = stamps();
    vxOCArrangeParams params;
    params.timeout(5000.0); // the same work whatever the load, so that 1 and 2 threads compare
    const vxOCVerifyParams verifyParams;
    constexpr std::size_t kBatch = 32;
    std::vector<vxOCVerifyResults> results(kBatch);
    const std::atomic<bool> stop{false};
    long passed = 0;
    for (auto _ : state) {
        vfToolRunBatch(
            kBatch, int(state.range(0)),
            [&](std::size_t i) {
                const Stamp& stamp = images[i % images.size()];
                vfOCVerify(stamp.scene.image, *alphabet, stamp.keys, params, verifyParams, results[i]);
            },
            [&](std::size_t i) { passed += results[i].isPass(); }, stop);
    }
    state.SetItemsProcessed(state.iterations() * long(kBatch));
    state.counters["passedPerBatch"] = double(passed) / double(state.iterations());
}

} // namespace

BENCHMARK(BM_VerifyBatch)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
