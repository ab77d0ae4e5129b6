// The alphabet the module's benchmarks arrange with: stroke-font characters rendered
// at a cap height of 32 pixels, each model's client origin at its cell centre.
#pragma once

#include "vxOCAlphabet.h"
#include "vxTestScene.h"

#include <string>
#include <vector>

constexpr double kBenchCharSize = 32.0;

// A compiled alphabet of `chars`, keyed by their codes.
inline vxPtrHandle_const<vxOCAlphabet> vfBenchStrokeAlphabet(const std::string& chars) {
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (char c : chars) {
        vxTestImage img = vfRenderTestChar(c, kBenchCharSize, vxTestScene());
        img.image.clientFromImageXform(vxXform<2>(vxMatrix<2>(), -img.truth[0].center));
        models.emplace_back(new vxOCModel(c, img.image, img.image.window(), vxOCModel::eNormal,
                                          std::wstring(1, wchar_t(c)), L""));
    }
    return vxPtrHandle_const<vxOCAlphabet>(new vxOCAlphabet(models, 0.5, true, L"stroke"));
}
