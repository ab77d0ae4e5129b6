// Pixel operations on 8-bit pel buffers. Each works on the buffers' windows, which may
// lie anywhere in their roots (the rows need not be contiguous with each other).
// Buffers used together must have the same width and height (vxPel::SizeMismatch
// otherwise; their positions may differ); an unbound buffer throws
// vxPel::UnboundWindow. Arguments are checked before any pixel is written. A
// destination may be one of the sources (the same window of the same pixels); one
// that overlaps a source otherwise gets the result of the source as it was before.
// Destinations are taken by const reference: a buffer is a handle, and writing its
// pixels does not change it.
#pragma once

#include "vxPelBuffer.h"

#include <array>
#include <vector>

using vxPelMapTable = std::array<unsigned char, 256>;

// Copies src's pixels into dst.
void vfPelCopy(const vxPelBuffer_const<unsigned char>& src, const vxPelBuffer<unsigned char>& dst);
// A new buffer whose root covers exactly src's window and holds a copy of its pixels,
// with src's window and client-from-image transform. An unbound src gives an unbound
// buffer with src's transform.
vxPelBuffer<unsigned char> vfPelCopy(const vxPelBuffer_const<unsigned char>& src);

// Sets every pixel of buf to value (vfPelClear: to 0).
void vfPelSet(const vxPelBuffer<unsigned char>& buf, unsigned char value);
void vfPelClear(const vxPelBuffer<unsigned char>& buf);

// dst = table[src] pixel by pixel.
void vfPelMap(const vxPelBuffer_const<unsigned char>& src, const vxPelMapTable& table,
              const vxPelBuffer<unsigned char>& dst);
// The same into a new buffer made as by vfPelCopy(src).
vxPelBuffer<unsigned char> vfPelMap(const vxPelBuffer_const<unsigned char>& src,
                                    const vxPelMapTable& table);

// Whether a and b have the same width and height and equal pixels (positions,
// roots and transforms are not compared).
bool vfPelEqual(const vxPelBuffer_const<unsigned char>& a,
                const vxPelBuffer_const<unsigned char>& b);

// dst = the smaller (vfPelMin) or larger (vfPelMax) of a and b, pixel by pixel.
void vfPelMin(const vxPelBuffer_const<unsigned char>& a, const vxPelBuffer_const<unsigned char>& b,
              const vxPelBuffer<unsigned char>& dst);
void vfPelMax(const vxPelBuffer_const<unsigned char>& a, const vxPelBuffer_const<unsigned char>& b,
              const vxPelBuffer<unsigned char>& dst);
// The smallest or largest pixel value of the window; vxPel::BadArgument when it is empty.
unsigned char vfPelMin(const vxPelBuffer_const<unsigned char>& buf);
unsigned char vfPelMax(const vxPelBuffer_const<unsigned char>& buf);

// hist becomes 256 bins: hist[v] = the number of pixels of value v.
void vfPelHistogram(const vxPelBuffer_const<unsigned char>& buf, std::vector<unsigned long>& hist);
// The same counting only the pixels whose mask pixel (at the same place in the window)
// is 128 or more, the care convention of masks.
void vfPelHistogram(const vxPelBuffer_const<unsigned char>& buf,
                    const vxPelBuffer_const<unsigned char>& mask, std::vector<unsigned long>& hist);

// Statistics of a histogram whose bin i counts the value i.
class vxHistoStats {
public:
    explicit vxHistoStats(const std::vector<unsigned long>& hist);

    // Number of values counted.
    unsigned long count() const { return count_; }
    // The following throw vxPel::BadArgument when count() is 0.
    // The value at position count() / 2 (rounded down, from 0) of the sorted values: the
    // middle value, or the upper of the two middle values for an even count.
    long median() const;
    double mean() const;
    long min() const;
    long max() const;

private:
    void checkNotEmpty_() const;
    unsigned long count_ = 0;
    long median_ = 0;
    double mean_ = 0.0;
    long min_ = 0;
    long max_ = 0;
};
