// Teaches four digits drawn from a 5x7 bitmap font, compiles the alphabet, then
// arranges and verifies "2017" printed with the same font. Exits 0 when every position
// is matched and passes.
#include "vxOCAlphabet.h"
#include "vxOCArrange.h"
#include "vxOCVerify.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kScale = 4;                    // font pixels per bitmap cell
constexpr long kCellW = 32, kCellH = 40;     // a taught character's image
constexpr unsigned char kPaper = 220, kInk = 40;

struct Glyph {
    char name;
    const char* rows[7];
};
const Glyph kGlyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
};

const Glyph& glyph(char name) {
    for (const Glyph& g : kGlyphs)
        if (g.name == name) return g;
    throw std::runtime_error(std::string("no glyph ") + name);
}

// Draws the glyph with its centre at (cx, cy).
void draw(vxPelBuffer<unsigned char>& image, const Glyph& g, long cx, long cy) {
    const long x0 = cx - 5 * kScale / 2, y0 = cy - 7 * kScale / 2;
    for (long r = 0; r < 7 * kScale; ++r)
        for (long c = 0; c < 5 * kScale; ++c)
            if (g.rows[r / kScale][c / kScale] == '#') *image.pointToPel(x0 + c, y0 + r) = kInk;
}

vxPelBuffer<unsigned char> paper(long width, long height) {
    vxPelBuffer<unsigned char> image(width, height);
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x)
            *image.pointToPel(x, y) = kPaper;
    return image;
}

} // namespace

int main() {
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (const Glyph& g : kGlyphs) {
        vxPelBuffer<unsigned char> image = paper(kCellW, kCellH);
        draw(image, g, kCellW / 2, kCellH / 2);
        // The model's origin is its cell's centre.
        image.clientFromImageXform(vxXform<2>(vxMatrix<2>(), vxVector<2>(-kCellW / 2.0, -kCellH / 2.0)));
        models.emplace_back(new vxOCModel(g.name, image, vxPelRect(0, 0, kCellW, kCellH),
                                          vxOCModel::eNormal, std::wstring(1, g.name), L""));
    }
    const vxOCAlphabet alphabet(models, 0.5, true, L"bitmap digits");

    const std::string target = "2017";
    vxPelBuffer<unsigned char> scene = paper(200, 80);
    std::vector<long> keys;
    for (std::size_t i = 0; i < target.size(); ++i) {
        draw(scene, glyph(target[i]), 40 + 36 * static_cast<long>(i), 40);
        keys.push_back(target[i]);
    }

    vxOCArrangeParams params;
    params.maxLines(1);
    params.timeout(1000); // the default 10 ms a character is short for sanitizer builds
    vxOCVerifyResults results;
    vfOCVerify(scene, alphabet, keys, params, vxOCVerifyParams(), results);
    const vxOCArrangeResults& arranged = results.arrangeResults();
    int faults = arranged.isFound() ? 0 : 1;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const bool matched = arranged.statusFlags()[i] == vxOCArrangeDefs::eMatched;
        std::printf("%c: %s, score %.3f, %s\n", target[i], matched ? "matched" : "not matched",
                    arranged.scores()[i],
                    results.verdicts()[i] == vxOCVerifyDefs::ePass ? "pass" : "fail");
        if (!matched || results.verdicts()[i] != vxOCVerifyDefs::ePass) ++faults;
    }
    std::printf("%s\n", faults == 0 && results.isPass() ? "PASS" : "FAIL");
    return faults == 0 && results.isPass() ? 0 : 1;
}
