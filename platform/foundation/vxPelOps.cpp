// Pixel operations: argument checks and overlap handling first, then plain row loops.
#include "vxPelOps.h"

#include <algorithm>
#include <cstring>

namespace {

using Pel = unsigned char;

// A window reduced to what the loops need.
struct Rows {
    const Pel* first; // the window's upper-left pixel
    long stride;
};
struct MutableRows {
    Pel* first;
    long stride;
};

// ---- pixel loops ----

void copyRows(Rows s, MutableRows d, long w, long h) {
    for (long y = 0; y < h; ++y)
        std::memcpy(d.first + y * d.stride, s.first + y * s.stride, static_cast<size_t>(w));
}

void setRows(MutableRows d, long w, long h, Pel value) {
    for (long y = 0; y < h; ++y)
        std::memset(d.first + y * d.stride, value, static_cast<size_t>(w));
}

void mapRows(Rows s, const vxPelMapTable& table, MutableRows d, long w, long h) {
    for (long y = 0; y < h; ++y) {
        const Pel* in = s.first + y * s.stride;
        Pel* out = d.first + y * d.stride;
        for (long x = 0; x < w; ++x)
            out[x] = table[in[x]];
    }
}

bool equalRows(Rows a, Rows b, long w, long h) {
    for (long y = 0; y < h; ++y)
        if (std::memcmp(a.first + y * a.stride, b.first + y * b.stride, static_cast<size_t>(w)))
            return false;
    return true;
}

template <class Pick> void combineRows(Rows a, Rows b, MutableRows d, long w, long h, Pick pick) {
    for (long y = 0; y < h; ++y) {
        const Pel* pa = a.first + y * a.stride;
        const Pel* pb = b.first + y * b.stride;
        Pel* out = d.first + y * d.stride;
        for (long x = 0; x < w; ++x)
            out[x] = pick(pa[x], pb[x]);
    }
}

template <class Pick> Pel reduceRows(Rows s, long w, long h, Pel start, Pick pick) {
    Pel result = start;
    for (long y = 0; y < h; ++y) {
        const Pel* in = s.first + y * s.stride;
        for (long x = 0; x < w; ++x)
            result = pick(result, in[x]);
    }
    return result;
}

void histogramRows(Rows s, long w, long h, unsigned long* bins) {
    for (long y = 0; y < h; ++y) {
        const Pel* in = s.first + y * s.stride;
        for (long x = 0; x < w; ++x)
            ++bins[in[x]];
    }
}

void maskedHistogramRows(Rows s, Rows m, long w, long h, unsigned long* bins) {
    for (long y = 0; y < h; ++y) {
        const Pel* in = s.first + y * s.stride;
        const Pel* care = m.first + y * m.stride;
        for (long x = 0; x < w; ++x)
            if (care[x] >= 128) ++bins[in[x]];
    }
}

// ---- argument checks ----

void checkBound(const vx_PelBuffer& b) {
    if (!b.isBound()) throw vxPel::UnboundWindow();
}

void checkSameSize(const vx_PelBuffer& a, const vx_PelBuffer& b) {
    if (a.width() != b.width() || a.height() != b.height())
        throw vxPel::SizeMismatch(L"Pel buffers differ in size");
}

bool isEmpty(const vx_PelBuffer& b) {
    return b.width() == 0 || b.height() == 0;
}

// The window's rows; only for a bound buffer with a non-empty window.
Rows rowsOf(const vxPelBuffer_const<Pel>& b) {
    return {b.pointToPel(b.window().x(), b.window().y()), b.rowUpdate()};
}
MutableRows rowsOf(const vxPelBuffer<Pel>& b) {
    return {b.pointToPel(b.window().x(), b.window().y()), b.rowUpdate()};
}

// Whether the pixels of src's window and dst's window overlap in memory without being
// the very same window (in which case pixel-by-pixel operations are safe in place).
bool overlapsOtherwise(const vxPelBuffer_const<Pel>& src, const vxPelBuffer<Pel>& dst) {
    if (!(src.storage() == dst.storage()) || isEmpty(src)) return false;
    const Rows s = rowsOf(src);
    const MutableRows d = rowsOf(dst);
    if (s.first == d.first && s.stride == d.stride) return false;
    const Pel* sEnd = s.first + (src.height() - 1) * s.stride + src.width();
    const Pel* dEnd = d.first + (dst.height() - 1) * d.stride + dst.width();
    return s.first < dEnd && d.first < sEnd;
}

// src itself, or a private copy of it when writing dst would change it mid-way.
vxPelBuffer_const<Pel> safeSource(const vxPelBuffer_const<Pel>& src, const vxPelBuffer<Pel>& dst) {
    return overlapsOtherwise(src, dst) ? vxPelBuffer_const<Pel>(vfPelCopy(src)) : src;
}

// A new buffer over src's window (a root of its own) with src's window and transform.
vxPelBuffer<Pel> newLike(const vxPelBuffer_const<Pel>& src) {
    vxPelBuffer<Pel> out;
    if (src.isBound()) out = vxPelBuffer<Pel>(src.window());
    out.clientFromImage(src.clientFromImage());
    return out;
}

} // namespace

void vfPelCopy(const vxPelBuffer_const<Pel>& src, const vxPelBuffer<Pel>& dst) {
    checkBound(src);
    checkBound(dst);
    checkSameSize(src, dst);
    if (isEmpty(src)) return;
    const vxPelBuffer_const<Pel> s = safeSource(src, dst);
    copyRows(rowsOf(s), rowsOf(dst), s.width(), s.height());
}

vxPelBuffer<Pel> vfPelCopy(const vxPelBuffer_const<Pel>& src) {
    vxPelBuffer<Pel> out = newLike(src);
    if (src.isBound() && !isEmpty(src))
        copyRows(rowsOf(src), rowsOf(out), src.width(), src.height());
    return out;
}

void vfPelSet(const vxPelBuffer<Pel>& buf, Pel value) {
    checkBound(buf);
    if (isEmpty(buf)) return;
    setRows(rowsOf(buf), buf.width(), buf.height(), value);
}

void vfPelClear(const vxPelBuffer<Pel>& buf) {
    vfPelSet(buf, 0);
}

void vfPelMap(const vxPelBuffer_const<Pel>& src, const vxPelMapTable& table,
              const vxPelBuffer<Pel>& dst) {
    checkBound(src);
    checkBound(dst);
    checkSameSize(src, dst);
    if (isEmpty(src)) return;
    const vxPelBuffer_const<Pel> s = safeSource(src, dst);
    mapRows(rowsOf(s), table, rowsOf(dst), s.width(), s.height());
}

vxPelBuffer<Pel> vfPelMap(const vxPelBuffer_const<Pel>& src, const vxPelMapTable& table) {
    checkBound(src);
    vxPelBuffer<Pel> out = newLike(src);
    if (!isEmpty(src)) mapRows(rowsOf(src), table, rowsOf(out), src.width(), src.height());
    return out;
}

bool vfPelEqual(const vxPelBuffer_const<Pel>& a, const vxPelBuffer_const<Pel>& b) {
    checkBound(a);
    checkBound(b);
    if (a.width() != b.width() || a.height() != b.height()) return false;
    if (isEmpty(a)) return true;
    return equalRows(rowsOf(a), rowsOf(b), a.width(), a.height());
}

namespace {
template <class Pick>
void combine(const vxPelBuffer_const<Pel>& a, const vxPelBuffer_const<Pel>& b,
             const vxPelBuffer<Pel>& dst, Pick pick) {
    checkBound(a);
    checkBound(b);
    checkBound(dst);
    checkSameSize(a, b);
    checkSameSize(a, dst);
    if (isEmpty(a)) return;
    const vxPelBuffer_const<Pel> sa = safeSource(a, dst);
    const vxPelBuffer_const<Pel> sb = safeSource(b, dst);
    combineRows(rowsOf(sa), rowsOf(sb), rowsOf(dst), a.width(), a.height(), pick);
}

template <class Pick> Pel reduce(const vxPelBuffer_const<Pel>& buf, Pel start, Pick pick) {
    checkBound(buf);
    if (isEmpty(buf)) throw vxPel::BadArgument(L"Pel buffer window is empty");
    return reduceRows(rowsOf(buf), buf.width(), buf.height(), start, pick);
}

Pel smaller(Pel a, Pel b) {
    return std::min(a, b);
}
Pel larger(Pel a, Pel b) {
    return std::max(a, b);
}
} // namespace

void vfPelMin(const vxPelBuffer_const<Pel>& a, const vxPelBuffer_const<Pel>& b,
              const vxPelBuffer<Pel>& dst) {
    combine(a, b, dst, smaller);
}

void vfPelMax(const vxPelBuffer_const<Pel>& a, const vxPelBuffer_const<Pel>& b,
              const vxPelBuffer<Pel>& dst) {
    combine(a, b, dst, larger);
}

Pel vfPelMin(const vxPelBuffer_const<Pel>& buf) {
    return reduce(buf, 255, smaller);
}

Pel vfPelMax(const vxPelBuffer_const<Pel>& buf) {
    return reduce(buf, 0, larger);
}

void vfPelHistogram(const vxPelBuffer_const<Pel>& buf, std::vector<unsigned long>& hist) {
    checkBound(buf);
    std::vector<unsigned long> bins(256, 0);
    if (!isEmpty(buf)) histogramRows(rowsOf(buf), buf.width(), buf.height(), bins.data());
    hist.swap(bins);
}

void vfPelHistogram(const vxPelBuffer_const<Pel>& buf, const vxPelBuffer_const<Pel>& mask,
                    std::vector<unsigned long>& hist) {
    checkBound(buf);
    checkBound(mask);
    checkSameSize(buf, mask);
    std::vector<unsigned long> bins(256, 0);
    if (!isEmpty(buf))
        maskedHistogramRows(rowsOf(buf), rowsOf(mask), buf.width(), buf.height(), bins.data());
    hist.swap(bins);
}

vxHistoStats::vxHistoStats(const std::vector<unsigned long>& hist) {
    double sum = 0.0;
    bool seen = false;
    for (size_t v = 0; v < hist.size(); ++v) {
        if (hist[v] == 0) continue;
        if (!seen) min_ = static_cast<long>(v);
        seen = true;
        max_ = static_cast<long>(v);
        count_ += hist[v];
        sum += static_cast<double>(v) * static_cast<double>(hist[v]);
    }
    if (count_ == 0) return;
    mean_ = sum / static_cast<double>(count_);
    // The value at sorted position count / 2: the first whose running count passes it.
    const unsigned long position = count_ / 2;
    unsigned long running = 0;
    for (size_t v = 0; v < hist.size(); ++v) {
        running += hist[v];
        if (running > position) {
            median_ = static_cast<long>(v);
            break;
        }
    }
}

void vxHistoStats::checkNotEmpty_() const {
    if (count_ == 0) throw vxPel::BadArgument(L"Histogram is empty");
}

long vxHistoStats::median() const {
    checkNotEmpty_();
    return median_;
}

double vxHistoStats::mean() const {
    checkNotEmpty_();
    return mean_;
}

long vxHistoStats::min() const {
    checkNotEmpty_();
    return min_;
}

long vxHistoStats::max() const {
    checkNotEmpty_();
    return max_;
}
