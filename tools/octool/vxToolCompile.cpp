// `octool compile`: compiles a stored alphabet (when needed) and shows which of its
// characters are confusable, and with --matrix the whole confusion matrix.
#include "vxToolAlphabetFile.h"
#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolDiagReport.h"
#include "vxToolOutput.h"
#include "vxToolText.h"

#include <cstdio>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: octool compile ALPHABET.oca [--matrix] [--report OUT.html]\n"
    "\n"
    "Compiles the alphabet when it is not compiled yet (and stores it back), then\n"
    "lists the ordered pairs of characters that are confusable: character A found in\n"
    "character B's image with a confusion above the alphabet's threshold.\n"
    "\n"
    "options:\n"
    "  --matrix   also print the confusion matrix (row: the character searched for,\n"
    "             column: the image it was searched in)\n"
    "  --report FILE  record every diagnostic of the compilation (the alphabet before and\n"
    "             after, with each character's image and mask) and write them as one\n"
    "             self-contained HTML page; open it in any browser\n";

} // namespace

int vfToolCompileCommand(int argc, char** argv, int first) {
    const vxToolArgs args(argc, argv, first, {{"report"}, {"matrix"}, {}, 1});
    if (args.has("help")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.positionals().empty()) throw vxToolError("compile: missing ALPHABET.oca");
    const std::string path = args.positionals()[0];
    if (args.has("report")) vfToolCheckOutput(args.value("report"));
    vxOCAlphabet alphabet = vfToolLoadAlphabet(path);
    // A compiled alphabet compiles again at no cost, which records it all the same.
    vxDiagObject diag;
    if (!alphabet.isCompiled()) {
        vfToolCheckOutput(path); // before the compilation, which can take minutes
        alphabet.compile(&diag, args.has("report") ? kToolReportFlags : 0);
        vfToolStoreAlphabet(alphabet, path);
        std::cout << "compiled and stored " << path << "\n";
    } else if (args.has("report")) {
        alphabet.compile(&diag, kToolReportFlags);
    }
    if (args.has("report"))
        vfToolWriteDiagReport(args.value("report"), diag,
                              L"octool compile " + vfToolFromUtf8(path, "the alphabet's path"));
    const auto& models = alphabet.characters();
    char text[160];
    std::snprintf(text, sizeof text, "%s: %ld characters, confusion threshold %.3g\n",
                  vfToolToUtf8(alphabet.name()).c_str(), alphabet.numChars(),
                  alphabet.confusionThreshold());
    std::cout << text;

    // One line per character: the images it is found in above the threshold.
    long pairs = 0;
    for (const auto& a : models) {
        std::string line;
        for (const auto& b : models) {
            if (a->key() == b->key() || !alphabet.areConfusable(a->key(), b->key())) continue;
            std::snprintf(text, sizeof text, " %s (%.2f)", vfToolToUtf8(b->name()).c_str(),
                          alphabet.confusion(a->key(), b->key()));
            line += text;
            ++pairs;
        }
        if (!line.empty())
            std::cout << "  " << vfToolToUtf8(a->name()) << " is found in" << line << "\n";
    }
    std::cout << pairs << " confusable pairs\n";

    if (args.has("matrix")) {
        std::cout << "      ";
        for (const auto& b : models) {
            std::snprintf(text, sizeof text, " %5.5s", vfToolToUtf8(b->name()).c_str());
            std::cout << text;
        }
        std::cout << "\n";
        for (const auto& a : models) {
            std::snprintf(text, sizeof text, "%5.5s ", vfToolToUtf8(a->name()).c_str());
            std::cout << text;
            for (const auto& b : models) {
                std::snprintf(text, sizeof text, " %5.2f", alphabet.confusion(a->key(), b->key()));
                std::cout << text;
            }
            std::cout << "\n";
        }
    }
    return 0;
}
