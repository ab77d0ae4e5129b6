// `octool teach`: an alphabet from a manifest, compiled and stored.
#include "vxToolAlphabetFile.h"
#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolManifest.h"
#include "vxToolOutput.h"
#include "vxToolText.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: octool teach --out ALPHABET.oca MANIFEST [--threshold T] [--no-compile]\n"
    "\n"
    "Teaches one character model per manifest line and stores the alphabet.\n"
    "A manifest line is  KEY NAME IMAGE [X Y W H] [blank] [mask=MASKIMAGE]\n"
    "  KEY    an integer, unique in the manifest\n"
    "  NAME   the character's text (one Unicode character, or a short word), unique\n"
    "  IMAGE  an 8-bit image file (PGM, PPM, BMP; PNG, JPEG, TIFF when built with\n"
    "         their libraries), relative to the manifest; several lines may share\n"
    "         one sample sheet\n"
    "  X Y W H  the character's rectangle in the image (the whole image when left out);\n"
    "         the model's origin is the rectangle's centre\n"
    "  blank  the model is a blank (a place where no character is printed)\n"
    "  mask=MASKIMAGE  a care mask the size of IMAGE (128 and above: pixel counts)\n"
    "Empty lines and lines starting with # are skipped.\n"
    "\n"
    "options:\n"
    "  --out FILE       the alphabet file to write (required)\n"
    "  --threshold T    confusion threshold in [0, 1] (default 0.5)\n"
    "  --no-compile     store the alphabet without compiling it\n"
    "  --bits16=high    read 16-bit images by their samples' high bytes (refused\n"
    "                   otherwise)\n";

} // namespace

vxOCAlphabet vfToolTeach(const std::string& manifestPath, double threshold, bool compile,
                         std::ostream& log, const vxImageReadOptions& readOptions) {
    const std::vector<vxToolManifestEntry> entries = vfToolReadManifest(manifestPath);
    const std::vector<vxPtrHandle_const<vxOCModel>> models =
        vfToolTeachModels(entries, manifestPath, readOptions);

    // The alphabet is named after the manifest's folder (or its file name).
    const std::filesystem::path path = std::filesystem::absolute(manifestPath);
    std::string name = path.stem().string();
    if (name == "manifest" && !path.parent_path().filename().empty())
        name = path.parent_path().filename().string();

    vxOCAlphabet alphabet(models, threshold, false, vfToolFromUtf8(name, "the manifest's name"));
    log << "taught " << alphabet.numChars()
        << (alphabet.numChars() == 1 ? " character" : " characters") << " from " << manifestPath
        << "\n";
    if (compile) {
        const auto start = std::chrono::steady_clock::now();
        alphabet.compile();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        char line[80];
        std::snprintf(line, sizeof line, "compiled in %.0f ms\n", ms);
        log << line;
    }
    return alphabet;
}

int vfToolTeachCommand(int argc, char** argv, int first) {
    const vxToolArgs args(argc, argv, first, {{"out", "threshold", "bits16"}, {"no-compile"}, {}, 1});
    if (args.has("help")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.positionals().empty()) throw vxToolError("teach: missing MANIFEST");
    const std::string out = args.value("out");
    const double threshold = args.number("threshold", 0.5);
    if (threshold < 0 || threshold > 1)
        throw vxToolError("--threshold: the confusion threshold must be between 0 and 1");
    const vxImageReadOptions readOptions = vfToolReadOptions(args);
    vfToolCheckOutput(out); // before the teaching, which can take minutes
    const vxOCAlphabet alphabet = vfToolTeach(args.positionals()[0], threshold,
                                              !args.has("no-compile"), std::cout, readOptions);
    const std::size_t bytes = vfToolStoreAlphabet(alphabet, out);
    std::cout << "stored " << out << " (" << bytes << " bytes)\n";
    return 0;
}
