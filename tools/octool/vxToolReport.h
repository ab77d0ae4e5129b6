// What one arrange run found, in the terms octool reports: per target position its
// status, score, pose and cell in client coordinates, and per line its positions,
// kind and fitted geometry; printed as a table or as JSON.
#pragma once

#include "vxOCAlphabet.h"
#include "vxOCArrangeParams.h"
#include "vxOCArrangeResults.h"
#include "vxVector.h"

#include <array>
#include <ostream>
#include <string>
#include <vector>

struct vxToolPosition {
    long index = 0;
    long key = 0;
    std::wstring name;
    vxOCArrangeDefs::CharStatus status = vxOCArrangeDefs::eUnknown;
    double score = 0.0;
    vxVector<2> origin;    // the pose's translation: the model's client origin
    double angleDeg = 0.0; // positive clockwise on screen
    double scale = 1.0;
    // The model's image area under the pose: the corners of its upper-left,
    // upper-right, lower-right and lower-left pixels' outer edges, and its centre.
    std::array<vxVector<2>, 4> cell;
    vxVector<2> cellCenter;
    long line = 0; // index into vxToolReport::lines
    // The verification's verdict (vxOCVerifyDefs::Verdict), or -1 when not verified.
    int verdict = -1;
};

struct vxToolLine {
    std::wstring name;
    std::vector<long> positions; // target indices, in reading order
    bool isCircular = false;
    // The fitted geometry through the placed positions' origins: a segment, or an arc
    // (angles in radians, positive clockwise on screen). Nothing when fewer than two
    // positions are placed.
    bool hasGeometry = false;
    vxVector<2> from, to;
    vxVector<2> centre;
    double radius = 0.0, start = 0.0, sweep = 0.0;
};

struct vxToolReport {
    bool isFound = false;
    bool isSearchTruncated = false;
    double timeMs = 0.0;
    std::vector<vxToolPosition> positions;
    std::vector<vxToolLine> lines;
};

// Collects the report of `results`, found for `targetKeys` with `alphabet` and
// `params`. A line is circular when the line type asks for circles, or, when either
// type is allowed, when three or more placed positions stray from their best straight
// line by more than a tenth of a cell height (at least 2 pixels).
vxToolReport vfToolMakeReport(const vxOCArrangeResults& results, const vxOCAlphabet& alphabet,
                              const std::vector<long>& targetKeys, const vxOCArrangeParams& params,
                              double timeMs);

// Sets the position's cell and cell centre: `model`'s image area carried by
// `clientFromModel` (the model's client frame to the image's, scale included).
void vfToolPlaceCell(vxToolPosition& position, const vxOCModel& model,
                     const vxXform<2>& clientFromModel);

// "matched", "inferred" or "unknown".
const char* vfToolStatusName(vxOCArrangeDefs::CharStatus status);

// A readable table: a summary line, one row per position, one row per line.
void vfToolPrintTable(std::ostream& out, const vxToolReport& report);
// One JSON object: isFound, isSearchTruncated, timeMs, positions, lines.
void vfToolPrintJson(std::ostream& out, const vxToolReport& report);
