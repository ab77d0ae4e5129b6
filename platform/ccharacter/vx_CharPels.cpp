// Pixel loops of the character layer: region copy, binarization and mark bounding box.
#include "vx_CharPels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace voc_pels {
namespace {

bool isMark(unsigned char p) {
    return p >= 128;
}

// Grows the running box [x0, x1] x [y0, y1] by the marks of one row; x0 > x1 while empty.
class BoxAccumulator {
public:
    explicit BoxAccumulator(long width) : x0_(width), x1_(-1) {}

    void addRow(const unsigned char* row, long width, long rowIndex) {
        long first = 0;
        while (first < width && !isMark(row[first]))
            ++first;
        if (first == width) return;
        long last = width - 1;
        while (!isMark(row[last]))
            --last;
        if (y0_ < 0) y0_ = rowIndex;
        y1_ = rowIndex;
        x0_ = std::min(x0_, first);
        x1_ = std::max(x1_, last);
    }

    // The box in image coordinates of a window whose upper-left pixel is (x, y).
    bool result(long x, long y, Box& marks) const {
        if (y0_ < 0) return false;
        marks = Box{x + x0_, y + y0_, x1_ - x0_ + 1, y1_ - y0_ + 1};
        return true;
    }

private:
    long x0_, x1_;
    long y0_ = -1, y1_ = -1;
};

const unsigned char* rowOf(const vimg_imageConst& src, long row) {
    return src.pels + static_cast<std::ptrdiff_t>(row) * src.stride;
}

} // namespace

void copyRegion(const vimg_imageConst& src, const Box& region, unsigned char* dst) {
    const unsigned char* from =
        src.pels + static_cast<std::ptrdiff_t>(region.y - src.y) * src.stride + (region.x - src.x);
    const size_t bytes = static_cast<size_t>(region.width);
    for (long r = 0; r < region.height; ++r, from += src.stride, dst += region.width)
        std::memcpy(dst, from, bytes);
}

bool binarize(const vimg_imageConst& src, const unsigned char (&lut)[256], unsigned char* dst,
              Box& marks) {
    BoxAccumulator box(src.width);
    for (long r = 0; r < src.height; ++r, dst += src.width) {
        const unsigned char* from = rowOf(src, r);
        for (long c = 0; c < src.width; ++c)
            dst[c] = lut[from[c]];
        box.addRow(dst, src.width, r);
    }
    return box.result(src.x, src.y, marks);
}

bool findMarks(const vimg_imageConst& src, Box& marks) {
    BoxAccumulator box(src.width);
    for (long r = 0; r < src.height; ++r)
        box.addRow(rowOf(src, r), src.width, r);
    return box.result(src.x, src.y, marks);
}

} // namespace voc_pels
