// Test scenes: characters placed at known poses on a synthetic background, rendered
// into an 8-bit image together with the exact ground truth of every character.
//
// A character's pose maps its glyph coordinates (em units, origin at the cell centre,
// y down; see vxTestFont.h) to image coordinates, where pixel (i, j) covers
// [i, i+1) x [j, j+1) and a positive angle turns clockwise on screen:
//     image = (x, y) + size * scale * R(angle) * glyph.
// So (x, y) is where the cell centre lands, and 1 em (the cap height) is size * scale
// pixels long.
//
// Image formation, per pixel: the background level, the ink level mixed in by the
// anti-aliased ink coverage, occlusions painted over that, a Gaussian blur, the
// illumination gradient (multiplicative), Gaussian noise, then rounding to 0..255.
#pragma once

#include "vxAffineRectangle.h"
#include "vxPelBuffer.h"
#include "vxTestFont.h"
#include "vxXform.h"

#include <vector>

// One character to render.
struct vxTestCharPlacement {
    char code = ' ';
    double x = 0.0; // where the cell centre lands, in image coordinates
    double y = 0.0;
    vxRadian angle{0.0};
    double scale = 1.0;
    double size = 32.0;       // cap height in pixels at scale 1
    double strokeWidth = 0.0; // in pixels at scale 1; 0 means the font's default
};

// A region painted over the scene with a uniform grey: any parallelogram, so both a
// rectangle and a band across a line of characters.
struct vxTestOcclusion {
    vxAffineRectangle area;
    double grey = 128.0;

    // An axis-parallel rectangle.
    static vxTestOcclusion rectangle(const vxRect& r, double grey);
    // A band of the given width whose centre line runs from `from` to `to`; throws
    // vxTestImageDefs::BadArgument when from == to.
    static vxTestOcclusion band(const vxVector<2>& from, const vxVector<2>& to, double width,
                                double grey);
};

struct vxTestScene {
    enum Polarity : int { eDarkOnLight = 1, eLightOnDark = 2 };

    long width = 640; // 1 to 16384
    long height = 480;
    vxTestFont::Style font = vxTestFont::eStroke;
    double light = 200.0; // the two grey levels, 0..255
    double dark = 40.0;
    Polarity polarity = eDarkOnLight; // dark ink on a light background, or the reverse
    // In (0, 1]: the two levels are pulled toward their mean by this factor.
    double contrast = 1.0;
    // Relative change of illumination per pixel along x and y, about the image centre:
    // a pixel is multiplied by 1 + g . (p - centre) (at least 0).
    vxVector<2> gradient{0.0, 0.0};
    double blurSigma = 0.0;  // pixels, 0 to 50
    double noiseSigma = 0.0; // grey levels, 0 to 255
    std::vector<vxTestOcclusion> occlusions;
    unsigned long seed = 1; // drives the noise (its low 32 bits seed std::mt19937)
};

// What a character was rendered as.
struct vxTestCharTruth {
    char code = ' ';
    vxXform<2> pose;        // glyph (em) coordinates to image coordinates
    vxAffineRectangle cell; // the cell in image coordinates: cornerPo its upper-left
                            // corner, cornerPx upper-right, cornerPy lower-left (glyph frame)
    vxVector<2> center;     // the cell centre in image coordinates
    vxRadian angle{0.0};
    double pixelsPerEm = 0.0; // size * scale: the cap height in pixels
    double strokeWidth = 0.0; // in pixels, as rendered
};

struct vxTestImage {
    vxPelBuffer<unsigned char> image;
    std::vector<vxTestCharTruth> truth; // one per placement, in order
};

// The ground truth of a placement in a font (the pose and cell do not depend on the
// font; the stroke width does). Throws vxTestImageDefs::BadArgument for a non-finite
// position or angle, a size or scale that is not positive (or whose product exceeds
// 1e6), or a stroke width that is negative or larger than the size.
vxTestCharTruth vfTestCharTruth(const vxTestCharPlacement& p,
                                vxTestFont::Style font = vxTestFont::eStroke);

// Renders the placements into a new width x height image (identity client-from-image
// transform). Characters may overlap each other and the image border. Throws
// vxTestImageDefs::BadArgument for a scene or placement outside its domain and
// vxTestImageDefs::UnknownChar for a character the scene's font lacks, before any work.
vxTestImage vfRenderTestImage(const vxTestScene& scene,
                              const std::vector<vxTestCharPlacement>& placements);

// One character alone in a tight image, for teaching a character model: upright at
// scale 1, with `margin` pixels around its cell, the image size being the cell size
// rounded up plus twice the margin, and the cell centred exactly in the image. `look`
// gives the font, levels, polarity, contrast, blur, noise and seed; its size,
// gradient and occlusions are ignored. The truth's cell is the character's image area.
// Throws as vfRenderTestImage, and vxTestImageDefs::BadArgument for a negative margin.
vxTestImage vfRenderTestChar(char code, double size, const vxTestScene& look, long margin = 4,
                             double strokeWidth = 0.0);
