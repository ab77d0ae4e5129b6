// octool: tries the module from the command line. Its `demo` subcommand teaches the
// ten digits from rendered samples, compiles and stores the alphabet, and arranges a
// few printed date stamps, printing what it found against where they were printed.
#include "vxArchive.h"
#include "vxOCAlphabet.h"
#include "vxOCArrange.h"
#include "vxOCArrangeResults.h"
#include "vxOCLine.h"
#include "vxTestLayout.h"
#include "vxTestScene.h"

#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kCharSize = 40.0; // cap height of the taught characters, in pixels

// One model per character of `codes`, each from its own rendered sample, keyed by its
// code; a model's client origin is its cell centre.
vxOCAlphabet teachDigits(const std::string& codes) {
    vxTestScene look;
    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (char c : codes) {
        vxTestImage sample = vfRenderTestChar(c, kCharSize, look);
        sample.image.clientFromImageXform(vxXform<2>(vxMatrix<2>(), -sample.truth[0].center));
        models.emplace_back(new vxOCModel(c, sample.image, sample.image.window(),
                                          vxOCModel::eNormal, std::wstring(1, wchar_t(c)), L""));
    }
    vxOCAlphabet alphabet(models, 0.5, false, L"digits");
    alphabet.compile(nullptr, 0);
    return alphabet;
}

// Stores the alphabet in a file and loads it back, as an application would.
vxOCAlphabet storeAndReload(const vxOCAlphabet& alphabet, const char* path) {
    {
        vxArchive out;
        vxOCAlphabet copy(alphabet);
        out || copy;
        std::ofstream file(path, std::ios::binary);
        out.writeTo(file);
        std::wcout << L"alphabet of " << alphabet.numChars() << L" characters stored in " << path
                   << L" (" << out.bytes().size() << L" bytes)\n";
    }
    std::ifstream file(path, std::ios::binary);
    vxArchive in(file);
    vxOCAlphabet loaded;
    in || loaded;
    return loaded;
}

const wchar_t* statusName(vxOCArrangeDefs::CharStatus s) {
    switch (s) {
    case vxOCArrangeDefs::eMatched:
        return L"matched ";
    case vxOCArrangeDefs::eInferred:
        return L"inferred";
    default:
        return L"unknown ";
    }
}

// Renders `printed` along a turned line, arranges `target` in it and prints each
// position: status, score, where it was found and where it was printed.
void arrangeStamp(const vxOCAlphabet& alphabet, const std::string& title, const std::string& target,
                  const std::string& printed, double angleDeg, double scale) {
    vxTestTextStyle style;
    style.size = kCharSize;
    style.scale = scale;
    vxTestScene scene;
    scene.blurSigma = 0.8;
    scene.noiseSigma = 4.0;
    std::vector<vxTestCharPlacement> placements =
        vfLayoutLine(printed, vxVector<2>(320, 240), vxRadian(vxDegree(angleDeg)), style);
    // A space in the print leaves its place empty.
    std::vector<vxTestCharPlacement> inked;
    std::vector<vxVector<2>> printedAt;
    for (const vxTestCharPlacement& p : placements) {
        printedAt.emplace_back(p.x, p.y);
        if (p.code != ' ') inked.push_back(p);
    }
    const vxTestImage stamp = vfRenderTestImage(scene, inked);

    vxOCArrangeParams params;
    params.timeout(1000.0); // per character; generous so that a busy machine still finishes
    vxOCArrangeResults results;
    const std::vector<long> keys(target.begin(), target.end());
    vfOCArrange(stamp.image, alphabet, keys, params, results);

    std::wcout << L"\n"
               << std::wstring(title.begin(), title.end()) << L": target \""
               << std::wstring(target.begin(), target.end()) << L"\", printed \""
               << std::wstring(printed.begin(), printed.end()) << L"\" at " << std::defaultfloat
               << std::setprecision(6) << angleDeg << L" degrees, scale " << scale << L"\n";
    std::wcout << L"  found: " << (results.isFound() ? L"yes" : L"no")
               << (results.isSearchTruncated() ? L" (search truncated)" : L"") << L"\n";
    // Lines hold the positions in target order; their poses lead to client coordinates.
    std::vector<vxVector<2>> foundAt;
    if (results.arrangement()) {
        const vxOCLineArrangement& arrangement = *results.arrangement();
        for (long l = 0; l < arrangement.numLines(); ++l) {
            const vxXform<2> clientFromLine =
                results.clientFromArrangementXform() * arrangement.linePoses()[l].linear();
            for (const vx2Rigid& pose : arrangement.lines()[l]->charPoses())
                foundAt.push_back(clientFromLine.mapPoint(pose.trans()));
        }
    }
    std::wcout << std::fixed << std::setprecision(2);
    for (size_t i = 0; i < keys.size(); ++i) {
        std::wcout << L"  " << i << L" '" << wchar_t(keys[i]) << L"'  "
                   << statusName(results.statusFlags()[i]) << L"  score " << results.scores()[i];
        if (i < foundAt.size())
            std::wcout << L"  at (" << foundAt[i].x() << L", " << foundAt[i].y() << L")";
        if (i < printedAt.size())
            std::wcout << L"  printed at (" << printedAt[i].x() << L", " << printedAt[i].y()
                       << L")";
        std::wcout << L"\n";
    }
    std::wcout.unsetf(std::ios::floatfield);
}

int demo() {
    const vxOCAlphabet taught = teachDigits("0123456789");
    const vxOCAlphabet alphabet = storeAndReload(taught, "demo_alphabet.oca");
    std::wcout << L"reloaded alphabet equals the taught one: "
               << (alphabet == taught ? L"yes" : L"no") << L"\n";
    arrangeStamp(alphabet, "A year on a turned stamp", "2026", "2026", 23.0, 1.05);
    arrangeStamp(alphabet, "A date upside down", "061226", "061226", 180.0, 0.95);
    arrangeStamp(alphabet, "A digit missing from the print", "2026", "20 6", -12.0, 1.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 2 && std::strcmp(argv[1], "demo") == 0) return demo();
        std::wcerr << L"usage: octool demo\n";
        return 2;
    } catch (const std::exception& e) {
        std::wcerr << L"octool: " << e.what() << L"\n";
        return 1;
    }
}
