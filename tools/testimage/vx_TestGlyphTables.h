// Internal: the glyph tables of the two fonts, in em units (see vxTestFont.h).
#pragma once

#include "vxTestFont.h"

#include <vector>

std::vector<vxTestGlyph> vf_StrokeGlyphs();
std::vector<vxTestGlyph> vf_DotMatrixGlyphs();
