// Drawing a diagnostic record: its image in grey with its graphics over it.
#pragma once

#include "vxDiagRecord.h"
#include "vxRgbImage.h"

struct vxDiagRenderOptions {
    // The area drawn for a record without an image, in its graphics' coordinates (which
    // are then used as image coordinates). When null, the smallest pel rectangle that
    // holds every graphic, pens and icons included, is used.
    vxPelRect canvas;
    // The colour of a canvas without image pixels.
    vxColor background = vxColor::black;
};

// A raster of the record's image window (raster pixel (0, 0) is the window's upper-left
// pixel) with every grey value g drawn as (g, g, g), and the graphics annotations drawn
// over it in order: image-coordinate graphics as they are, client-coordinate graphics
// mapped through the image's image-from-client transform. Lines are drawn pixel by
// pixel with square pens; rectangles and polygons fill the pixels whose centres lie
// inside; an axis-parallel rectangle's outline is the edge of that pixel set; ellipse
// arcs are drawn as short segments. Throws vxPel::NonLinearXform when client graphics
// are drawn over an image with a non-linear transform, vxGeomDefs::Singular when that
// transform has no inverse, and vxDiagDefs::BadArgument when the raster would be too
// large (vxRgbImage::kMaxPixels).
vxRgbImage vfRenderDiagRecord(const vxDiagRecord& record,
                              const vxDiagRenderOptions& options = vxDiagRenderOptions());
