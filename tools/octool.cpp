// octool: tries the module from the command line. For now it has one subcommand,
// `demo`, which draws a few characters, builds character models from them, stores
// the models in an archive file and loads them back.
#include "vxArchive.h"
#include "vxOCModel.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr long kCell = 24; // side of one character cell in the sample image

// Fills the rectangle (x, y, w, h) of the buffer with dark ink.
void ink(const vxPelBuffer<unsigned char>& img, long x, long y, long w, long h) {
    for (long r = y; r < y + h; ++r)
        for (long c = x; c < x + w; ++c)
            *img.pointToPel(c, r) = 20;
}

// A light sample sheet with the block letters I, L, T and H side by side.
vxPelBuffer<unsigned char> drawSampleSheet() {
    vxPelBuffer<unsigned char> sheet(4 * kCell, kCell);
    for (long r = 0; r < kCell; ++r)
        for (long c = 0; c < 4 * kCell; ++c)
            *sheet.pointToPel(c, r) = 230;
    ink(sheet, 10, 4, 4, 16);             // I
    ink(sheet, kCell + 6, 4, 4, 16);      // L: stem
    ink(sheet, kCell + 6, 16, 12, 4);     //    foot
    ink(sheet, 2 * kCell + 4, 4, 16, 4);  // T: bar
    ink(sheet, 2 * kCell + 10, 4, 4, 16); //    stem
    ink(sheet, 3 * kCell + 5, 4, 4, 16);  // H: left
    ink(sheet, 3 * kCell + 15, 4, 4, 16); //    right
    ink(sheet, 3 * kCell + 5, 10, 14, 4); //    bar
    return sheet;
}

int demo() {
    const vxPelBuffer<unsigned char> sheet = drawSampleSheet();
    const wchar_t names[] = L"ILTH";
    std::vector<vxPtrHandle<vxOCModel>> models;
    for (long i = 0; i < 4; ++i) {
        vxPelBuffer_const<unsigned char> cell(sheet);
        cell.window(vxPelRect(i * kCell, 0, kCell, kCell), false);
        models.emplace_back(new vxOCModel(names[i], cell, vxPelRect(i * kCell + 2, 2, 20, 20),
                                          vxOCModel::eNormal, std::wstring(1, names[i]),
                                          L"block letter"));
    }
    models.emplace_back(new vxOCModel()); // a blank
    models.back()->key(' ');
    models.back()->name(L"space");

    const char* path = "demo_models.oca";
    {
        vxArchive out;
        out || models;
        std::ofstream file(path, std::ios::binary);
        out.writeTo(file);
        std::wcout << L"stored " << models.size() << L" models (" << out.bytes().size()
                   << L" bytes) in " << path << L"\n";
    }
    std::vector<vxPtrHandle<vxOCModel>> loaded;
    {
        std::ifstream file(path, std::ios::binary);
        vxArchive in(file);
        in || loaded;
    }
    bool same = loaded.size() == models.size();
    for (size_t i = 0; same && i < models.size(); ++i)
        same = *loaded[i] == *models[i];
    for (const auto& m : loaded) {
        const vxPelRect& a = m->imageArea();
        std::wcout << L"  key " << m->key() << L"  '" << m->name() << L"'  "
                   << (m->charType() == vxOCModel::eNormal ? L"normal" : L"blank ") << L"  area "
                   << a.width() << L"x" << a.height() << L" at (" << a.x() << L", " << a.y()
                   << L")\n";
    }
    std::wcout << L"loaded " << loaded.size() << L" models: "
               << (same ? L"identical" : L"DIFFERENT") << L"\n";
    return same ? 0 : 1;
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
