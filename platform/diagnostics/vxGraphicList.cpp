#include "vxGraphicList.h"

#include "vxDiagDefs.h"

void vxGraphicList::append(const vxGraphicList& other) {
    // Built aside so that a failed allocation leaves the list as it was.
    std::vector<vxGraphic> merged;
    merged.reserve(graphics_.size() + other.graphics_.size());
    merged.insert(merged.end(), graphics_.begin(), graphics_.end());
    merged.insert(merged.end(), other.graphics_.begin(), other.graphics_.end());
    graphics_.swap(merged);
}

const vxGraphic& vxGraphicList::graphic(long i) const {
    if (i < 0 || i >= size()) throw vxDiagDefs::BadIndex(L"Graphic index out of range");
    return graphics_[static_cast<size_t>(i)];
}

vxGraphicList vxGraphicList::map(const vxXform<2>& x) const {
    vxGraphicList out;
    out.graphics_.reserve(graphics_.size());
    for (const vxGraphic& g : graphics_)
        out.graphics_.push_back(vfMapGraphic(g, x));
    return out;
}
