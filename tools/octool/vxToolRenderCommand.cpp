// `octool render`: writes generated test images with their ground truth, or sample
// sheets with a teaching manifest.
#include "vxImageFile.h"
#include "vxToolArgs.h"
#include "vxToolCommands.h"
#include "vxToolOutput.h"
#include "vxToolRender.h"

#include <iostream>
#include <sstream>

namespace {

const char* const kUsage =
    "usage: octool render --out IMAGE --text TEXT [--text TEXT ...] [--truth TRUTH.json]\n"
    "                     [layout and look options]\n"
    "       octool render --out IMAGE --sheet CHARS --manifest MANIFEST [look options]\n"
    "\n"
    "Renders characters of the built-in test font (digits, capitals, - . / :). The\n"
    "first form writes a scene and, with --truth, every character's name, line, cell\n"
    "centre (pixel i spans [i, i+1)), angle and scale as JSON. The second writes a\n"
    "sample sheet and a manifest for octool teach. IMAGE is PNG by the .png extension\n"
    "(when built with libpng), PGM otherwise.\n"
    "\n"
    "layout:\n"
    "  --text TEXT        one line of text; repeat for more lines (spaces leave gaps)\n"
    "  --size PX          cap height in pixels (default 32)\n"
    "  --scale S          scale of the characters (default 1)\n"
    "  --advance PX       centre-to-centre spacing at scale 1 (default: 0.8 cap heights)\n"
    "  --angle DEG        reading direction, clockwise on screen (default 0)\n"
    "  --center X,Y       middle of the text, or the arc's centre (default image centre)\n"
    "  --arc RADIUS       lay the text on a circle of this radius about --center\n"
    "  --middle DEG       polar angle of the text's middle on the arc (default -90: top)\n"
    "  --inward           on an arc, character tops toward the centre\n"
    "  --line-gap PX      distance between lines (default 1.8 cap heights)\n"
    "  --omit I,J,...     leave these characters (counted from 0, spaces not counted)\n"
    "                     unprinted; the truth marks them \"printed\": false\n"
    "  --width W --height H   image size (default 640 x 480)\n"
    "look:\n"
    "  --font stroke|dots the stroke font (default) or the 5x7 dot-matrix font\n"
    "  --blur SIGMA       Gaussian blur in pixels (default 0.8)\n"
    "  --noise SIGMA      Gaussian noise in grey levels (default 4)\n"
    "  --contrast C       in (0, 1]: pulls ink and background together (default 1)\n"
    "  --light-on-dark    light characters on a dark background\n"
    "  --seed N           seed of the noise (default 1)\n";

vxTestScene look(const vxToolArgs& args) {
    vxTestScene scene;
    const std::string font = args.value("font", "stroke");
    if (font == "stroke")
        scene.font = vxTestFont::eStroke;
    else if (font == "dots")
        scene.font = vxTestFont::eDotMatrix;
    else
        throw vxToolError("--font: '" + font + "' is neither stroke nor dots");
    scene.width = args.integer("width", 640);
    scene.height = args.integer("height", 480);
    scene.blurSigma = args.number("blur", 0.8);
    scene.noiseSigma = args.number("noise", 4.0);
    scene.contrast = args.number("contrast", 1.0);
    scene.seed = static_cast<unsigned long>(args.integer("seed", 1));
    if (args.has("light-on-dark")) scene.polarity = vxTestScene::eLightOnDark;
    return scene;
}

vxVector<2> parsePoint(const std::string& text, const std::string& what) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) throw vxToolError(what + ": expected X,Y");
    return vxVector<2>(vfToolParseDouble(text.substr(0, comma), what),
                       vfToolParseDouble(text.substr(comma + 1), what));
}

} // namespace

int vfToolRenderCommand(int argc, char** argv, int first) {
    const vxToolArgs args(argc, argv, first,
                          {{"out",     "text",   "truth",  "sheet", "manifest", "size",     "scale",
                            "advance", "angle",  "center", "arc",   "middle",   "line-gap", "omit",
                            "width",   "height", "font",   "blur",  "noise",    "contrast", "seed"},
                           {"inward", "light-on-dark"},
                           {"text"},
                           0});
    if (args.has("help")) {
        std::cout << kUsage;
        return 0;
    }
    const std::string out = args.value("out");
    const vxTestScene scene = look(args);
    const double size = args.number("size", 32.0);
    vfToolCheckOutput(out);
    for (const char* other : {"truth", "manifest"})
        if (args.has(other)) vfToolCheckOutput(args.value(other));

    if (args.has("sheet")) {
        if (args.has("text")) throw vxToolError("render: give either --text or --sheet");
        const std::string manifest = args.value("manifest");
        vfToolRenderSheet(args.value("sheet"), size, scene, out, manifest);
        std::cout << "wrote " << out << " and " << manifest << "\n";
        return 0;
    }

    vxToolTextLayout layout;
    layout.lines = args.values("text");
    if (layout.lines.empty()) throw vxToolError("render: missing --text (or --sheet)");
    layout.scene = scene;
    layout.style.size = size;
    layout.style.scale = args.number("scale", 1.0);
    layout.style.advance = args.number("advance", 0.0);
    layout.center = args.has("center") ? parsePoint(args.value("center"), "--center")
                                       : vxVector<2>(0.5 * scene.width, 0.5 * scene.height);
    layout.angleDeg = args.number("angle", 0.0);
    layout.arcRadius = args.number("arc", 0.0);
    if (args.has("arc") && !(layout.arcRadius > 0))
        throw vxToolError("--arc: the radius must be positive");
    layout.arcMiddleDeg = args.number("middle", -90.0);
    layout.arcInward = args.has("inward");
    layout.lineGap = args.number("line-gap", 0.0);
    if (args.has("omit")) {
        std::istringstream list(args.value("omit"));
        for (std::string item; std::getline(list, item, ',');)
            layout.omitted.push_back(vfToolParseLong(item, "--omit"));
    }
    const vxToolRendered rendered = vfToolRenderText(layout);
    try {
        vfWriteImageFile(out, rendered.image.image);
    } catch (const std::exception& e) {
        throw vxToolError(e.what());
    }
    std::cout << "wrote " << out;
    if (args.has("truth")) {
        vfToolWriteTruth(args.value("truth"), out, rendered);
        std::cout << " and " << args.value("truth");
    }
    std::cout << " (target " << rendered.target << ")\n";
    return 0;
}
