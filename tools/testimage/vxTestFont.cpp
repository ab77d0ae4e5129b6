// Font objects: one shared glyph table per style, looked up by character.
#include "vxTestFont.h"

#include "vxTestImageDefs.h"
#include "vx_TestGlyphTables.h"

#include <algorithm>

vxTestFont::vxTestFont(Style style) : style_(style) {
    glyphs_ = style == eStroke ? vf_StrokeGlyphs() : vf_DotMatrixGlyphs();
    std::sort(glyphs_.begin(), glyphs_.end(),
              [](const vxTestGlyph& a, const vxTestGlyph& b) { return a.code < b.code; });
    for (const vxTestGlyph& g : glyphs_)
        chars_.push_back(g.code);
}

const vxTestFont& vxTestFont::get(Style style) {
    static const vxTestFont stroke(eStroke);
    static const vxTestFont dots(eDotMatrix);
    switch (style) {
    case eStroke:
        return stroke;
    case eDotMatrix:
        return dots;
    }
    throw vxTestImageDefs::BadArgument(L"Unknown test font style");
}

bool vxTestFont::hasGlyph(char c) const {
    return std::binary_search(chars_.begin(), chars_.end(), c);
}

const vxTestGlyph& vxTestFont::glyph(char c) const {
    const auto it = std::lower_bound(chars_.begin(), chars_.end(), c);
    if (it == chars_.end() || *it != c) {
        const unsigned code = static_cast<unsigned char>(c);
        throw vxTestImageDefs::UnknownChar(L"The test font has no glyph for character code " +
                                           std::to_wstring(code));
    }
    return glyphs_[size_t(it - chars_.begin())];
}
