// An ordered list of display graphics, drawn first to last.
#pragma once

#include "vxGraphic.h"

#include <vector>

class vxGraphicList {
public:
    using const_iterator = std::vector<vxGraphic>::const_iterator;

    vxGraphicList() = default;

    // Appends one graphic (any vxGraphic alternative converts).
    void add(const vxGraphic& graphic) { graphics_.push_back(graphic); }
    // Appends every graphic of `other`, in order (other may be this list).
    void append(const vxGraphicList& other);
    void clear() { graphics_.clear(); }

    long size() const { return static_cast<long>(graphics_.size()); }
    bool empty() const { return graphics_.empty(); }
    // Graphic i; throws vxDiagDefs::BadIndex outside 0 .. size() - 1.
    const vxGraphic& graphic(long i) const;
    const vxGraphic& operator[](long i) const { return graphic(i); }
    const_iterator begin() const { return graphics_.begin(); }
    const_iterator end() const { return graphics_.end(); }

    // A new list with every graphic mapped by x (see vfMapGraphic).
    vxGraphicList map(const vxXform<2>& x) const;

    friend bool operator==(const vxGraphicList&, const vxGraphicList&) = default;

private:
    std::vector<vxGraphic> graphics_;
};

// x applied to every graphic of the list.
inline vxGraphicList operator*(const vxXform<2>& x, const vxGraphicList& list) {
    return list.map(x);
}
