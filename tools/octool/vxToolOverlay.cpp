// Drawing an arrange report over its image.
#include "vxToolOverlay.h"

#include "vxOverlay.h"
#include "vxToolArgs.h"
#include "vxToolText.h"

#include <algorithm>
#include <cmath>

namespace {

const vxColour kMatched{40, 200, 40};
const vxColour kInferred{255, 140, 0};
const vxColour kLine{60, 120, 255};
const vxColour kFailed{230, 30, 30};

} // namespace

void vfToolWriteOverlay(const std::string& path, const vxPelBuffer_const<unsigned char>& image,
                        const vxToolReport& report) {
    vxOverlay overlay(vxRgbImage::fromGrey(image));
    // Image coordinates of the window's picture: the window starts at picture (0, 0).
    const vxXform<2> pictureFromClient =
        vxXform<2>(vxMatrix<2>(), vxVector<2>(-image.window().x(), -image.window().y())) *
        image.imageFromClientXform();
    const auto at = [&](const vxVector<2>& p) { return pictureFromClient.mapPoint(p); };
    const double pixelsPerUnit = std::sqrt(std::abs(pictureFromClient.determinant()));

    for (const vxToolLine& line : report.lines) {
        if (!line.hasGeometry) continue;
        if (line.isCircular) {
            // An arc stays an arc when the client frame is a similarity.
            const vxVector<2> c = at(line.centre);
            const vxVector<2> s =
                at(line.centre +
                   vxVector<2>(std::cos(line.start), std::sin(line.start)) * line.radius);
            overlay.arc(c, line.radius * pixelsPerUnit, std::atan2(s.y() - c.y(), s.x() - c.x()),
                        line.sweep, kLine, 1.5);
        } else {
            overlay.line(at(line.from), at(line.to), kLine, 1.5);
        }
    }
    for (const vxToolPosition& p : report.positions) {
        // Verification places what it judged, a line's end the arranger left unknown too;
        // a position it failed is red.
        const bool judged = p.verdict == 0 || p.verdict == 1;
        if (p.status == vxOCArrangeDefs::eUnknown && !judged) continue;
        const vxColour colour = p.verdict > 0                          ? kFailed
                                : p.status == vxOCArrangeDefs::eInferred ? kInferred
                                                                        : kMatched;
        std::vector<vxVector<2>> cell;
        for (const vxVector<2>& corner : p.cell)
            cell.push_back(at(corner));
        overlay.polygon(cell, colour, 1.5);
        const vxVector<2> centre = at(p.cellCenter);
        const vxVector<2> top = (cell[0] + cell[1]) * 0.5;
        overlay.line(centre, centre + (top - centre) * 0.5, colour, 2.0);
        // The character just above the cell's top edge (in the character's own up
        // direction, so neighbours on the line never cover it), upright.
        const vxVector<2> up = top - centre;
        const double upLength = up.length();
        if (upLength <= 0) continue;
        const double height = std::clamp(upLength / 2.5, 8.0, 20.0);
        const std::string label = vfToolToUtf8(p.name);
        const vxVector<2> anchor = top + up * ((0.9 * height) / upLength);
        // A text cell is 0.8 by 1.4 capital heights, the capital centred in it.
        const double width = 0.8 * height * static_cast<double>(label.size());
        overlay.text(label, anchor - vxVector<2>(width / 2, 0.7 * height), height, colour);
    }
    try {
        vfWriteRgbImageFile(path, overlay.picture());
    } catch (const std::exception& e) {
        throw vxToolError(e.what());
    }
}
