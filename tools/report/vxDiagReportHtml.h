// A diagnostic object as one self-contained HTML page, for a person to look at in a
// browser: nothing is fetched from anywhere (images are data URIs, the style and the
// few lines of script are inline).
//
// The page shows the records in order as a tree by level: a record of a deeper level
// than the one before nests inside it, each a collapsible <details id="rN"> (N the
// record's index) with its title as the summary; levels 0 and 1 start open. A record's image
// is embedded as PNG with its graphics annotations drawn over it as SVG in image pixel
// units (pixel (i, j) covers [i, i + 1) x [j, j + 1); the SVG's viewBox is the image
// window, so it scales with the image); client-coordinate graphics are mapped through
// the image's image-from-client transform first. Each image is framed by a one-pixel
// border of colour kDiagReportFrameColour. Every graphics annotation has a checkbox that
// shows or hides it; text annotations follow as preformatted blocks under their names.
// A record without an image but with graphics draws them on a dark canvas around them.
// Zoom buttons scale every image (pixels stay sharp); the fragment #N shows record N:
// it and its ancestors open, the other records folded.
#pragma once

#include "vxDiagObject.h"

#include <ostream>
#include <string>

// The colour of the border around each image, "#rrggbb".
inline constexpr const char* kDiagReportFrameColour = "#4a6fa5";

// Writes the page of `diag` titled `title` to `out` as UTF-8. Images cannot be embedded
// without libpng, and graphics in client coordinates cannot be drawn over an image
// whose transform is not linear or not invertible: the page then says so in their place
// instead of failing. Stream errors are left in the stream's state.
void vfWriteDiagReportHtml(const vxDiagObject& diag, std::ostream& out, const std::wstring& title);

// The page of vfWriteDiagReportHtml as a string.
std::string vfDiagReportHtml(const vxDiagObject& diag, const std::wstring& title);
