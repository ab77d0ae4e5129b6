// Reading teaching manifests and making character models from them.
#include "vxToolManifest.h"

#include "vxImageFile.h"
#include "vxToolArgs.h"
#include "vxToolText.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const char* const kLineForm = "expected KEY NAME IMAGE [X Y W H] [blank] [mask=MASKIMAGE]";

// Parses one non-empty manifest line's words into an entry.
vxToolManifestEntry parseLine(const std::vector<std::string>& words, const std::string& where) {
    if (words.size() < 3) throw vxToolError(where + kLineForm);
    vxToolManifestEntry e;
    e.key = vfToolParseLong(words[0], where + "KEY");
    e.name = vfToolFromUtf8(words[1], where + "NAME");
    e.image = words[2];
    std::size_t i = 3;
    // The area is four integers or nothing.
    std::size_t numbers = 0;
    while (i + numbers < words.size() && words[i + numbers] != "blank" &&
           words[i + numbers].compare(0, 5, "mask=") != 0)
        ++numbers;
    if (numbers != 0 && numbers != 4) throw vxToolError(where + kLineForm);
    if (numbers == 4) {
        long v[4];
        for (int k = 0; k < 4; ++k)
            v[k] = vfToolParseLong(words[i + k], where + "XYWH"[k]);
        if (v[2] <= 0 || v[3] <= 0)
            throw vxToolError(where + "the area's width and height must be positive");
        // Far beyond any image, and small enough that corner sums cannot overflow.
        constexpr long kLimit = 1L << 30;
        for (const long x : v)
            if (x < -kLimit || x > kLimit) throw vxToolError(where + "the area is out of range");
        e.hasArea = true;
        e.area = vxPelRect(v[0], v[1], v[2], v[3]);
        i += 4;
    }
    for (; i < words.size(); ++i) {
        if (words[i] == "blank" && !e.isBlank) {
            e.isBlank = true;
        } else if (words[i].compare(0, 5, "mask=") == 0 && words[i].size() > 5 && e.mask.empty()) {
            e.mask = words[i].substr(5);
        } else {
            throw vxToolError(where + "unexpected '" + words[i] + "'; " + kLineForm);
        }
    }
    return e;
}

} // namespace

std::vector<vxToolManifestEntry> vfToolReadManifest(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw vxToolError(path + ": cannot open the manifest");
    return vfToolParseManifest(file, path);
}

std::vector<vxToolManifestEntry> vfToolParseManifest(std::istream& file, const std::string& path) {
    std::vector<vxToolManifestEntry> entries;
    std::map<long, long> lineOfKey;
    std::map<std::wstring, long> lineOfName;
    std::string text;
    for (long number = 1; std::getline(file, text); ++number) {
        if (!text.empty() && text.back() == '\r') text.pop_back(); // written on Windows
        std::istringstream in(text);
        std::vector<std::string> words;
        for (std::string w; in >> w;)
            words.push_back(w);
        if (words.empty() || words[0][0] == '#') continue;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        vxToolManifestEntry e = parseLine(words, where);
        e.lineNumber = number;
        if (lineOfKey.count(e.key))
            throw vxToolError(where + "key " + words[0] + " is already used on line " +
                              std::to_string(lineOfKey[e.key]));
        if (lineOfName.count(e.name))
            throw vxToolError(where + "name '" + words[1] + "' is already used on line " +
                              std::to_string(lineOfName[e.name]));
        lineOfKey[e.key] = number;
        lineOfName[e.name] = number;
        entries.push_back(std::move(e));
    }
    if (file.bad()) throw vxToolError(path + ": cannot read the manifest");
    if (entries.empty()) throw vxToolError(path + ": the manifest names no characters");
    return entries;
}

vxPtrHandle_const<vxOCModel> vfToolMakeModel(long key, const std::wstring& name,
                                             vxPelBuffer<unsigned char> image,
                                             vxPelBuffer<unsigned char> mask, const vxPelRect* area,
                                             bool isBlank, const std::string& where) {
    const vxPelRect whole = image.window();
    const vxPelRect cell = area ? *area : whole;
    if (cell.x() < whole.x() || cell.y() < whole.y() || cell.lr().x() > whole.lr().x() ||
        cell.lr().y() > whole.lr().y())
        throw vxToolError(where + "the area lies outside the " + std::to_string(whole.width()) +
                          "x" + std::to_string(whole.height()) + " image");
    if (mask.isBound() && mask.window() != whole)
        throw vxToolError(where + "the mask is not the size of the image");
    image.window(cell, false);
    const vxXform<2> clientFromImage(
        vxMatrix<2>(),
        vxVector<2>(-(cell.x() + 0.5 * cell.width()), -(cell.y() + 0.5 * cell.height())));
    image.clientFromImageXform(clientFromImage);
    if (mask.isBound()) {
        mask.window(cell, false);
        mask.clientFromImageXform(clientFromImage);
    }
    if (isBlank) image.setUnbound(); // a blank keeps only the transform
    return vxPtrHandle_const<vxOCModel>(new vxOCModel(
        key, image, mask, cell, isBlank ? vxOCModel::eBlank : vxOCModel::eNormal, name, L""));
}

std::vector<vxPtrHandle_const<vxOCModel>>
vfToolTeachModels(const std::vector<vxToolManifestEntry>& entries,
                  const std::string& manifestPath, const vxImageReadOptions& readOptions) {
    const std::filesystem::path folder = std::filesystem::path(manifestPath).parent_path();
    // A sample sheet is read once however many lines point at it.
    std::map<std::string, vxPelBuffer<unsigned char>> images;
    const auto read = [&](const std::string& name, const std::string& where) {
        const std::string path = (folder / name).string();
        auto it = images.find(path);
        if (it == images.end()) {
            try {
                it = images.emplace(path, vfReadImageFile(path, readOptions)).first;
            } catch (const std::exception& e) {
                throw vxToolError(where + e.what());
            }
        }
        return it->second;
    };

    std::vector<vxPtrHandle_const<vxOCModel>> models;
    for (const vxToolManifestEntry& e : entries) {
        const std::string where = manifestPath + ":" + std::to_string(e.lineNumber) + ": ";
        vxPelBuffer<unsigned char> image = read(e.image, where);
        vxPelBuffer<unsigned char> mask;
        if (!e.mask.empty()) {
            mask = read(e.mask, where);
            if (mask.window() != image.window())
                throw vxToolError(where + "the mask " + e.mask + " is not the size of " + e.image);
        }
        models.push_back(vfToolMakeModel(e.key, e.name, image, mask, e.hasArea ? &e.area : nullptr,
                                         e.isBlank, where + e.image + ": "));
    }
    return models;
}
