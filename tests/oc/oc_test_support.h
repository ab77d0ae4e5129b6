// Shared by the module's tests: exception checks with their messages and models of
// rendered stroke-font characters.
#pragma once

#include "vxOCModel.h"
#include "vxTestScene.h"

#include <gtest/gtest.h>

#include <string>

namespace oc_test {

// Calls f and expects an E carrying `message`.
template <class E, class F> void expectThrows(F f, const wchar_t* message) {
    try {
        f();
        ADD_FAILURE() << "no exception";
    } catch (const E& e) {
        EXPECT_EQ(e.message(), message);
    }
}

// A normal model of a stroke-font character keyed by its code, rendered at `size`
// pixels cap height with a light blur and a 2-pixel margin; its image area is the whole
// image, whose client frame is its pixel frame.
inline vxPtrHandle_const<vxOCModel> glyphModel(char code, double size = 34.0) {
    vxTestScene look;
    look.blurSigma = 0.7;
    const vxTestImage r = vfRenderTestChar(code, size, look, 2);
    return vxPtrHandle_const<vxOCModel>(new vxOCModel(
        code, r.image, r.image.window(), vxOCModel::eNormal, std::wstring(1, wchar_t(code)), L""));
}

} // namespace oc_test
