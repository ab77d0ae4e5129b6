// Turning arrange results into positions and lines, and printing them.
#include "vxToolReport.h"

#include "vxJsonWriter.h"
#include "vxOCLine.h"
#include "vxToolText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace {

// The largest distance of the points from their least-squares straight line, and
// that line's direction.
double straightResidual(const std::vector<vxVector<2>>& p, vxVector<2>& mean, vxVector<2>& dir) {
    mean = vxVector<2>(0, 0);
    for (const auto& q : p)
        mean = mean + q;
    mean = mean * (1.0 / p.size());
    double sxx = 0, sxy = 0, syy = 0;
    for (const auto& q : p) {
        const vxVector<2> d = q - mean;
        sxx += d.x() * d.x();
        sxy += d.x() * d.y();
        syy += d.y() * d.y();
    }
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    dir = vxVector<2>(std::cos(angle), std::sin(angle));
    double worst = 0;
    for (const auto& q : p) {
        const vxVector<2> d = q - mean;
        worst = std::max(worst, std::abs(d.x() * dir.y() - d.y() * dir.x()));
    }
    return worst;
}

// The algebraic (Kasa) circle through the points; false when they are collinear.
bool fitCircle(const std::vector<vxVector<2>>& p, const vxVector<2>& mean, vxVector<2>& centre,
               double& radius) {
    // Minimises sum (u^2 + v^2 + D u + E v + F)^2 in coordinates about the mean.
    double a[3][4] = {};
    for (const auto& q : p) {
        const double u = q.x() - mean.x(), v = q.y() - mean.y();
        const double row[3] = {u, v, 1.0};
        const double rhs = -(u * u + v * v);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                a[i][j] += row[i] * row[j];
            a[i][3] += row[i] * rhs;
        }
    }
    // Gaussian elimination with partial pivoting.
    for (int c = 0; c < 3; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 3; ++r)
            if (std::abs(a[r][c]) > std::abs(a[pivot][c])) pivot = r;
        if (std::abs(a[pivot][c]) < 1e-12) return false;
        std::swap(a[c], a[pivot]);
        for (int r = 0; r < 3; ++r) {
            if (r == c) continue;
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < 4; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    const double d = a[0][3] / a[0][0], e = a[1][3] / a[1][1], f = a[2][3] / a[2][2];
    const double r2 = 0.25 * (d * d + e * e) - f;
    if (!(r2 > 0) || !std::isfinite(r2)) return false;
    centre = vxVector<2>(mean.x() - d / 2, mean.y() - e / 2);
    radius = std::sqrt(r2);
    return true;
}

// The line's kind and fitted geometry from its placed positions.
void fitLine(vxToolLine& line, const std::vector<vxToolPosition>& positions,
             vxOCArrangeDefs::LineType type) {
    std::vector<vxVector<2>> points;
    double cellHeight = 0;
    for (const long i : line.positions)
        if (positions[i].status != vxOCArrangeDefs::eUnknown) {
            points.push_back(positions[i].origin);
            const auto& c = positions[i].cell;
            cellHeight += (c[3] - c[0]).length();
        }
    if (points.size() < 2) return;
    cellHeight /= points.size();
    vxVector<2> mean, dir;
    const double residual = straightResidual(points, mean, dir);
    line.isCircular =
        points.size() >= 3 && type != vxOCArrangeDefs::eStraight &&
        (type == vxOCArrangeDefs::eCircular || residual > std::max(2.0, 0.1 * cellHeight)) &&
        fitCircle(points, mean, line.centre, line.radius);
    line.hasGeometry = true;
    if (line.isCircular) {
        // From the first point to the last through the others, turn by turn.
        const auto polar = [&](const vxVector<2>& q) {
            return std::atan2(q.y() - line.centre.y(), q.x() - line.centre.x());
        };
        line.start = polar(points.front());
        double previous = line.start;
        line.sweep = 0;
        for (std::size_t k = 1; k < points.size(); ++k) {
            const double a = polar(points[k]);
            line.sweep += std::remainder(a - previous, 2 * std::numbers::pi);
            previous = a;
        }
        return;
    }
    // The segment spanning the points' projections, half a cell longer at each end.
    double lo = 0, hi = 0;
    for (const auto& q : points) {
        const double t = (q - mean).x() * dir.x() + (q - mean).y() * dir.y();
        lo = std::min(lo, t);
        hi = std::max(hi, t);
    }
    const double pad = 0.35 * cellHeight;
    line.from = mean + dir * (lo - pad);
    line.to = mean + dir * (hi + pad);
}

} // namespace

void vfToolPlaceCell(vxToolPosition& p, const vxOCModel& model,
                     const vxXform<2>& clientFromModel) {
    const vxXform<2> clientFromModelImage = clientFromModel * model.image().clientFromImageXform();
    const vxPelRect& a = model.imageArea();
    const double x0 = a.x(), y0 = a.y(), x1 = a.lr().x(), y1 = a.lr().y();
    p.cell = {clientFromModelImage.mapPoint({x0, y0}), clientFromModelImage.mapPoint({x1, y0}),
              clientFromModelImage.mapPoint({x1, y1}), clientFromModelImage.mapPoint({x0, y1})};
    p.cellCenter = clientFromModelImage.mapPoint({0.5 * (x0 + x1), 0.5 * (y0 + y1)});
}

const char* vfToolStatusName(vxOCArrangeDefs::CharStatus status) {
    switch (status) {
    case vxOCArrangeDefs::eMatched:
        return "matched";
    case vxOCArrangeDefs::eInferred:
        return "inferred";
    default:
        return "unknown";
    }
}

vxToolReport vfToolMakeReport(const vxOCArrangeResults& results, const vxOCAlphabet& alphabet,
                              const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                              double timeMs) {
    vxToolReport report;
    report.isFound = results.isFound();
    report.isSearchTruncated = results.isSearchTruncated();
    report.timeMs = timeMs;
    if (!results.arrangement()) return report;

    const vxOCLineArrangement& arrangement = *results.arrangement();
    // The lines hold every target position once, in target order.
    long index = 0;
    for (long j = 0; j < arrangement.numLines(); ++j) {
        const vxOCLine& line = *arrangement.lines()[j];
        vxToolLine out;
        out.name = line.name();
        const vxXform<2> clientFromLine =
            results.clientFromArrangementXform() * arrangement.linePoses()[j].linear();
        for (long k = 0; k < line.numPositions(); ++k, ++index) {
            if (index >= static_cast<long>(targetKeys.size()) ||
                index >= static_cast<long>(results.statusFlags().size()))
                throw std::runtime_error("the arrangement holds more positions than the target");
            vxToolPosition p;
            p.index = index;
            p.key = targetKeys[index];
            p.status = results.statusFlags()[index];
            p.score = results.scores()[index];
            p.scale = line.charScales()[k];
            p.line = j;
            const vxXform<2> pose = clientFromLine * line.charPoses()[k].linear();
            p.origin = pose.trans();
            p.angleDeg = vxDegree(pose.xRot()).plain();

            const vxOCModel& model = *alphabet.character(p.key);
            p.name = model.name();
            vfToolPlaceCell(
                p, model, pose * vxXform<2>(vxVector<2>(0, 0), p.scale, 1.0, vxRadian(0), vxRadian(0)));
            out.positions.push_back(index);
            report.positions.push_back(p);
        }
        report.lines.push_back(out);
    }
    if (index != static_cast<long>(targetKeys.size()))
        throw std::runtime_error("the arrangement holds fewer positions than the target");
    for (vxToolLine& line : report.lines)
        fitLine(line, report.positions, params.lineType());
    return report;
}

void vfToolPrintTable(std::ostream& out, const vxToolReport& report) {
    char row[200];
    std::snprintf(row, sizeof row, "found: %s%s, %.1f ms\n", report.isFound ? "yes" : "no",
                  report.isSearchTruncated ? " (search truncated)" : "", report.timeMs);
    out << row;
    if (report.positions.empty()) return;
    // The cell centre is where the character is; the model origin may lie elsewhere.
    out << "    #  char  status    score  centre x  centre y    angle  scale  line\n";
    for (const vxToolPosition& p : report.positions) {
        if (p.status == vxOCArrangeDefs::eUnknown) {
            std::snprintf(row, sizeof row, "  %3ld  %-4s  %-8s  %5.3f\n", p.index,
                          vfToolToUtf8(p.name).c_str(), vfToolStatusName(p.status), p.score);
        } else {
            std::snprintf(row, sizeof row,
                          "  %3ld  %-4s  %-8s  %5.3f  %8.2f  %8.2f  %7.2f  %5.3f  %4ld\n", p.index,
                          vfToolToUtf8(p.name).c_str(), vfToolStatusName(p.status), p.score,
                          p.cellCenter.x(), p.cellCenter.y(), p.angleDeg, p.scale, p.line);
        }
        out << row;
    }
    for (const vxToolLine& line : report.lines) {
        std::snprintf(row, sizeof row, "  %s: %s, positions %ld to %ld\n",
                      vfToolToUtf8(line.name).c_str(), line.isCircular ? "circular" : "straight",
                      line.positions.front(), line.positions.back());
        out << row;
    }
}

void vfToolPrintJson(std::ostream& out, const vxToolReport& report) {
    vxJsonWriter json(out);
    json.beginObject();
    json.key("isFound");
    json.value(report.isFound);
    json.key("isSearchTruncated");
    json.value(report.isSearchTruncated);
    json.key("timeMs");
    json.value(report.timeMs);
    json.key("positions");
    json.beginArray();
    for (const vxToolPosition& p : report.positions) {
        json.beginObject();
        json.key("index");
        json.value(p.index);
        json.key("key");
        json.value(p.key);
        json.key("name");
        json.value(vfToolToUtf8(p.name));
        json.key("status");
        json.value(vfToolStatusName(p.status));
        json.key("score");
        json.value(p.score);
        json.key("x");
        json.value(p.origin.x());
        json.key("y");
        json.value(p.origin.y());
        json.key("angleDeg");
        json.value(p.angleDeg);
        json.key("scale");
        json.value(p.scale);
        json.key("cellCenter");
        json.beginArray(true);
        json.value(p.cellCenter.x());
        json.value(p.cellCenter.y());
        json.endArray();
        json.key("line");
        json.value(p.line);
        json.endObject();
    }
    json.endArray();
    json.key("lines");
    json.beginArray();
    for (const vxToolLine& line : report.lines) {
        json.beginObject();
        json.key("name");
        json.value(vfToolToUtf8(line.name));
        json.key("positions");
        json.beginArray(true);
        for (const long i : line.positions)
            json.value(i);
        json.endArray();
        json.key("kind");
        json.value(line.isCircular ? "circular" : "straight");
        json.endObject();
    }
    json.endArray();
    json.endObject();
}
