// The two fonts of the test-image generator: a stroke font and a 5x7 dot-matrix font.
//
// Glyph coordinates are in em units, where 1 em is the cap height, with the origin at
// the centre of the character's cell, x to the right and y down (as in images). The
// cell is [-0.4, 0.4] x [-0.7, 0.7] (vxTestFont::cellWidth by cellHeight) in both
// fonts; capitals and digits stand on the baseline y = +0.5 and reach up to y = -0.5,
// so the cell centre is also the centre of the cap-height band. A glyph is a set of
// polylines of stroke centre lines; a polyline of one point is a round dot. Rendering
// strokes every polyline with the stroke width (round caps and joins).
//
// Characters: digits 0-9, capitals A-Z, '-', '.', '/', ':' and space (no strokes). The
// stroke font's 0 is a narrower ellipse than its O; the dot-matrix 0 carries a slash.
#pragma once

#include "vxRect.h"
#include "vxVector.h"

#include <string>
#include <vector>

// One character's strokes in em units (see the file comment).
struct vxTestGlyph {
    char code = ' ';
    std::vector<std::vector<vxVector<2>>> strokes;
};

class vxTestFont {
public:
    enum Style : int { eStroke = 0, eDotMatrix = 1 };

    static constexpr double cellWidth = 0.8;
    static constexpr double cellHeight = 1.4;

    // The font of a style; the glyph tables are built once and shared (thread-safe).
    // Throws vxTestImageDefs::BadArgument for a style out of range.
    static const vxTestFont& get(Style style);

    Style style() const { return style_; }
    // The characters that have glyphs, in ascending code order.
    const std::string& characters() const { return chars_; }
    bool hasGlyph(char c) const;
    // The glyph of c; throws vxTestImageDefs::UnknownChar when there is none.
    const vxTestGlyph& glyph(char c) const;
    // The stroke width (em) used when a placement gives none: 0.12 for the stroke font,
    // the dot diameter 0.11 for the dot-matrix font.
    double defaultStrokeWidth() const { return style_ == eStroke ? 0.12 : 0.11; }
    // The cell of every glyph: [-0.4, 0.4] x [-0.7, 0.7] in em units.
    static vxRect cell() { return vxRect(-cellWidth / 2, -cellHeight / 2, cellWidth, cellHeight); }

private:
    explicit vxTestFont(Style style);
    Style style_;
    std::string chars_;
    std::vector<vxTestGlyph> glyphs_; // indexed by position in chars_
};
