// Storing and loading alphabet files; target text to keys.
#include "vxToolAlphabetFile.h"

#include "vxArchive.h"
#include "vxToolArgs.h"
#include "vxToolOutput.h"
#include "vxToolText.h"

#include <fstream>
#include <sstream>

std::size_t vfToolStoreAlphabet(const vxOCAlphabet& alphabet, const std::string& path) {
    vxArchive out;
    vxOCAlphabet copy(alphabet); // archiving takes a non-const object
    out || copy;
    const std::vector<unsigned char>& bytes = out.bytes();
    vfToolWriteOutput(path, std::string(bytes.begin(), bytes.end()));
    return bytes.size();
}

vxOCAlphabet vfToolLoadAlphabet(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw vxToolError(path + ": cannot open the alphabet file");
    vxOCAlphabet alphabet;
    try {
        vxArchive in(file);
        in || alphabet;
    } catch (const std::exception& e) {
        throw vxToolError(path + ": not a readable alphabet file (" + e.what() + ")");
    }
    return alphabet;
}

std::vector<long> vfToolTargetKeys(const vxOCAlphabet& alphabet, const std::string& text) {
    std::vector<long> keys;
    for (const wchar_t c : vfToolFromUtf8(text, "--target")) {
        const std::wstring name(1, c);
        long key = 0;
        bool found = false;
        for (const auto& model : alphabet.characters())
            if (model->name() == name) {
                key = model->key();
                found = true;
                break;
            }
        if (!found)
            throw vxToolError("target character '" + vfToolToUtf8(c) +
                              "' is not the name of any character of the alphabet");
        keys.push_back(key);
    }
    return keys;
}
