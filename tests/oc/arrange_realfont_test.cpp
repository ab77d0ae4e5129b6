// The arranger on characters of two real fonts and the generated one: each font is
// taught from its sample sheet; every character must then find itself on that sheet,
// and every case image of a real font is arranged and the share of positions found
// correctly compared with a floor a little under what the arranger reaches today.
//
// A position is correct when it holds a printed character (present, or crossed by an
// occluding band) and the arrangement puts its centre within 2 pixels of the truth, or
// when its character is missing or wrong and the position is not eMatched.
#include "vxDiagObject.h"
#include "vxOCArrange.h"
#include "vxOCVerify.h"
#include "vxPgm.h"
#include "vxTestFont.h"
#include "vxTestScene.h"
#include "vx_OCExtract.h"
#include "../json_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
const fs::path kData = OC_REALFONT_DIR;

// ---- Teaching ----

// A sample sheet: one image and each character's cell on it.
struct Sheet {
    vxPelBuffer<unsigned char> image;
    struct Cell {
        long key;
        std::string name;
        vxPelRect rect;
    };
    std::vector<Cell> cells;
};

// A real font's sheet, as its manifest describes it (one sheet image per font).
Sheet realFontSheet(const std::string& font) {
    const fs::path dir = kData / "teach" / font;
    std::ifstream manifest(dir / "manifest.txt");
    Sheet sheet;
    long key = 0, x = 0, y = 0, w = 0, h = 0;
    std::string name, file;
    while (manifest >> key >> name >> file >> x >> y >> w >> h) {
        if (!sheet.image.isBound()) sheet.image = vfReadPgm((dir / file).string());
        sheet.cells.push_back({key, name, vxPelRect(x, y, w, h)});
    }
    return sheet;
}

// The generated stroke font's digits and capitals, in cells with a small margin, ten
// to a row.
Sheet generatedSheet() {
    const std::string chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    constexpr double size = 32.0;
    const long w = static_cast<long>(vxTestFont::cellWidth * size) + 8;
    const long h = static_cast<long>(vxTestFont::cellHeight * size) + 8;
    vxTestScene scene;
    scene.width = 20 + 10 * w;
    scene.height = 20 + 4 * h;
    Sheet sheet;
    std::vector<vxTestCharPlacement> placements;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const vxPelRect cell(10 + long(i % 10) * w, 10 + long(i / 10) * h, w, h);
        vxTestCharPlacement p;
        p.code = chars[i];
        p.size = size;
        p.x = cell.x() + 0.5 * w;
        p.y = cell.y() + 0.5 * h;
        placements.push_back(p);
        sheet.cells.push_back({chars[i], std::string(1, chars[i]), cell});
    }
    sheet.image = vfRenderTestImage(scene, placements).image;
    return sheet;
}

// The sheet windowed to a cell, with the client origin at the cell centre (where the
// truth places characters).
vxPelBuffer<unsigned char> cellImage(const Sheet& sheet, const Sheet::Cell& cell) {
    vxPelBuffer<unsigned char> image = sheet.image;
    image.window(cell.rect, false);
    image.clientFromImageXform(vxXform<2>(
        vxMatrix<2>(), -vxVector<2>(cell.rect.x() + 0.5 * cell.rect.width(),
                                    cell.rect.y() + 0.5 * cell.rect.height())));
    return image;
}

// One model per cell.
std::unique_ptr<vxOCAlphabet> teach(const Sheet& sheet, const std::string& font) {
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (const Sheet::Cell& cell : sheet.cells) {
        const vxPelBuffer<unsigned char> image = cellImage(sheet, cell);
        models.emplace_back(new vxOCModel(cell.key, image, image.window(), vxOCModel::eNormal,
                                          std::wstring(cell.name.begin(), cell.name.end()), L""));
    }
    return std::make_unique<vxOCAlphabet>(models, 0.5, true,
                                          std::wstring(font.begin(), font.end()));
}

// ---- Every character finds itself on its own sheet ----

// Each character that the finder can align (the edge-spread rule rejects some) is
// arranged alone on the sheet it was taught from: it must be matched, upright, at its
// cell's centre, with the score of a perfect match. Characters with little ink on
// noisy paper once scored 0.17 to 0.34 there, and in dense print the search once lost
// them among look-alikes.
void expectEveryCharacterFindsItself(const Sheet& sheet, const std::string& font) {
    const std::unique_ptr<vxOCAlphabet> alphabet = teach(sheet, font);
    vxOCArrangeParams params;
    params.timeout(2000.0);
    params.minMatchScore(0.0);
    int checked = 0, found = 0;
    double lowest = 1.0, farthest = 0.0;
    for (const Sheet::Cell& cell : sheet.cells) {
        SCOPED_TRACE(testing::Message() << font << " " << cell.name);
        double spread = 0.0;
        if (vf_IsUnsuitableForAlignment_(cellImage(sheet, cell), &spread)) continue;
        ++checked;
        vxOCArrangeResults r;
        vfOCArrange(sheet.image, *alphabet, {cell.key}, params, r);
        ASSERT_EQ(r.statusFlags()[0], vxOCArrangeDefs::eMatched);
        EXPECT_GE(r.scores()[0], 0.95);
        const vxOCLineArrangement& arrangement = *r.arrangement();
        const vx2Rigid pose = arrangement.linePoses()[0] * arrangement.lines()[0]->charPoses()[0];
        const vxVector<2> centre = r.clientFromArrangementXform() * pose.trans();
        const vxVector<2> truth(cell.rect.x() + 0.5 * cell.rect.width(),
                                cell.rect.y() + 0.5 * cell.rect.height());
        EXPECT_LT((centre - truth).length(), 0.5);
        EXPECT_LT(std::abs(pose.angle().signedNorm().plain()), 0.02);
        found += r.scores()[0] >= 0.95 && (centre - truth).length() < 0.5;
        lowest = std::min(lowest, r.scores()[0]);
        farthest = std::max(farthest, (centre - truth).length());
    }
    std::printf("%s: %d of %d alignable characters find themselves (of %zu); lowest score %.3f, "
                "farthest centre %.3f px\n",
                font.c_str(), found, checked, sheet.cells.size(), lowest, farthest);
    EXPECT_GE(checked, 25) << font; // most characters can be aligned
}

TEST(ArrangeRealFont, EveryCharacterFindsItselfOnItsOwnSheet) {
    expectEveryCharacterFindsItself(generatedSheet(), "generated");
    if (!fs::exists(kData / "truth.json")) GTEST_SKIP() << "no real-font data at " << kData;
    for (const std::string font : {"freemono", "libmono"})
        expectEveryCharacterFindsItself(realFontSheet(font), font);
}

// ---- Scoring ----

// A case of the truth file: its image, target and parameters, with a time limit long
// enough that the outcome does not depend on the machine's load.
struct Case {
    vxPelBuffer<unsigned char> image;
    std::vector<long> keys;
    vxOCArrangeParams params;

    explicit Case(const Json& c) : image(vfReadPgm((kData / c["image"].str()).string())) {
        const std::string& target = c["target"].str();
        keys.assign(target.begin(), target.end());
        params.timeout(2000.0);
        for (const auto& [name, value] : c["params"].members())
            if (name == "maxLines") params.maxLines(std::stoi(value.str()));
    }
};

// The truth file's cases.
Json truthCases() {
    std::ifstream in(kData / "truth.json");
    std::stringstream text;
    text << in.rdbuf();
    return parseJson(text.str());
}

struct Tally {
    int correct = 0;
    int total = 0;
    double share() const { return total ? double(correct) / total : 0.0; }
};

// Arranges one case and adds its positions to the font's tally and its kind's. With
// `recorded`, arranges it once more recording everything, which must not change a result.
void arrangeCase(const Json& c, const vxOCAlphabet& alphabet, Tally& font, Tally& kind,
                 bool recorded) {
    const Case k(c);
    const auto& [image, keys, params] = k;
    vxOCArrangeResults r;
    vfOCArrange(image, alphabet, keys, params, r);
    if (recorded) {
        vxDiagObject diag;
        vxOCArrangeResults withDiag;
        vfOCArrange(image, alphabet, keys, params, withDiag, &diag, 0x70000);
        EXPECT_EQ(withDiag, r) << c["image"].str();
        EXPECT_GT(diag.numRecords(), 0);
    }

    std::vector<vxVector<2>> centres;
    const vxOCLineArrangement& arrangement = *r.arrangement();
    for (long j = 0; j < arrangement.numLines(); ++j) {
        const vxOCLine& line = *arrangement.lines()[j];
        for (long k = 0; k < line.numPositions(); ++k)
            centres.push_back(r.clientFromArrangementXform() *
                              (arrangement.linePoses()[j] * line.charPoses()[k]).trans());
    }
    ASSERT_EQ(centres.size(), keys.size());

    const std::vector<Json>& positions = c["positions"].items();
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const Json& p = positions[i];
        const std::string& state = p["state"].str();
        bool correct;
        if (state == "absent" || state == "wrong") {
            correct = r.statusFlags()[i] != vxOCArrangeDefs::eMatched;
        } else {
            const vxVector<2> truth(p["x"].num(), p["y"].num());
            correct = r.statusFlags()[i] != vxOCArrangeDefs::eUnknown &&
                      (centres[i] - truth).length() <= 2.0;
        }
        font.correct += correct;
        kind.correct += correct;
        ++font.total;
        ++kind.total;
    }
}

TEST(ArrangeRealFont, SharesOfPositionsFoundAboveTheirFloors) {
    if (!fs::exists(kData / "truth.json")) GTEST_SKIP() << "no real-font data at " << kData;
    const Json cases = truthCases();

    // Floors a little under the shares measured last (freemono 94.0 %, libmono 92.4 %).
    // Most positions still lost are characters the finder cannot align (edges mostly
    // in one direction: "-", "/", and libmono's E, H, L, M, N, U) at a line's end, where
    // an unmatched position is a line of its own; and look-alikes printed in place of
    // the expected character, which score above the minimum match score.
    const std::map<std::string, double> floors = {{"libmono", 0.915}, {"freemono", 0.93}};
    for (const auto& [font, floor] : floors) {
        const std::unique_ptr<vxOCAlphabet> alphabet = teach(realFontSheet(font), font);
        Tally all;
        std::map<std::string, Tally> kinds;
        for (const Json& c : cases.items()) {
            if (c["font"].str() != font) continue;
            const std::string& kind = c["kind"].str();
            // The first case of each kind is arranged a second time, recorded.
            const bool first = kinds.count(kind) == 0;
            arrangeCase(c, *alphabet, all, kinds[kind], first);
        }
        std::printf("%s: %d of %d positions correct (%.1f %%)", font.c_str(), all.correct,
                    all.total, 100.0 * all.share());
        for (const auto& [kind, tally] : kinds)
            std::printf("; %s %.0f %%", kind.c_str(), 100.0 * tally.share());
        std::printf("\n");
        EXPECT_GE(all.share(), floor) << font;
    }
}

} // namespace

// ---- Verification ----

namespace {

struct VerifyTally {
    int defects = 0, defectsPassed = 0; // missing or wrong characters
    int printed = 0, printedPassed = 0; // present, unoccluded characters
};

void verifyCase(const Json& c, const vxOCAlphabet& alphabet, const vxOCVerifyParams& vp,
                VerifyTally& tally) {
    const Case k(c);
    vxOCVerifyResults r;
    vfOCVerify(k.image, alphabet, k.keys, k.params, vp, r);
    const std::vector<Json>& positions = c["positions"].items();
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const std::string& state = positions[i]["state"].str();
        const bool pass = r.verdicts()[i] == vxOCVerifyDefs::ePass;
        if (state == "absent" || state == "wrong") {
            ++tally.defects;
            tally.defectsPassed += pass;
        } else if (state == "present") {
            const vxVector<2> truth(positions[i]["x"].num(), positions[i]["y"].num());
            ++tally.printed;
            tally.printedPassed += pass && (r.poses()[i].trans() - truth).length() <= 2.0;
        }
    }
}

} // namespace

TEST(VerifyRealFont, NoDefectPassesAndPrintedCharactersDo) {
    if (!fs::exists(kData / "truth.json")) GTEST_SKIP() << "no real-font data at " << kData;
    const Json cases = truthCases();
    const vxOCVerifyParams vp;
    for (const std::string font : {"freemono", "libmono"}) {
        const std::unique_ptr<vxOCAlphabet> alphabet = teach(realFontSheet(font), font);
        VerifyTally t;
        for (const Json& c : cases.items())
            if (c["font"].str() == font) verifyCase(c, *alphabet, vp, t);
        std::printf("%s: %d of %d defects pass, %d of %d printed characters pass\n", font.c_str(),
                    t.defectsPassed, t.defects, t.printedPassed, t.printed);
        EXPECT_EQ(t.defectsPassed, 0) << font;
        // Measured 99.1 % (freemono) and 99.6 % (libmono); the printed characters that
        // still fail are in the degraded cases (low contrast, noise 10).
        EXPECT_GE(t.printedPassed, 0.99 * t.printed) << font;
    }
}
