// One image's verification and its printing for `octool verify`.
#include "vxToolVerifyImage.h"

#include "vxJsonWriter.h"
#include "vxToolDiagReport.h"
#include "vxToolText.h"

#include <chrono>
#include <cstdio>

namespace {

const char* verdictName(vxOCVerifyDefs::Verdict v) {
    return v == vxOCVerifyDefs::ePass ? "pass" : v == vxOCVerifyDefs::eWrong ? "wrong" : "missing";
}

std::string quoted(const std::wstring& name) {
    std::string out(1, '\'');
    out += vfToolToUtf8(name);
    out += '\'';
    return out;
}

} // namespace

vxToolVerifyOutcome vfToolVerifyImage(const vxPelBuffer_const<unsigned char>& image,
                                      const vxPelBuffer_const<unsigned char>& mask,
                                      const vxOCAlphabet& alphabet, const std::vector<long>& keys,
                                      const vxOCArrangeParams& arrangeParams,
                                      const vxOCVerifyParams& verifyParams, vxDiagObject* diag) {
    vxToolVerifyOutcome outcome;
    vxOCVerifyResults& results = outcome.results;
    const auto start = std::chrono::steady_clock::now();
    vfOCVerify(image, mask, alphabet, keys, arrangeParams, verifyParams, results, diag,
               diag ? kToolReportFlags : 0);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    vxToolReport report = vfToolMakeReport(results.arrangeResults(), alphabet, keys, arrangeParams, ms);
    // Cells where verification judged them (a line's end it found is placed there), and
    // the verdicts for the overlay; in target order, as verification lists them.
    std::vector<vxToolPosition> byIndex(report.positions.size());
    for (vxToolPosition p : report.positions) {
        const std::size_t i = static_cast<std::size_t>(p.index);
        vfToolPlaceCell(p, *alphabet.character(p.key), results.poses()[i]);
        p.verdict = results.verdicts()[i];
        byIndex[i] = p;
    }
    report.positions = byIndex;
    outcome.report = std::move(report);
    return outcome;
}

std::string vfToolVerifyFailure(const vxToolVerifyOutcome& outcome, const vxOCAlphabet& alphabet,
                                std::size_t i) {
    const vxOCVerifyResults& r = outcome.results;
    std::string out = "expected " + quoted(outcome.report.positions[i].name) + ", ";
    char numbers[64];
    if (r.readsAs()[i] >= 0) {
        std::snprintf(numbers, sizeof numbers, " (%.2f against %.2f)", r.rivalScores()[i],
                      r.scores()[i]);
        return out + "reads as " + quoted(alphabet.character(r.readsAs()[i])->name()) + numbers;
    }
    std::snprintf(numbers, sizeof numbers, " (%.2f)", r.scores()[i]);
    return out + (r.verdicts()[i] == vxOCVerifyDefs::eMissing ? "missing" : "unclear") + numbers;
}

void vfToolPrintVerifyLines(std::ostream& out, const vxToolVerifyOutcome& outcome,
                            const vxOCAlphabet& alphabet) {
    const vxOCVerifyResults& r = outcome.results;
    out << (r.isPass() ? "PASS" : "FAIL") << "\n";
    for (std::size_t i = 0; i < r.verdicts().size(); ++i)
        if (r.verdicts()[i] != vxOCVerifyDefs::ePass)
            out << "position " << i << ": " << vfToolVerifyFailure(outcome, alphabet, i) << "\n";
}

void vfToolPrintVerifyJson(std::ostream& out, const vxToolVerifyOutcome& outcome,
                           const vxOCAlphabet& alphabet, const std::string& image, bool compact) {
    const vxOCVerifyResults& r = outcome.results;
    const vxToolReport& report = outcome.report;
    vxJsonWriter json(out, compact);
    json.beginObject();
    if (!image.empty()) {
        json.key("image");
        json.value(image);
    }
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
    if (!compact) out << "\n";
}
