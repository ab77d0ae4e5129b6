// Results as plain Python values.
#include "vxPyResults.h"

#include "vxToolText.h"

#include <pybind11/stl.h>

namespace py = pybind11;
using namespace pybind11::literals;

namespace {

py::tuple point(const vxVector<2>& p) {
    return py::make_tuple(p.x(), p.y());
}

py::list lines(const vxToolReport& report) {
    py::list out;
    for (const vxToolLine& line : report.lines)
        out.append(py::dict("name"_a = vfToolToUtf8(line.name), "positions"_a = line.positions,
                            "kind"_a = line.isCircular ? "circular" : "straight"));
    return out;
}

const char* verdictName(int verdict) {
    switch (verdict) {
    case vxOCVerifyDefs::ePass:
        return "pass";
    case vxOCVerifyDefs::eWrong:
        return "wrong";
    default:
        return "missing";
    }
}

} // namespace

py::dict vfPyArrangeResult(const vxToolReport& report) {
    py::list positions;
    for (const vxToolPosition& p : report.positions) {
        py::list cell;
        for (const vxVector<2>& corner : p.cell)
            cell.append(point(corner));
        positions.append(py::dict(
            "index"_a = p.index, "name"_a = vfToolToUtf8(p.name),
            "status"_a = vfToolStatusName(p.status), "score"_a = p.score, "x"_a = p.origin.x(),
            "y"_a = p.origin.y(), "angle"_a = p.angleDeg, "scale"_a = p.scale,
            "cell_center"_a = point(p.cellCenter), "cell"_a = py::tuple(cell), "line"_a = p.line));
    }
    return py::dict("found"_a = report.isFound, "truncated"_a = report.isSearchTruncated,
                    "time_ms"_a = report.timeMs, "positions"_a = positions,
                    "lines"_a = lines(report));
}

py::dict vfPyVerifyResult(const vxToolVerifyOutcome& run, const vxOCAlphabet& alphabet) {
    const vxOCVerifyResults& r = run.results;
    py::list positions;
    for (std::size_t i = 0; i < run.report.positions.size(); ++i) {
        const vxToolPosition& p = run.report.positions[i];
        py::object readsAs = py::none();
        if (r.readsAs()[i] >= 0)
            readsAs = py::str(vfToolToUtf8(alphabet.character(r.readsAs()[i])->name()));
        positions.append(py::dict(
            "index"_a = p.index, "name"_a = vfToolToUtf8(p.name),
            "verdict"_a = verdictName(p.verdict), "reads_as"_a = readsAs,
            "score"_a = r.scores()[i], "rival_score"_a = r.rivalScores()[i],
            "status"_a = vfToolStatusName(p.status), "cell_center"_a = point(p.cellCenter)));
    }
    return py::dict("passed"_a = r.isPass(), "time_ms"_a = run.report.timeMs,
                    "positions"_a = positions, "lines"_a = lines(run.report));
}
