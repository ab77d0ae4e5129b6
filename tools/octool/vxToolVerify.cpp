// `octool verify`: whether an image carries the target string, position by position:
// PASS or FAIL with a line per failed position (exit status 0 or 3), or JSON; with
// --images, the same for many images on several threads.
#include "vxImageFile.h"
#include "vxJsonWriter.h"
#include "vxToolArgs.h"
#include "vxToolBatch.h"
#include "vxToolCommands.h"
#include "vxToolDiagReport.h"
#include "vxToolOverlay.h"
#include "vxToolParams.h"
#include "vxToolProgress.h"
#include "vxToolText.h"
#include "vxToolVerifyImage.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <glob.h>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

namespace {

const char* const kUsage =
    "usage: octool verify --alphabet ALPHABET.oca --image IMAGE --target TEXT\n"
    "                     [--mask MASK] [--set NAME=VALUE ...] [--json] [--overlay OUT]\n"
    "                     [--report OUT.html] [--bits16=high]\n"
    "       octool verify --alphabet ALPHABET.oca --target TEXT --images PATTERN...\n"
    "                     [--jobs N] [--mask MASK] [--set NAME=VALUE ...] [--json]\n"
    "\n"
    "Says whether IMAGE carries TEXT: arranges it as octool arrange does, then at each\n"
    "position scores the expected character against every character the alphabet can\n"
    "confuse with it. Prints PASS, or FAIL and a line per failed position; the exit status\n"
    "is 0 on PASS, 3 on FAIL and 1 on an error.\n"
    "\n"
    "options: as for octool arrange, and\n"
    "  --set NAME=VALUE   also sets the verification's parameters:\n"
    "                       margin      0.005  how much the expected character must beat\n"
    "                                          every rival by\n"
    "                       minScore    0.4    the least score it must reach\n"
    "                       xyRange     3      how far (client units) and\n"
    "                       angleRange  5      how many degrees from the arranged pose\n"
    "                                          characters are looked for\n"
    "  --json             one JSON object: pass, timeMs, positions (index, name, verdict\n"
    "                     pass|wrong|missing, readsAs = a name or null, score, rivalScore,\n"
    "                     status = the arranger's, cellCenter)\n"
    "  --overlay FILE     as for arrange, failed cells in red\n"
    "  --report FILE      every diagnostic of the run as an HTML page, with a\n"
    "                     \"Verification\" record per failed position\n"
    "\n"
    "Batch runs: --images takes glob patterns (quoted or expanded by the shell; more\n"
    "may follow as arguments) and verifies every matching image with the one alphabet,\n"
    "on --jobs threads (default: one per processor). Images are reported sorted by path:\n"
    "a line per image, PASS or FAIL with the failed positions, or ERROR and why it\n"
    "could not be verified, then the totals; with --json one JSON object per line\n"
    "(image, then as above, or image and error). A progress bar shows on stderr when it\n"
    "is a terminal. Ctrl-C stops after the images in flight and prints what is done.\n"
    "Exit status: 0 all passed, 3 some failed, 1 some could not be verified (or a fault\n"
    "before the batch started), 130 interrupted.\n";

using VerifySetter = void (vxOCVerifyParams::*)(double);

VerifySetter verifySetter(const std::string& name) {
    if (name == "margin") return &vxOCVerifyParams::margin;
    if (name == "minScore") return &vxOCVerifyParams::minScore;
    if (name == "xyRange") return &vxOCVerifyParams::xyRange;
    if (name == "angleRange") return &vxOCVerifyParams::angleRange;
    return nullptr;
}

// Sets a verification parameter named in "NAME=VALUE"; false for another name.
bool setVerifyParam(vxOCVerifyParams& params, const std::string& assignment) {
    const std::size_t eq = assignment.find('=');
    const std::string name = assignment.substr(0, eq);
    if (!vfToolIsVerifyParam(name)) return false;
    if (eq == std::string::npos) throw vxToolError("--set " + name + ": missing =VALUE");
    vfToolSetVerifyParam(params, name, assignment.substr(eq + 1), "--set " + name);
    return true;
}

// Set by SIGINT during a batch: no new image is started. A second Ctrl-C ends the
// process at once, as it would without the handler.
std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int) {
    if (gInterrupted.exchange(true)) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
}

// Catches SIGINT while it lives (a batch: from before its inputs are read, so that
// Ctrl-C never kills it halfway through printing); the previous handler comes back.
class InterruptGuard {
public:
    InterruptGuard() {
        gInterrupted = false;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() { ::sigaction(SIGINT, &previous_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previous_ {};
};

// Every path the patterns match, sorted, each once; a pattern matching nothing stays as
// it is (its image is then reported unreadable), as a shell would leave it.
std::vector<std::string> expandPatterns(const std::vector<std::string>& patterns) {
    std::vector<std::string> paths;
    for (const std::string& pattern : patterns) {
        glob_t found{};
        const int status = ::glob(pattern.c_str(), 0, nullptr, &found);
        if (status == 0)
            paths.insert(paths.end(), found.gl_pathv, found.gl_pathv + found.gl_pathc);
        else if (status == GLOB_NOMATCH)
            paths.push_back(pattern);
        ::globfree(&found);
        if (status != 0 && status != GLOB_NOMATCH)
            throw vxToolError("--images " + pattern + ": cannot list the files");
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

// One image of a batch: the outcome, or why there is none.
struct BatchItem {
    std::optional<vxToolVerifyOutcome> outcome;
    std::string error;
};

int verifyBatch(const vxToolArgs& args, const vxToolRunInputs& in,
                const vxOCVerifyParams& verifyParams, const vxImageReadOptions& readOptions) {
    std::vector<std::string> patterns = args.values("images");
    for (const std::string& more : args.positionals())
        patterns.push_back(more);
    const std::vector<std::string> paths = expandPatterns(patterns);
    const long jobs = args.integer("jobs", std::max(1u, std::thread::hardware_concurrency()));
    if (jobs < 1 || jobs > 256) throw vxToolError("--jobs: give 1 to 256 threads");
    const bool json = args.has("json");

    std::vector<BatchItem> items(paths.size());
    const auto work = [&](std::size_t i) {
        try {
            const vxPelBuffer<unsigned char> image = vfReadImageFile(paths[i], readOptions);
            if (in.mask.isBound() &&
                (in.mask.width() != image.width() || in.mask.height() != image.height()))
                throw vxToolError("the mask is not the size of the image");
            items[i].outcome = vfToolVerifyImage(image, in.mask, in.alphabet, in.keys, in.params,
                                                 verifyParams);
        } catch (const std::exception& e) {
            items[i].error = e.what();
        }
    };
    long passed = 0, failed = 0, errors = 0;
    vxToolProgress progress(stderr, paths.size());
    const auto report = [&](std::size_t i) {
        BatchItem& item = items[i];
        progress.finish(); // the bar's line is not left among the results
        if (!item.outcome) ++errors;
        if (json) {
            if (item.outcome) {
                vfToolPrintVerifyJson(std::cout, *item.outcome, in.alphabet, paths[i], true);
            } else {
                vxJsonWriter line(std::cout, true);
                line.beginObject();
                line.key("image");
                line.value(paths[i]);
                line.key("error");
                line.value(item.error);
                line.endObject();
            }
        } else if (!item.outcome) {
            std::cout << "ERROR " << paths[i] << "  " << item.error << "\n";
        } else if (item.outcome->results.isPass()) {
            std::cout << "PASS  " << paths[i] << "\n";
        } else {
            std::cout << "FAIL  " << paths[i] << "  positions ";
            const auto& verdicts = item.outcome->results.verdicts();
            const char* separator = "";
            for (std::size_t k = 0; k < verdicts.size(); ++k)
                if (verdicts[k] != vxOCVerifyDefs::ePass) {
                    std::cout << separator << k << " ("
                              << vfToolVerifyFailure(*item.outcome, in.alphabet, k) << ")";
                    separator = ", ";
                }
            std::cout << "\n";
        }
        if (item.outcome) ++(item.outcome->results.isPass() ? passed : failed);
        std::cout.flush();
        item.outcome.reset(); // printed: its memory goes
    };

    std::size_t reported;
    try {
        reported = vfToolRunBatch(paths.size(), int(jobs), work, report, gInterrupted,
                                  [&](std::size_t done) { progress.update(done); });
    } catch (...) {
        progress.finish();
        throw;
    }
    progress.finish();
    if (!json)
        std::cout << reported << " images: " << passed << " passed, " << failed << " failed, "
                  << errors << " not verified\n";
    std::cout.flush();
    if (reported < paths.size()) {
        std::cerr << "octool: interrupted after " << reported << " of " << paths.size()
                  << " images\n";
        return 130;
    }
    return errors ? 1 : failed ? 3 : 0;
}

} // namespace

bool vfToolIsVerifyParam(const std::string& name) {
    return verifySetter(name) != nullptr;
}

void vfToolSetVerifyParam(vxOCVerifyParams& params, const std::string& name,
                          const std::string& value, const std::string& what) {
    const VerifySetter set = verifySetter(name);
    if (!set) throw vxToolError(what + ": no verification parameter is named '" + name + "'");
    const double number = vfToolParseDouble(value, what);
    try {
        (params.*set)(number);
    } catch (const vxOCVerifyDefs::BadParams& e) {
        throw vxToolError(what + ": " + vfToolToUtf8(e.message()));
    }
}

int vfToolVerifyCommand(int argc, char** argv, int first) {
    const vxToolArgs args(argc, argv, first,
                          {{"alphabet", "image", "images", "target", "mask", "set", "overlay",
                            "report", "jobs", "bits16"},
                           {"json"},
                           {"set", "images"},
                           1L << 20});
    if (args.has("help")) {
        std::cout << kUsage << "\narrange parameters for --set:\n" << vfToolParamsHelp();
        return 0;
    }
    const bool batch = args.has("images");
    if (!batch && !args.positionals().empty())
        throw vxToolError("unexpected argument '" + args.positionals().front() + "'");
    if (batch && args.has("image")) throw vxToolError("give --image or --images, not both");
    if (batch && (args.has("overlay") || args.has("report")))
        throw vxToolError("--overlay and --report take one image: not with --images");
    if (!batch && args.has("jobs")) throw vxToolError("--jobs goes with --images");
    std::optional<InterruptGuard> interrupts;
    if (batch) interrupts.emplace();
    vxOCVerifyParams verifyParams;
    std::vector<std::string> arrangeAssignments;
    for (const std::string& assignment : args.values("set"))
        if (!setVerifyParam(verifyParams, assignment)) arrangeAssignments.push_back(assignment);
    const vxToolRunInputs in = vfToolReadRunInputs(args, arrangeAssignments);
    if (batch) return verifyBatch(args, in, verifyParams, vfToolReadOptions(args));

    vxDiagObject diag;
    const vxToolVerifyOutcome outcome = vfToolVerifyImage(
        in.image, in.mask, in.alphabet, in.keys, in.params, verifyParams,
        args.has("report") ? &diag : nullptr);
    if (args.has("json"))
        vfToolPrintVerifyJson(std::cout, outcome, in.alphabet);
    else
        vfToolPrintVerifyLines(std::cout, outcome, in.alphabet);
    if (args.has("overlay")) vfToolWriteOverlay(args.value("overlay"), in.image, outcome.report);
    if (args.has("report"))
        vfToolWriteDiagReport(args.value("report"), diag,
                              L"octool verify \"" +
                                  vfToolFromUtf8(args.value("target"), "--target") + L"\" in " +
                                  vfToolFromUtf8(args.value("image"), "--image"));
    return outcome.results.isPass() ? 0 : 3;
}
