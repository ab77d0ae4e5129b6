#include "vxDiagReportHtml.h"

#include "vxBase64.h"
#include "vxGraphicSvg.h"
#include "vxGreyPng.h"
#include "vxHtmlText.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

namespace {

// Records of these first levels start open; deeper ones start folded.
constexpr long kOpenLevels = 2;

// Images are shown at least this large on their longer side (by a whole factor, so
// that pixels stay square), at zoom 1.
constexpr double kLeastDisplaySide = 256.0;

const char* const kStyle = R"(
body{--zoom:1;margin:0;font:15px/1.4 system-ui,sans-serif;color:#1d2330;background:#fff}
header{position:sticky;top:0;z-index:2;display:flex;flex-wrap:wrap;gap:.3em 1em;align-items:baseline;
 padding:.5em 1em;background:#f3f5f8;border-bottom:1px solid #d5dae2}
header h1{font-size:1.15em;margin:0 1em 0 0}
header button{font:inherit;padding:0 .6em}
main{padding:.5em 1em 2em}
details{margin:.3em 0;padding-left:.7em;border-left:2px solid #d5dae2;scroll-margin-top:3.5em}
summary{cursor:pointer;font-weight:600;padding:.15em 0}
summary .n{color:#7a8499;font-weight:400;font-size:.85em;margin-right:.5em}
.fig{overflow:auto;max-width:100%;margin:.4em 0}
.frame{position:relative;width:calc(var(--dw)*var(--zoom)*1px);max-width:100%;background:#333;
 border:1px solid FRAME}
body.zoomed .frame{max-width:none}
.frame img,.frame svg{position:absolute;left:0;top:0;width:100%;height:100%}
.frame img{image-rendering:pixelated}
.frame svg *{vector-effect:non-scaling-stroke}
.toggles label{margin-right:1.2em;white-space:nowrap}
.toggles small,.note{color:#7a8499}
.name{font-weight:600;font-size:.9em;margin-top:.5em}
pre{margin:.2em 0 .5em;padding:.5em .7em;max-height:40em;overflow:auto;background:#f6f7f9;
 border:1px solid #e1e5eb;font:13px/1.35 ui-monospace,monospace}
)";

// Zoom, expand and collapse, graphics on and off, and showing the record the fragment
// #N names: it and its ancestors open, every other record folded, scrolled to only
// when its top is not already in the upper half of the window. (The fragment is not
// the element's id, so that the browser does not scroll on its own first.)
const char* const kScript = R"(
function zoom(z){document.body.style.setProperty('--zoom',z);document.body.classList.toggle('zoomed',z>1)}
function openAll(o){document.querySelectorAll('details').forEach(function(d){d.open=o})}
document.addEventListener('change',function(e){var g=e.target.getAttribute('data-g');
 if(g)document.getElementById(g).style.display=e.target.checked?'':'none'});
function reveal(){var n=location.hash.slice(1),t=n&&document.getElementById('r'+n);if(!t)return;
 document.querySelectorAll('details').forEach(function(d){d.open=false});
 for(var d=t;d;d=d.parentElement)if(d.tagName==='DETAILS')d.open=true;
 var top=t.getBoundingClientRect().top;if(top<0||top>innerHeight/2)t.scrollIntoView()}
addEventListener('hashchange',reveal);reveal();
)";

std::string number(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string nameOr(const std::wstring& name, const char* fallback) {
    return name.empty() ? fallback : vfHtmlEscape(name);
}

std::string note(const std::string& html) {
    return "<p class=\"note\">" + html + "</p>\n";
}

// The graphics of one record as SVG groups in its image's coordinates, with a checkbox
// per group and notes for what cannot be drawn.
struct Overlay {
    std::string groups;
    std::string toggles;
    std::string notes;
    vxViewBounds bounds;
};

Overlay overlayOf(const vxDiagRecord& record, long index) {
    Overlay overlay;
    const auto& annotations = record.graphicsAnnotations();
    vxXform<2> imageFromClient;
    std::wstring clientFault;
    const bool hasClient =
        std::any_of(annotations.begin(), annotations.end(), [](const auto& a) {
            return a.coordinateSystem == vxDiagRecord::eClientCoordinates;
        });
    if (record.hasImage() && hasClient) {
        try {
            imageFromClient = record.image().imageFromClientXform();
        } catch (const vxException& e) {
            clientFault = e.message();
        }
    }
    for (std::size_t k = 0; k < annotations.size(); ++k) {
        const vxDiagRecord::GraphicsAnnotation& a = annotations[k];
        const bool client = a.coordinateSystem == vxDiagRecord::eClientCoordinates;
        const std::string name = nameOr(a.name, "(unnamed graphics)");
        if (client && !clientFault.empty()) {
            overlay.notes += note(name + " not drawn: " + vfHtmlEscape(clientFault));
            continue;
        }
        const std::string id = std::string("g") + std::to_string(index) + "-" + std::to_string(k);
        overlay.groups += "<g id=\"" + id + "\">\n" +
                          vfGraphicsSvg(a.graphics, client ? imageFromClient : vxXform<2>(),
                                        &overlay.bounds) +
                          "</g>\n";
        overlay.toggles += "<label><input type=\"checkbox\" checked autocomplete=\"off\" data-g=\"" +
                           id + "\"> " + name + " <small>(" +
                           (client ? "client" : "image") + " coordinates, " +
                           std::to_string(a.graphics.size()) + " graphics)</small></label>\n";
    }
    return overlay;
}

// The image (or, without one, a canvas around the graphics) with the graphics over it.
void writeFigure(std::ostream& out, const vxDiagRecord& record, long index) {
    Overlay overlay = overlayOf(record, index);
    double x = 0, y = 0, w = 0, h = 0;
    std::string picture;
    if (record.hasImage()) {
        const vxPelRect& window = record.image().window();
        x = double(window.x()), y = double(window.y());
        w = double(window.width()), h = double(window.height());
        try {
            picture = "<img alt=\"\" src=\"data:image/png;base64," +
                      vfBase64(vfEncodeGreyPng(record.image())) + "\">\n";
        } catch (const vxGreyPngError& e) {
            const std::string fault = e.what();
            overlay.notes +=
                note("Image not embedded: " + vfHtmlEscape(std::wstring(fault.begin(), fault.end())));
        }
    } else if (!overlay.bounds.empty()) {
        // Whole units around the graphics, with a little room for pens.
        x = std::floor(overlay.bounds.minX) - 2, y = std::floor(overlay.bounds.minY) - 2;
        w = std::ceil(overlay.bounds.maxX) + 2 - x, h = std::ceil(overlay.bounds.maxY) + 2 - y;
    }
    if (w > 0 && h > 0) {
        const double longSide = std::max(w, h);
        const double upscale = longSide >= kLeastDisplaySide ? 1 : std::floor(kLeastDisplaySide / longSide);
        out << "<div class=\"fig\"><div class=\"frame\" style=\"--dw:" << number(w * upscale)
            << ";aspect-ratio:" << number(w) << "/" << number(h) << "\">\n"
            << picture << "<svg viewBox=\"" << number(x) << " " << number(y) << " " << number(w)
            << " " << number(h) << "\" preserveAspectRatio=\"none\">\n"
            << overlay.groups << "</svg></div></div>\n";
        if (!overlay.toggles.empty()) out << "<div class=\"toggles\">\n" << overlay.toggles << "</div>\n";
    }
    out << overlay.notes;
}

void writeTexts(std::ostream& out, const vxDiagRecord& record) {
    for (const vxDiagRecord::TextAnnotation& t : record.texts())
        out << "<div class=\"name\">" << nameOr(t.name, "(unnamed text)") << "</div><pre>"
            << vfHtmlEscape(t.text) << "</pre>\n";
}

} // namespace

void vfWriteDiagReportHtml(const vxDiagObject& diag, std::ostream& out,
                           const std::wstring& title) {
    const std::string escapedTitle = vfHtmlEscape(title);
    std::string style = kStyle;
    style.replace(style.find("FRAME"), 5, kDiagReportFrameColour);
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        << "<title>" << escapedTitle << "</title>\n<style>" << style << "</style>\n</head>\n<body>\n"
        << "<header><h1>" << escapedTitle << "</h1><span>" << diag.numRecords()
        << " records</span>\n<span>Zoom <button onclick=\"zoom(.5)\">&#189;&#215;</button>"
        << "<button onclick=\"zoom(1)\">1&#215;</button><button onclick=\"zoom(2)\">2&#215;</button>"
        << "<button onclick=\"zoom(4)\">4&#215;</button><button onclick=\"zoom(8)\">8&#215;</button>"
        << "</span>\n<span><button onclick=\"openAll(true)\">Expand all</button>"
        << "<button onclick=\"openAll(false)\">Collapse all</button></span></header>\n<main>\n";
    if (diag.numRecords() == 0) out << note("No records.");

    // Levels of the records whose <details> are still open, innermost last.
    std::vector<long> openLevels;
    for (long i = 0; i < diag.numRecords(); ++i) {
        const vxDiagRecord& record = diag.diagRecord(i);
        while (!openLevels.empty() && openLevels.back() >= record.level()) {
            out << "</div></details>\n";
            openLevels.pop_back();
        }
        out << "<details" << (record.level() < kOpenLevels ? " open" : "") << " id=\"r" << i
            << "\"><summary><span class=\"n\">" << i << "</span>"
            << nameOr(record.annotation(), "(untitled)") << "</summary><div>\n";
        writeFigure(out, record, i);
        writeTexts(out, record);
        openLevels.push_back(record.level());
    }
    for (std::size_t k = 0; k < openLevels.size(); ++k)
        out << "</div></details>\n";
    out << "</main>\n<script>" << kScript << "</script>\n</body>\n</html>\n";
}

std::string vfDiagReportHtml(const vxDiagObject& diag, const std::wstring& title) {
    std::ostringstream out;
    vfWriteDiagReportHtml(diag, out, title);
    return out.str();
}
