// `octool arrange`: finds a target string in an image with a stored alphabet and
// reports the positions as a table or JSON, optionally drawing an overlay picture.
#include "vxImageFile.h"
#include "vxOCArrange.h"
#include "vxToolAlphabetFile.h"
#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolDiagReport.h"
#include "vxToolOutput.h"
#include "vxToolOverlay.h"
#include "vxToolParams.h"
#include "vxToolText.h"

#include <chrono>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: octool arrange --alphabet ALPHABET.oca --image IMAGE --target TEXT\n"
    "                      [--mask MASK] [--set NAME=VALUE ...] [--json] [--overlay OUT]\n"
    "                      [--report OUT.html]\n"
    "\n"
    "Finds the characters of TEXT, in reading order, in IMAGE. Each character of TEXT\n"
    "(a Unicode character) stands for the alphabet's model of that name.\n"
    "\n"
    "options:\n"
    "  --alphabet FILE    an alphabet stored by octool teach (compiled here if need be)\n"
    "  --image FILE       the 8-bit run-time image: PGM, PPM, BMP, and PNG, JPEG, TIFF when\n"
    "                     built with their libraries; told by its first bytes; colour is\n"
    "                     turned to grey\n"
    "  --target TEXT      the expected string\n"
    "  --mask FILE        search only where this image (the size of IMAGE) is 128 or more\n"
    "  --bits16=high      read 16-bit images by their samples' high bytes (refused\n"
    "                     otherwise)\n"
    "  --set NAME=VALUE   sets one arrange parameter; may be repeated (names below)\n"
    "  --json             print one JSON object instead of the table: isFound,\n"
    "                     isSearchTruncated, timeMs, positions (index, key, name, status\n"
    "                     matched|inferred|unknown, score, x, y = the character's origin\n"
    "                     in client coordinates, angleDeg, scale, cellCenter = the centre\n"
    "                     of the model's image area under the pose, line) and lines\n"
    "                     (name, positions, kind straight|circular)\n"
    "  --overlay FILE     write a colour picture (PNG by the .png extension when\n"
    "                     available, else PPM): cells outlined green (matched) or orange\n"
    "                     (inferred) with a tick toward the character's top, fitted lines\n"
    "                     in blue, the target character beside each cell\n"
    "  --report FILE      record every diagnostic of the run (input, intermediate and\n"
    "                     results) and write them as one self-contained HTML page: the\n"
    "                     records as a tree, images with their graphics, switchable,\n"
    "                     and texts; open it in any browser\n"
    "\n"
    "Coordinates: pixel (i, j) covers [i, i+1) x [j, j+1), y down; angles in degrees,\n"
    "positive clockwise on screen. Models' origins are the centres of their taught\n"
    "rectangles, so x, y and cellCenter coincide for alphabets taught by octool.\n"
    "\n"
    "parameters for --set (angles in degrees, or radians with the suffix rad):\n";

vxPelBuffer<unsigned char> readImage(const std::string& path, const vxImageReadOptions& options) {
    try {
        return vfReadImageFile(path, options);
    } catch (const std::exception& e) {
        throw vxToolError(e.what());
    }
}

} // namespace

vxImageReadOptions vfToolReadOptions(const vxToolArgs& args) {
    vxImageReadOptions options;
    if (args.has("bits16")) {
        if (args.value("bits16") != "high")
            throw vxToolError("--bits16: '" + args.value("bits16") + "' is not 'high'");
        options.bits16High = true;
    }
    return options;
}

vxToolRunInputs vfToolReadRunInputs(const vxToolArgs& args,
                                    const std::vector<std::string>& assignments) {
    // Cheap checks first, so that a typing error does not wait for the files.
    vxToolRunInputs in;
    for (const std::string& assignment : assignments)
        vfToolSetParam(in.params, assignment);
    const std::string& target = args.value("target");
    const bool batch = args.has("images");
    const std::string imagePath = batch ? std::string() : args.value("image");
    const vxImageReadOptions readOptions = vfToolReadOptions(args);
    for (const char* output : {"overlay", "report"})
        if (args.has(output)) vfToolCheckOutput(args.value(output));
    in.alphabet = vfToolLoadAlphabet(args.value("alphabet"));
    in.keys = vfToolTargetKeys(in.alphabet, target);
    if (!batch) in.image = readImage(imagePath, readOptions);
    if (args.has("mask")) {
        in.mask = readImage(args.value("mask"), readOptions);
        if (!batch &&
            (in.mask.width() != in.image.width() || in.mask.height() != in.image.height()))
            throw vxToolError(args.value("mask") + ": the mask is not the size of the image");
    }
    if (!in.alphabet.isCompiled()) in.alphabet.compile();
    return in;
}

vxToolReport vfToolArrange(const vxPelBuffer_const<unsigned char>& image,
                           const vxPelBuffer_const<unsigned char>& mask, vxOCAlphabet& alphabet,
                           const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                           vxDiagObject* diag) {
    if (!alphabet.isCompiled()) alphabet.compile();
    vxOCArrangeResults results;
    const auto start = std::chrono::steady_clock::now();
    vfOCArrange_(image, mask, alphabet, targetKeys, params, results, diag,
                 diag ? kToolReportFlags : 0);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return vfToolMakeReport(results, alphabet, targetKeys, params, ms);
}

int vfToolArrangeCommand(int argc, char** argv, int first) {
    const vxToolArgs args(
        argc, argv, first,
        {{"alphabet", "image", "target", "mask", "set", "overlay", "report", "bits16"},
         {"json"},
         {"set"},
         0});
    if (args.has("help")) {
        std::cout << kUsage << vfToolParamsHelp();
        return 0;
    }
    const vxToolRunInputs in = vfToolReadRunInputs(args, args.values("set"));
    vxOCAlphabet alphabet = in.alphabet;
    const vxOCArrangeParams& params = in.params;
    const std::vector<long>& keys = in.keys;
    const vxPelBuffer<unsigned char>& image = in.image;
    vxDiagObject diag;
    const vxToolReport report =
        vfToolArrange(image, in.mask, alphabet, keys, params, args.has("report") ? &diag : nullptr);
    if (args.has("json"))
        vfToolPrintJson(std::cout, report);
    else
        vfToolPrintTable(std::cout, report);
    if (args.has("overlay")) vfToolWriteOverlay(args.value("overlay"), image, report);
    if (args.has("report"))
        vfToolWriteDiagReport(args.value("report"), diag,
                              L"octool arrange \"" + vfToolFromUtf8(args.value("target"), "--target") +
                                  L"\" in " + vfToolFromUtf8(args.value("image"), "--image"));
    return 0;
}
