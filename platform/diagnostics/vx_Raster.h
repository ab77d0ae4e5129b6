// Pixel drawing into an RGB raster, the inner loops of diagnostics rendering. Every
// position is in raster coordinates: pixel (i, j) covers [i, i+1) x [j, j+1). Arguments
// are trusted (rendering has checked them); shapes with non-finite coordinates are
// skipped and everything is clipped to the raster, so no input draws outside it or
// loops for long.
#pragma once

#include "vxGraphic.h"
#include "vxPelBuffer.h"
#include "vxRgbImage.h"

#include <vector>

// The grey pixels of the image's window, g drawn as (g, g, g), from raster pixel (0, 0).
// The image is bound and its window fits the raster.
void vf_RasterGrey(vxRgbImage& raster, const vxPelBuffer_const<unsigned char>& image);
// A line from the pixel holding a to the pixel holding b (Bresenham), each pixel drawn
// as a pen x pen square whose upper-left pixel is (pen - 1) / 2 up and left of it.
void vf_RasterLine(vxRgbImage& raster, const vxVector<2>& a, const vxVector<2>& b, vxColor color,
                   int pen);
// Lines through consecutive points; `closed` joins the last to the first.
void vf_RasterPolyline(vxRgbImage& raster, const std::vector<vxVector<2>>& points, bool closed,
                       vxColor color, int pen);
// Every pixel whose centre lies inside the polygon (even-odd or non-zero winding).
void vf_RasterFillPolygon(vxRgbImage& raster, const std::vector<vxVector<2>>& points, bool nonZero,
                          vxColor color);
// The pixels whose centres lie in the axis-parallel rectangle: all of them when filled,
// else those within `pen` pixels of the edge of that set.
void vf_RasterRect(vxRgbImage& raster, const vxRect& rect, bool filled, vxColor color, int pen);
// An icon around the pixel holding p, reaching `size` pixels from it.
void vf_RasterIcon(vxRgbImage& raster, const vxVector<2>& p, vxGraphicPointIcon::Icon icon,
                   int size, vxColor color, int pen);
