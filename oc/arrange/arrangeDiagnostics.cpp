// Arranger diagnostics: the input, "Build arrangement" and output records. Text is
// built only when a record is asked for; nothing here changes a result.
#include "arrangeDiagnostics.h"

#include "vxDiagObject.h"
#include "vxGraphicList.h"
#include "vxNumText.h"
#include "vxOCLine.h"
#include "vx_OCDiagnostics.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace {

constexpr int kNoLimit = 0x7fffffff;

double degrees(vxRadian a) { return a.plain() * 180.0 / std::numbers::pi; }

std::wstring typeName(vxOCModel::CharType type) {
    switch (type) {
    case vxOCModel::eNormal: return L"eNormal";
    case vxOCModel::eBlank: return L"eBlank";
    }
    return L"BadEnumValue";
}

// Status names padded to one width.
std::wstring statusName(vxOCArrangeDefs::CharStatus status) {
    switch (status) {
    case vxOCArrangeDefs::eMatched: return L"eMatched ";
    case vxOCArrangeDefs::eInferred: return L"eInferred";
    case vxOCArrangeDefs::eUnknown: return L"eUnknown ";
    }
    return L"BadEnumValue";
}

std::wstring xformText(const vxXform<2>& x) {
    std::wostringstream s;
    const vxMatrix<2>& m = x.matrix();
    s << L"[" << m(0, 0) << L" " << m(0, 1) << L"; " << m(1, 0) << L" " << m(1, 1) << L"]"
      << L" xRot=" << degrees(x.xRot()) << L" yRot=" << degrees(x.yRot()) << L" xScale="
      << x.xScale() << L" yScale=" << x.yScale() << L" trans=(" << x.trans().x() << L", "
      << x.trans().y() << L")";
    return s.str();
}

std::wstring rigidText(const vx2Rigid& r) {
    std::wostringstream s;
    s << L"(" << r.trans().x() << L", " << r.trans().y() << L") angle " << degrees(r.angle())
      << L" deg";
    return s.str();
}

std::wstring poseText(const vx_Pose& p) {
    std::wostringstream s;
    s << L"(" << p.translation().x() << L", " << p.translation().y() << L") angle "
      << degrees(p.angle()) << L" deg scale " << p.scale();
    return s.str();
}

// "Number of characters", a header and one row per key; with statuses and scores, two
// more columns after the index.
std::wstring keyTable(const std::vector<long>& keys, const vxOCAlphabet& alphabet,
                      const vxOCArrangeResults* results) {
    std::wostringstream s;
    s << L"Number of characters: " << keys.size() << L"\n"
      << (results ? L"Index\tStatus\t\tScore\tKey\t\tName\tType\tSize\n"
                  : L"Index\tKey\t\tName\tType\tSize\n");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        s << i << L"\t";
        if (results) {
            const bool has = i < results->statusFlags().size() && i < results->scores().size();
            s << (has ? statusName(results->statusFlags()[i]) : L"") << L"\t"
              << (has ? vfDbl(results->scores()[i], 3, false) : L"") << L"\t";
        }
        s << vfHex(keys[i], 8) << L"\t";
        if (!alphabet.hasCharacter(keys[i])) {
            s << L"Key not found in alphabet!\n";
            continue;
        }
        const vxOCModel& model = *alphabet.character(keys[i]);
        s << L"'" << model.name() << L"'\t" << typeName(model.charType()) << L"\t"
          << model.imageArea().width() << L"x" << model.imageArea().height() << L"\n";
    }
    return s.str();
}

std::wstring limitText(int value) {
    return value == kNoLimit ? std::wstring(L"No limit\n") : std::to_wstring(value) + L"\n";
}

std::wstring runParamsText(const vxOCArrangeParams& p) {
    std::wostringstream s;
    s << L"Run params\n";
    s << L"Max lines\t\t" << limitText(p.maxLines());
    s << L"Max unmatched chars\t" << limitText(p.maxUnmatchedChars());
    s << L"Line type\t\t\t"
      << (p.lineType() == vxOCArrangeDefs::eStraight   ? L"Straight\n"
          : p.lineType() == vxOCArrangeDefs::eCircular ? L"Circular\n"
                                                       : L"Don't care\n");
    s << L"Orientation mode\t\t"
      << (p.orientationMode() == vxOCArrangeDefs::eSpecified ? L"Specified\n" : L"Average\n");
    s << L"Orientation frame\t\t"
      << (p.orientationReference() == vxOCArrangeDefs::eAbsolute ? L"Absolute\n"
                                                                 : L"Relative\n");
    s << L"Expected Orientation\t" << p.expectedOrientation().plain() << L" rad/"
      << degrees(p.expectedOrientation()) << L" deg ("
      << (p.orientationMode() == vxOCArrangeDefs::eSpecified ? L"used)\n" : L"not used)\n");
    s << L"Line break cost\t\t" << p.lineBreakCost() << L"\n";
    s << L"Unmatched char cost\t" << p.unmatchedCharCost() << L"\n";
    s << L"Normal trans cost\t\t" << p.normalTransCost() << L"\n";
    s << L"Tangential trans cost\t" << p.tangentialTransCost() << L"\n";
    s << L"Orientation cost\t\t" << p.orientationCost() << L"\n";
    s << L"Scale cost\t\t" << p.scaleCost() << L"\n";
    return s.str();
}

// A text annotation named by its first line.
void addText(vxDiagRecord& record, const std::wstring& text) {
    record.text(text, text.substr(0, text.find(L'\n')));
}

// A position's cell outline, direction tick and origin, in green (matched) or orange
// (inferred); nothing for unknown positions.
void drawCharacter(vxGraphicList& list, const vxAffineRectangle& cell, const vx_Pose& pose,
                   vxOCArrangeDefs::CharStatus status) {
    if (status == vxOCArrangeDefs::eUnknown) return;
    const vxColor color =
        status == vxOCArrangeDefs::eMatched ? vxColor::green : vxColor::orange;
    const vxXform<2> x = pose.xform();
    list.add(vxGraphicAffineRect(cell.map(x), color));
    const double tick = 0.5 * std::min(cell.xLength(), cell.yLength());
    const vxLineSeg direction(vxVector<2>(0.0, 0.0), vxVector<2>(tick, 0.0));
    list.add(vxGraphicLineSeg(direction.map(x), color, 2));
    list.add(vxGraphicPointIcon(x.mapPoint(vxVector<2>(0.0, 0.0)), vxColor::yellow));
}

void drawLine(vxGraphicList& list, const vx_ArrangeLineCost& line) {
    if (line.kind == vx_ArrangeLineCost::eCircular)
        list.add(vxGraphicEllipseArc(line.arc, vxColor::red, 2));
    else if (line.kind == vx_ArrangeLineCost::eStraight)
        list.add(vxGraphicLineSeg(line.segment, vxColor::red, 2));
}

} // namespace

void vf_RecordArrangeInput(const vxPelBuffer_const<unsigned char>& image,
                           const vxPelBuffer_const<unsigned char>& mask,
                           const vxOCAlphabet& alphabet, const std::vector<long>& targetKeys,
                           const vxOCArrangeParams& params, vxDiagObject* diag) {
    if (!diag) return;
    vxDiagRecord* record = vf_AddImage(diag, image, L"OC Arranger: Input", false);
    std::wostringstream info;
    info << L"Image info\nSize:\t" << image.width() << L" x " << image.height() << L"\nOffset:\t("
         << image.offset().x() << L", " << image.offset().y() << L")\n";
    addText(*record, info.str());
    std::vector<long> alphabetKeys;
    for (const auto& model : alphabet.characters())
        if (model) alphabetKeys.push_back(model->key());
    addText(*record, L"Alphabet info\n" + keyTable(alphabetKeys, alphabet, nullptr));
    addText(*record, L"Target string\n" + keyTable(targetKeys, alphabet, nullptr));
    addText(*record, runParamsText(params));

    diag->level(diag->level() + 1);
    if (mask.isBound()) vf_AddImage(diag, mask, L"Runtime mask", false);
    vf_AddAlphabet(diag, &alphabet, L"Alphabet details", true);
    diag->level(diag->level() - 1);
}

void vf_RecordBuildArrangement(const vxPelBuffer_const<unsigned char>& image,
                               const vxOCAlphabet& alphabet, const std::vector<long>& targetKeys,
                               const std::vector<vx_ArrangePositionInfo>& positionInfo,
                               const std::vector<vx_Pose>& poses,
                               const std::vector<double>& scores,
                               const std::vector<vxOCArrangeDefs::CharStatus>& statusFlags,
                               const vxOCArrangeParams& params, const vx_ArrangeCandidate& best,
                               const vx_ArrangeCost& cost, bool success, vxDiagObject* diag) {
    if (!diag) return;
    diag->level(diag->level() + 1);
    vxDiagRecord* record = vf_AddImage(diag, image, L"Build arrangement", false);
    const std::size_t n = std::min({targetKeys.size(), positionInfo.size(), poses.size(),
                                    scores.size(), statusFlags.size(),
                                    static_cast<std::size_t>(best.numDecided())});
    for (int j = 0; j < best.numLines() && static_cast<std::size_t>(j) < cost.lines.size(); ++j) {
        const vx_ArrangeLineCost& line = cost.lines[static_cast<std::size_t>(j)];
        const int begin = best.lineBegin(j), end = best.lineEnd(j);
        vxGraphicList graphics;
        std::wostringstream s;
        s << L"Line " << j << L":"
          << (line.kind == vx_ArrangeLineCost::eCircular ? L"Circular" : L"Straight") << L", "
          << (end - begin) << L" characters\n"
          << L"Average angle: " << degrees(line.orientation) << L" degrees\n"
          << L"Aerage scale: " << line.scale << L"\n"
          << L"Cost details:\nIndex\tChar\tChoice\tMatch\tTan\tNorm\tRot\tScale\n";
        double match = 0.0, tan = 0.0, norm = 0.0, rot = 0.0, scale = 0.0;
        int matched = 0;
        for (int i = begin; i < end && static_cast<std::size_t>(i) < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(i);
            const std::wstring name = alphabet.hasCharacter(targetKeys[k])
                                          ? alphabet.character(targetKeys[k])->name()
                                          : std::wstring();
            drawCharacter(graphics, positionInfo[k].cell(), poses[k], statusFlags[k]);
            s << i << L"\t'" << name << L"'\t";
            if (!best.isMatched(i) || k >= cost.positions.size()) {
                s << (statusFlags[k] == vxOCArrangeDefs::eUnknown ? L"unknown" : L"inferred")
                  << L"\t--\t--\t--\t--\t--\tCharacter unmatched; pose " << poseText(poses[k])
                  << L"\n";
                continue;
            }
            const vx_ArrangePositionCost& pc = cost.positions[k];
            const double terms[5] = {1.0 - scores[k], params.tangentialTransCost() * pc.tangential,
                                     params.normalTransCost() * pc.normal,
                                     params.orientationCost() * pc.orientation,
                                     params.scaleCost() * std::fabs(pc.scaleDeviation)};
            s << best.choices()[k];
            for (double t : terms)
                s << L"\t" << t;
            s << L"\n";
            match += terms[0], tan += terms[1], norm += terms[2], rot += terms[3], scale += terms[4];
            ++matched;
        }
        const double spread = matched > 0 ? double(end - begin) / matched : 1.0;
        s << L"Normalized total\t\t" << match << L"\t" << tan * spread << L"\t" << norm * spread
          << L"\t" << rot * spread << L"\t" << scale * spread << L"\n";
        drawLine(graphics, line);
        record->graphics(graphics, L"Line #" + std::to_wstring(j) + L" graphics");
        record->text(s.str(), L"Line #" + std::to_wstring(j) + L" details");
    }
    std::wostringstream total;
    if (!success) {
        total << L"No valid solution found";
    } else {
        total << L"Best solution:\n"
              << L"Line break cost\t\t" << cost.lineBreak << L"\n"
              << L"Unmatched char cost\t" << cost.unmatched << L"\n"
              << L"Normal trans cost\t\t" << cost.normal << L"\n"
              << L"Tangential trans cost\t" << cost.tangential << L"\n"
              << L"Orientation cost\t\t" << cost.orientation << L"\n"
              << L"Scale cost\t\t" << cost.scale << L"\n"
              << L"Total cost\t\t\t" << cost.total() << L"\n";
    }
    record->text(total.str(), L"Arrangement cost");
    diag->level(diag->level() - 1);
}

void vf_RecordArrangeOutput(const vxPelBuffer_const<unsigned char>& image,
                            const std::vector<long>& targetKeys, const vxOCAlphabet& alphabet,
                            const vxOCArrangeResults& results, vxDiagObject* diag,
                            unsigned long diagFlags) {
    if (!diag || !vxDiagObject::shouldRecord(diagFlags, vxDiagObject::eResults)) return;
    vxDiagRecord* record = vf_AddImage(diag, image, L"OC Arranger: Output", false);
    const vxOCLineArrangement* arrangement = results.arrangement().get();
    std::wostringstream s;
    s << L"Overall info\n"
      << L"isFound: " << vfStr(results.isFound()) << L"\n"
      << L"isSearchTruncated: " << vfStr(results.isSearchTruncated()) << L"\n"
      << L"clientFromArrangementXform: " << xformText(results.clientFromArrangementXform())
      << L"\n\n"
      << keyTable(targetKeys, alphabet, &results) << L"\n"
      << L"Arrangement name: " << (arrangement ? arrangement->name() : std::wstring()) << L"\n"
      << L"Number of lines: " << (arrangement ? arrangement->numLines() : 0L) << L"\n";
    addText(*record, s.str());

    vxGraphicList all;
    if (arrangement) {
        diag->level(diag->level() + 1);
        std::size_t position = 0; // the lines hold every target position once, in order
        for (long j = 0; j < arrangement->numLines(); ++j) {
            const vxOCLine& line = *arrangement->lines()[static_cast<std::size_t>(j)];
            const vx2Rigid& linePose = arrangement->linePoses()[static_cast<std::size_t>(j)];
            vxDiagRecord* lineRecord =
                vf_AddImage(diag, image, L"Details for line #" + std::to_wstring(j), false);
            std::wostringstream d;
            d << L"Line pose: " << rigidText(linePose) << L"\n"
              << L"Number of positions: " << line.numPositions() << L"\n";
            vxGraphicList graphics;
            for (long p = 0; p < line.numPositions(); ++p, ++position) {
                const vxOCKeySet& keys = line.keySetSequence()[static_cast<std::size_t>(p)];
                const vx2Rigid& pose = line.charPoses()[static_cast<std::size_t>(p)];
                const double scale = line.charScales()[static_cast<std::size_t>(p)];
                const std::vector<vxPtrHandle_const<vxOCModel>> models =
                    line.isWildcard(p) ? std::vector<vxPtrHandle_const<vxOCModel>>()
                                       : line.characters(p);
                const std::wstring status = position < results.statusFlags().size()
                                                ? statusName(results.statusFlags()[position])
                                                : std::wstring();
                d << L"Position #" << p << L"\n  Number of characters: " << keys.keys().size()
                  << L"\n";
                const vxXform<2> place =
                    results.clientFromArrangementXform() * linePose.linear() * pose.linear() *
                    vxXform<2>(vxMatrix<2>::scaling(scale, scale), vxVector<2>());
                for (std::size_t c = 0; c < models.size(); ++c) {
                    const vxOCModel& model = *models[c];
                    d << L"    Character #" << c << L"  Key: " << vfHex(model.key(), 8)
                      << L"  Type: " << typeName(model.charType()) << L"\n"
                      << L"      Name: '" << model.name() << L"'\n"
                      << L"      Status: " << status << L"\n"
                      << L"      Pose: " << rigidText(pose) << L"\n"
                      << L"      Scale: " << scale << L"\n";
                    const vxPelRect& area = model.imageArea();
                    const vxXform<2> cfi = model.image().clientFromImageXform();
                    const vxAffineRectangle cell(cfi.mapPoint(vxVector<2>(area.ul())),
                                                 cfi.mapPoint(vxVector<2>(area.ur())),
                                                 cfi.mapPoint(vxVector<2>(area.ll())));
                    graphics.add(vxGraphicRect(cell.map(place).encloseRect(), vxColor::yellow, 1,
                                               true));
                }
            }
            lineRecord->text(d.str(), L"Details");
            lineRecord->graphics(graphics, L"Graphics");
            all.append(graphics);
        }
        diag->level(diag->level() - 1);
    }
    record->graphics(all, L"Arrangement graphics");
}
