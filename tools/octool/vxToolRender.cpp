// Laying out, rendering and describing test images and sample sheets.
#include "vxToolRender.h"

#include "vxImageFile.h"
#include "vxJsonWriter.h"
#include "vxToolArgs.h"
#include "vxToolOutput.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>

namespace {

void writeImage(const std::string& path, const vxPelBuffer_const<unsigned char>& image) {
    try {
        vfWriteImageFile(path, image);
    } catch (const std::exception& e) {
        throw vxToolError(e.what());
    }
}

void checkGlyphs(const std::string& text, vxTestFont::Style font) {
    const vxTestFont& f = vxTestFont::get(font);
    for (const char c : text) {
        if (c == ' ') continue;
        if (static_cast<unsigned char>(c) >= 0x80)
            throw vxToolError("the test font has ASCII characters only (\"" + f.characters() +
                              "\")");
        if (!f.hasGlyph(c))
            throw vxToolError(std::string("the test font has no character '") + c + "' (it has \"" +
                              f.characters() + "\")");
    }
}

} // namespace

vxToolRendered vfToolRenderText(const vxToolTextLayout& layout) {
    vxToolRendered out;
    const double gap =
        layout.lineGap > 0 ? layout.lineGap : 1.8 * layout.style.size * layout.style.scale;
    const vxRadian angle{vxDegree(layout.angleDeg)};
    const double n = static_cast<double>(layout.lines.size());
    for (std::size_t k = 0; k < layout.lines.size(); ++k) {
        const std::string& text = layout.lines[k];
        checkGlyphs(text, layout.scene.font);
        std::vector<vxTestCharPlacement> line;
        if (layout.arcRadius > 0) {
            // Later lines run inside the earlier ones.
            line = vfLayoutArc(text, layout.center, layout.arcRadius - k * gap,
                               vxRadian(vxDegree(layout.arcMiddleDeg)), !layout.arcInward,
                               layout.style);
        } else {
            // Lines are stacked downward in the text's frame, centred on `center`.
            const double offset = (k - (n - 1) / 2) * gap;
            const vxVector<2> down(-std::sin(angle.plain()), std::cos(angle.plain()));
            line = vfLayoutLine(text, layout.center + down * offset, angle, layout.style);
        }
        for (const vxTestCharPlacement& p : line)
            if (p.code != ' ') {
                out.placements.push_back(p);
                out.lineOf.push_back(static_cast<long>(k));
                out.target += p.code;
            }
    }
    out.printed.assign(out.placements.size(), true);
    for (const long i : layout.omitted) {
        if (i < 0 || i >= static_cast<long>(out.placements.size()))
            throw vxToolError("--omit: there is no character " + std::to_string(i) +
                              " (the text has " + std::to_string(out.placements.size()) + ")");
        out.printed[i] = false;
    }
    std::vector<vxTestCharPlacement> inked;
    for (std::size_t i = 0; i < out.placements.size(); ++i)
        if (out.printed[i]) inked.push_back(out.placements[i]);
    out.image = vfRenderTestImage(layout.scene, inked);
    // The truth of every character, printed or not, in layout order.
    out.image.truth.clear();
    for (const vxTestCharPlacement& p : out.placements)
        out.image.truth.push_back(vfTestCharTruth(p, layout.scene.font));
    return out;
}

void vfToolWriteTruth(const std::string& path, const std::string& imagePath,
                      const vxToolRendered& rendered) {
    std::ostringstream file;
    vxJsonWriter json(file);
    json.beginObject();
    json.key("image");
    json.value(imagePath);
    json.key("width");
    json.value(rendered.image.image.width());
    json.key("height");
    json.value(rendered.image.image.height());
    json.key("target");
    json.value(rendered.target);
    json.key("positions");
    json.beginArray();
    for (std::size_t i = 0; i < rendered.placements.size(); ++i) {
        const vxTestCharTruth& t = rendered.image.truth[i];
        json.beginObject();
        json.key("name");
        json.value(std::string(1, t.code));
        json.key("line");
        json.value(rendered.lineOf[i]);
        json.key("printed");
        json.value(static_cast<bool>(rendered.printed[i]));
        json.key("x");
        json.value(t.center.x());
        json.key("y");
        json.value(t.center.y());
        json.key("angleDeg");
        json.value(vxDegree(t.angle).signedNorm().plain());
        json.key("scale");
        json.value(rendered.placements[i].scale);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    vfToolWriteOutput(path, file.str());
}

void vfToolRenderSheet(const std::string& chars, double size, const vxTestScene& look,
                       const std::string& imagePath, const std::string& manifestPath) {
    checkGlyphs(chars, look.font);
    for (std::size_t i = 0; i < chars.size(); ++i)
        if (chars[i] == ' ' || chars.find(chars[i]) != i)
            throw vxToolError("--sheet: characters must be distinct and not spaces");
    if (!(size > 0 && size <= 1000))
        throw vxToolError("--size: a sheet's cap height must be above 0 and at most 1000 pixels");
    // Cells a few pixels wider than a character's cell, in rows of up to ten.
    const long margin = std::max(4L, std::lround(size / 8));
    const long w = static_cast<long>(std::ceil(vxTestFont::cellWidth * size)) + 2 * margin;
    const long h = static_cast<long>(std::ceil(vxTestFont::cellHeight * size)) + 2 * margin;
    const long border = 10;
    const long count = static_cast<long>(chars.size());
    const long columns = std::min(10L, std::max(1L, count));
    const long rows = (count + columns - 1) / columns;
    vxTestScene scene = look;
    scene.width = 2 * border + columns * w;
    scene.height = 2 * border + std::max(1L, rows) * h;

    std::vector<vxTestCharPlacement> placements;
    std::vector<vxPelRect> cells;
    for (long i = 0; i < count; ++i) {
        const vxPelRect cell(border + (i % columns) * w, border + (i / columns) * h, w, h);
        vxTestCharPlacement p;
        p.code = chars[i];
        p.size = size;
        p.x = cell.x() + 0.5 * w; // the cell centre is the rectangle's centre
        p.y = cell.y() + 0.5 * h;
        placements.push_back(p);
        cells.push_back(cell);
    }
    const vxTestImage sheet = vfRenderTestImage(scene, placements);
    writeImage(imagePath, sheet.image);

    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(manifestPath).parent_path();
    const std::string relative = fs::absolute(imagePath).lexically_relative(folder).string();
    std::ostringstream file;
    file << "# KEY NAME IMAGE X Y W H: one character per line, its cell on the sheet\n";
    for (long i = 0; i < count; ++i)
        file << static_cast<long>(chars[i]) << ' ' << chars[i] << ' ' << relative << ' '
             << cells[i].x() << ' ' << cells[i].y() << ' ' << w << ' ' << h << '\n';
    vfToolWriteOutput(manifestPath, file.str());
}
