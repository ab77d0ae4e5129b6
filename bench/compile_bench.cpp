// Alphabet compilation: the 36 characters 0-9 and A-Z of the stroke font (about
// 32 x 52 pixels each), 1,260 sub-model runs per compilation.
#include "vxOCAlphabet.h"
#include "vxTestScene.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::vector<vxPtrHandle_const<vxOCModel>> renderedAlphabet() {
    vxTestScene look;
    look.blurSigma = 0.7;
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (char c : std::string("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")) {
        const vxTestImage r = vfRenderTestChar(c, 34.0, look, 2);
        models.emplace_back(new vxOCModel(c, r.image, r.image.window(), vxOCModel::eNormal,
                                          std::wstring(1, wchar_t(c)), L""));
    }
    return models;
}

void BM_CompileAlphabet36(benchmark::State& state) {
    const auto models = renderedAlphabet();
    for (auto _ : state) {
        vxOCAlphabet alphabet(models, 0.5, false, L"");
        alphabet.compile();
        benchmark::DoNotOptimize(alphabet.isCompiled());
    }
}
// Rows run on worker threads, so the time that counts is the wall clock.
BENCHMARK(BM_CompileAlphabet36)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
