#include "vxDiagRecord.h"

#include "vxDiagDefs.h"

vxDiagRecord::vxDiagRecord(long level) : level_(level) {
    if (level < 0) throw vxDiagDefs::BadLevel(L"A diagnostic level cannot be negative");
}

void vxDiagRecord::text(const std::wstring& text, const std::wstring& name) {
    texts_.push_back(TextAnnotation{name, text});
}

void vxDiagRecord::graphics(const vxGraphicList& graphics, const std::wstring& name,
                            int coordinateSystem) {
    if (coordinateSystem != eImageCoordinates && coordinateSystem != eClientCoordinates)
        throw vxDiagDefs::BadArgument(
            L"Graphics coordinate system must be 1 (image) or 2 (client)");
    graphics_.push_back(GraphicsAnnotation{name, graphics, coordinateSystem});
}

const vxDiagRecord::TextAnnotation& vxDiagRecord::textAnnotation(long i) const {
    if (i < 0 || i >= numTexts()) throw vxDiagDefs::BadIndex(L"Text annotation index out of range");
    return texts_[static_cast<size_t>(i)];
}

const vxDiagRecord::GraphicsAnnotation& vxDiagRecord::graphicsAnnotation(long i) const {
    if (i < 0 || i >= numGraphics())
        throw vxDiagDefs::BadIndex(L"Graphics annotation index out of range");
    return graphics_[static_cast<size_t>(i)];
}
