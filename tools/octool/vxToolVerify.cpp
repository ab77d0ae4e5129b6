// `octool verify`: whether an image carries the target string, position by position:
// PASS or FAIL with a line per failed position (exit status 0 or 3), or JSON.
#include "vxJsonWriter.h"
#include "vxOCVerify.h"
#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolDiagReport.h"
#include "vxToolOverlay.h"
#include "vxToolParams.h"
#include "vxToolText.h"

#include <chrono>
#include <cstdio>
#include <iostream>

namespace {

const char* const kUsage =
    "usage: octool verify --alphabet ALPHABET.oca --image IMAGE --target TEXT\n"
    "                     [--mask MASK] [--set NAME=VALUE ...] [--json] [--overlay OUT]\n"
    "                     [--report OUT.html]\n"
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
    "                     \"Verification\" record per failed position\n";

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

const char* verdictName(vxOCVerifyDefs::Verdict v) {
    return v == vxOCVerifyDefs::ePass ? "pass" : v == vxOCVerifyDefs::eWrong ? "wrong" : "missing";
}

std::string quoted(const std::wstring& name) {
    std::string out(1, '\'');
    out += vfToolToUtf8(name);
    out += '\'';
    return out;
}

void printLines(std::ostream& out, const vxOCVerifyResults& r, const vxToolReport& report,
                const vxOCAlphabet& alphabet) {
    out << (r.isPass() ? "PASS" : "FAIL") << "\n";
    char numbers[64];
    for (std::size_t i = 0; i < r.verdicts().size(); ++i) {
        const vxOCVerifyDefs::Verdict v = r.verdicts()[i];
        if (v == vxOCVerifyDefs::ePass) continue;
        out << "position " << i << ": expected " << quoted(report.positions[i].name) << ", ";
        if (r.readsAs()[i] >= 0) {
            std::snprintf(numbers, sizeof numbers, " (%.2f against %.2f)", r.rivalScores()[i],
                          r.scores()[i]);
            out << "reads as " << quoted(alphabet.character(r.readsAs()[i])->name()) << numbers;
        } else {
            std::snprintf(numbers, sizeof numbers, " (%.2f)", r.scores()[i]);
            out << (v == vxOCVerifyDefs::eMissing ? "missing" : "unclear") << numbers;
        }
        out << "\n";
    }
}

void printJson(std::ostream& out, const vxOCVerifyResults& r, const vxToolReport& report,
               const vxOCAlphabet& alphabet) {
    vxJsonWriter json(out);
    json.beginObject();
    json.key("pass");
    json.value(r.isPass());
    json.key("timeMs");
    json.value(report.timeMs);
    json.key("positions");
    json.beginArray();
    for (std::size_t i = 0; i < r.verdicts().size(); ++i) {
        const vxToolPosition& p = report.positions[i];
        json.beginObject();
        json.key("index");
        json.value(p.index);
        json.key("name");
        json.value(vfToolToUtf8(p.name));
        json.key("verdict");
        json.value(verdictName(r.verdicts()[i]));
        json.key("readsAs");
        if (r.readsAs()[i] >= 0)
            json.value(vfToolToUtf8(alphabet.character(r.readsAs()[i])->name()));
        else
            json.null();
        json.key("score");
        json.value(r.scores()[i]);
        json.key("rivalScore");
        json.value(r.rivalScores()[i]);
        json.key("status");
        json.value(vfToolStatusName(p.status));
        json.key("cellCenter");
        json.beginArray(true);
        json.value(p.cellCenter.x());
        json.value(p.cellCenter.y());
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.endObject();
    out << "\n";
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

vxToolVerifyRun vfToolVerify(const vxPelBuffer_const<unsigned char>& image,
                             const vxPelBuffer_const<unsigned char>& mask,
                             const vxOCAlphabet& alphabet, const std::vector<long>& targetKeys,
                             const vxOCArrangeParams& params, const vxOCVerifyParams& verifyParams,
                             vxDiagObject* diag) {
    vxToolVerifyRun run;
    const auto start = std::chrono::steady_clock::now();
    vfOCVerify(image, mask, alphabet, targetKeys, params, verifyParams, run.results, diag,
               diag ? kToolReportFlags : 0);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.report = vfToolMakeReport(run.results.arrangeResults(), alphabet, targetKeys, params, ms);
    // Cells where verification judged them (a line's end it found is placed there), and
    // the verdicts; in target order, as verification lists them.
    std::vector<vxToolPosition> byIndex(run.report.positions.size());
    for (vxToolPosition p : run.report.positions) {
        const std::size_t i = static_cast<std::size_t>(p.index);
        vfToolPlaceCell(p, *alphabet.character(p.key), run.results.poses()[i]);
        p.verdict = run.results.verdicts()[i];
        byIndex[i] = p;
    }
    run.report.positions = byIndex;
    return run;
}

int vfToolVerifyCommand(int argc, char** argv, int first) {
    const vxToolArgs args(argc, argv, first,
                          {{"alphabet", "image", "target", "mask", "set", "overlay", "report"},
                           {"json"},
                           {"set"},
                           0});
    if (args.has("help")) {
        std::cout << kUsage << "\narrange parameters for --set:\n" << vfToolParamsHelp();
        return 0;
    }
    vxOCVerifyParams verifyParams;
    std::vector<std::string> arrangeAssignments;
    for (const std::string& assignment : args.values("set"))
        if (!setVerifyParam(verifyParams, assignment)) arrangeAssignments.push_back(assignment);
    const vxToolRunInputs in = vfToolReadRunInputs(args, arrangeAssignments);

    vxDiagObject diag;
    const vxToolVerifyRun run = vfToolVerify(in.image, in.mask, in.alphabet, in.keys, in.params,
                                             verifyParams, args.has("report") ? &diag : nullptr);
    const vxOCVerifyResults& results = run.results;
    const vxToolReport& report = run.report;

    if (args.has("json"))
        printJson(std::cout, results, report, in.alphabet);
    else
        printLines(std::cout, results, report, in.alphabet);
    if (args.has("overlay")) vfToolWriteOverlay(args.value("overlay"), in.image, report);
    if (args.has("report"))
        vfToolWriteDiagReport(args.value("report"), diag,
                              L"octool verify \"" +
                                  vfToolFromUtf8(args.value("target"), "--target") + L"\" in " +
                                  vfToolFromUtf8(args.value("image"), "--image"));
    return results.isPass() ? 0 : 3;
}
