// Shared by the finder tests: white-box access to the finder's private state, an
// alphabet of rendered characters and a ring-shaped character.
#pragma once

#include "vxTestScene.h"
#include "vx_OCExtract.h"

#include <string>
#include <vector>

struct vx_OCExtractPeer {
    using Handle = vx_OCExtractStringResult::Handle;

    // A char result holding instances of the given scores over unit squares.
    static Handle charResult(const std::vector<double>& scores, long occurrences) {
        Handle r(new vx_OCExtractCharResult);
        for (std::size_t k = 0; k < scores.size(); ++k)
            r->append_(vx_OCExtractCharInstance(
                scores[k], vxXform<2>(vxMatrix<2>(), vxVector<2>(double(k), 0.0)),
                vxAffineRectangle()));
        r->numOccurrences_ = occurrences;
        r->found_ = !scores.empty();
        return r;
    }

    // Training alone (search's first steps), with the model's state to inspect.
    static void train(vx_OCExtractModel& m, const vxPtrHandle_const<vxOCAlphabet>& alphabet,
                      const std::vector<long>& keys, const vx_OCExtractModelParams& params = {}) {
        vx_OCExtractStringResult result;
        m.init();
        m.params_ = params;
        m.train_(alphabet, keys, result, nullptr, 0);
    }
    static const std::vector<long>& keys(const vx_OCExtractModel& m) { return m.keys_; }
    static const std::vector<long>& occurrences(const vx_OCExtractModel& m) {
        return m.occurrences_;
    }
    static const std::vector<long>& searchOrder(const vx_OCExtractModel& m) {
        return m.searchOrder_;
    }
    static const vxKSAlignPattern* pattern(const vx_OCExtractModel& m, std::size_t i) {
        return m.patterns_[i];
    }
    static vx_OCExtractDefs::Symmetry symmetry(const vx_OCExtractModel& m, std::size_t i) {
        return m.symmetries_[i];
    }
    static const vxXform<2>& rot180Pose(const vx_OCExtractModel& m, std::size_t i) {
        return m.rot180Poses_[i];
    }
};

namespace finder_test {

// A normal model of a rendered stroke-font character keyed by its code; its image area
// is the whole rendered image (the cell with a 4-pixel margin), centred on the cell.
// strokeWidth is in pixels (0: the font's default, 0.12 em).
inline vxPtrHandle_const<vxOCModel> charModel(char code, double size = 32.0,
                                              double strokeWidth = 0.0) {
    const vxTestImage img = vfRenderTestChar(code, size, vxTestScene(), 4, strokeWidth);
    return vxPtrHandle_const<vxOCModel>(new vxOCModel(code, img.image, img.image.window(),
                                                      vxOCModel::eNormal,
                                                      std::wstring(1, wchar_t(code)), L""));
}

inline vxPtrHandle_const<vxOCAlphabet>
alphabetOf(const std::string& codes, double size = 32.0,
           std::vector<vxPtrHandle_const<vxOCModel>> more = {}) {
    for (char c : codes)
        more.push_back(charModel(c, size));
    return vxPtrHandle_const<vxOCAlphabet>(new vxOCAlphabet(more, 0.5, false, L"test"));
}

// A dark anti-aliased ring (outer radius r, stroke w) centred in a light square image.
inline vxPelBuffer<unsigned char> ringImage(double r, double w, long side) {
    vxPelBuffer<unsigned char> img(side, side);
    const double c = 0.5 * side;
    for (long y = 0; y < side; ++y)
        for (long x = 0; x < side; ++x) {
            const double d = std::hypot(x + 0.5 - c, y + 0.5 - c);
            const double ink = std::clamp(std::min(r - d, d - (r - w)) + 0.5, 0.0, 1.0);
            *img.pointToPel(x, y) = static_cast<unsigned char>(std::lround(200.0 - 160.0 * ink));
        }
    return img;
}

inline std::vector<long> keysOf(const std::string& codes) {
    return std::vector<long>(codes.begin(), codes.end());
}

} // namespace finder_test
