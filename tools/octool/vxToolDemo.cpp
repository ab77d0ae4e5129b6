// `octool demo`: the whole path a user takes, on rendered images. It renders a
// sample sheet of the digits and its manifest, teaches and compiles an alphabet from
// them, stores and reloads it, then arranges four stamps (a turned year, two lines, a
// circular stamp, a date with a digit missing), printing each result against where the
// characters were printed and writing the images and overlay pictures to a folder.
#include "vxImageFile.h"
#include "vxOCArrange.h"
#include "vxToolAlphabetFile.h"
#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolOutput.h"
#include "vxToolOverlay.h"
#include "vxToolParams.h"
#include "vxToolRender.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: octool demo [--out DIR]\n"
    "\n"
    "Renders a sample sheet of the digits with its manifest, teaches, compiles, stores\n"
    "and reloads the alphabet, and arranges four rendered stamps: a turned year, two\n"
    "lines, a circular stamp and a date with a digit missing. Prints each result and\n"
    "writes the images and overlay pictures into DIR (default ./octool-demo).\n";

constexpr double kCharSize = 40.0; // cap height of the sample sheet, in pixels

struct Stamp {
    const char* file;
    const char* title;
    std::vector<std::string> lines;
    double angleDeg = 0.0;
    double scale = 1.0;
    double arcRadius = 0.0;
    std::vector<long> omitted;
    std::vector<std::string> settings; // --set assignments the stamp needs
};

// Renders and arranges one stamp and prints the report with the largest distance of a
// placed position from its place in the print (where a missing character would be).
void arrangeStamp(const Stamp& stamp, vxOCAlphabet& alphabet, const std::filesystem::path& dir,
                  const std::string& pictureExt) {
    vxToolTextLayout layout;
    layout.lines = stamp.lines;
    layout.style.size = kCharSize;
    layout.style.scale = stamp.scale;
    layout.lineGap = 2.2 * kCharSize; // room for the overlay's labels between lines
    layout.angleDeg = stamp.angleDeg;
    layout.arcRadius = stamp.arcRadius;
    if (stamp.arcRadius > 0) layout.center = vxVector<2>(320, 320); // the arc's top mid-image
    layout.omitted = stamp.omitted;
    layout.scene.blurSigma = 0.8;
    layout.scene.noiseSigma = 4.0;
    const vxToolRendered rendered = vfToolRenderText(layout);
    const std::string imagePath = (dir / (std::string(stamp.file) + pictureExt)).string();
    vfWriteImageFile(imagePath, rendered.image.image);

    vxOCArrangeParams params;
    vfToolSetParam(params, "timeout=1000"); // per character: a busy machine still finishes
    for (const std::string& s : stamp.settings)
        vfToolSetParam(params, s);
    const vxToolReport report =
        vfToolArrange(rendered.image.image, vxPelBuffer<unsigned char>(), alphabet,
                      vfToolTargetKeys(alphabet, rendered.target), params);

    std::string printed;
    for (std::size_t i = 0; i < rendered.target.size(); ++i)
        printed += rendered.printed[i] ? rendered.target[i] : '_';
    std::cout << "\n"
              << stamp.title << ": target \"" << rendered.target << "\", printed \"" << printed
              << "\"";
    for (const std::string& s : stamp.settings)
        std::cout << ", " << s;
    std::cout << "\n";
    vfToolPrintTable(std::cout, report);

    double worst = 0.0;
    for (const vxToolPosition& p : report.positions)
        if (p.status != vxOCArrangeDefs::eUnknown)
            worst = std::max(worst, (p.cellCenter - rendered.image.truth[p.index].center).length());
    char line[120];
    std::snprintf(line, sizeof line,
                  "  farthest placed centre from its place in the print: %.2f px\n", worst);
    std::cout << line;
    const std::string overlayPath =
        (dir / (std::string(stamp.file) + "-overlay" + (pictureExt == ".png" ? ".png" : ".ppm")))
            .string();
    vfToolWriteOverlay(overlayPath, rendered.image.image, report);
    std::cout << "  wrote " << imagePath << " and " << overlayPath << "\n";
}

} // namespace

int vfToolDemoCommand(int argc, char** argv, int first) {
    const vxToolArgs args(argc, argv, first, {{"out"}, {}, {}, 0});
    if (args.has("help")) {
        std::cout << kUsage;
        return 0;
    }
    namespace fs = std::filesystem;
    const fs::path dir = args.value("out", "octool-demo");
    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
        throw vxToolError(dir.string() + ": cannot create the folder (" + error.message() + ")");
    vfToolCheckOutput((dir / "digits.oca").string()); // the folder takes new files
    const std::string ext = vfImageFilesHavePng() ? ".png" : ".pgm";

    // The user's path: a sample sheet and a manifest, teach, store, reload.
    const std::string sheet = (dir / ("sheet" + ext)).string();
    const std::string manifest = (dir / "manifest.txt").string();
    vxTestScene look;
    look.blurSigma = 0.8;
    vfToolRenderSheet("0123456789", kCharSize, look, sheet, manifest);
    std::cout << "sample sheet " << sheet << ", manifest " << manifest << "\n";
    const vxOCAlphabet taught = vfToolTeach(manifest, 0.5, true, std::cout);
    const std::string alphabetPath = (dir / "digits.oca").string();
    const std::size_t bytes = vfToolStoreAlphabet(taught, alphabetPath);
    vxOCAlphabet alphabet = vfToolLoadAlphabet(alphabetPath);
    std::cout << "stored " << alphabetPath << " (" << bytes << " bytes); reloaded alphabet "
              << (alphabet == taught ? "equals" : "DIFFERS FROM") << " the taught one\n";

    const std::vector<Stamp> stamps = {
        {"turned", "A year on a turned stamp", {"2026"}, 23.0, 1.05, 0.0, {}, {}},
        {"twolines",
         "A date and a year on two lines",
         {"0612", "2026"},
         -8.0,
         1.0,
         0.0,
         {},
         {"maxLines=2"}},
        {"circular", "A circular stamp", {"0123456789"}, 0.0, 1.0, 150.0, {}, {}},
        {"missing", "A date with a digit missing", {"06122026"}, -12.0, 0.95, 0.0, {5}, {}},
    };
    for (const Stamp& stamp : stamps)
        arrangeStamp(stamp, alphabet, dir, ext);
    return 0;
}
