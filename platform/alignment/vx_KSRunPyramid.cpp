// Building and reusing the run image's pyramid, care maps and gradients.
#include "vx_KSRunPyramid.h"

#include "vxAttention.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

// Rows handled between two polls of the time limit: about 64 K pixels, well under a
// millisecond of any stage.
long rowsPerPoll(long width) {
    return std::max(1L, 65536 / std::max(1L, width));
}

// Runs stage(y0, y1) over the rows from `done` to `total`, a few at a time, polling
// the time limit after each batch; `done` keeps the progress if the poll throws.
// grow(rows) makes the output hold that many rows first.
template <class Grow, class Stage>
void advance(long& done, long total, long width, Grow grow, Stage stage) {
    const long batch = rowsPerPoll(width);
    while (done < total) {
        const long end = std::min(total, done + batch);
        grow(end);
        stage(done, end);
        done = end;
        vxAttention::check();
    }
}

// Sizes a plane for its final size without touching its memory, so that a large
// image's buffers are filled (and paged in) batch by batch.
void startPlane(vx_KSPlane& p, long w, long h) {
    p.w = w;
    p.h = h;
    p.pix.clear();
    p.pix.reserve(static_cast<std::size_t>(w * h));
}

void startGradient(vx_KSGradient& g, long w, long h) {
    g.w = w;
    g.h = h;
    g.xy.clear();
    g.xy.reserve(2 * static_cast<std::size_t>(w * h));
}

} // namespace

bool vx_KSRunPyramid::samePixels(const unsigned char* src, long stride, long w, long rows,
                                 const vx_KSPlane& copy) {
    if (copy.w != w) return false;
    const long batch = rowsPerPoll(w);
    for (long y = 0; y < rows; ++y) {
        if (std::memcmp(src + y * stride, copy.data() + y * w, static_cast<std::size_t>(w)) != 0)
            return false;
        if ((y + 1) % batch == 0) vxAttention::check();
    }
    return true;
}

void vx_KSRunPyramid::Level::resetFrom(bool planes, bool cares, bool gradients) {
    stamp = 0;
    if (planes) planeRows = 0;
    if (planes || cares) careRows = 0;
    if (planes || gradients) rawRows = unitRows = 0;
}

void vx_KSRunPyramid::prepare(const unsigned char* image, long stride, long w, long h,
                              const unsigned char* mask, long maskStride, int top, int fine,
                              int lowestUnit, float contrast) {
    if (levels_.size() < static_cast<std::size_t>(top) + 1) levels_.resize(top + 1);

    // The copy of the image is compared as far as it goes; rows not copied yet are
    // copied from the image as it is now.
    Level& base = levels_[0];
    if (base.plane.h != h || !samePixels(image, stride, w, base.planeRows, base.plane)) {
        for (Level& l : levels_)
            l.resetFrom(true, true, true);
    }
    const bool sameMask = mask ? hasMask_ && maskCopy_.w == w && maskCopy_.h == h &&
                                     samePixels(mask, maskStride, w, h, maskCopy_)
                               : !hasMask_;
    if (!sameMask) {
        for (Level& l : levels_)
            l.resetFrom(false, true, false);
        hasMask_ = false;
        if (mask) {
            vx_KSPlane copy;
            startPlane(copy, w, h);
            long rows = 0;
            advance(
                rows, h, w, [&](long end) { copy.pix.resize(static_cast<std::size_t>(end * w)); },
                [&](long y0, long y1) {
                    for (long y = y0; y < y1; ++y)
                        std::memcpy(copy.pix.data() + y * w, mask + y * maskStride,
                                    static_cast<std::size_t>(w));
                });
            maskCopy_ = std::move(copy);
            hasMask_ = true;
        }
    }
    if (contrast != unitContrast_) {
        for (Level& l : levels_) {
            l.unitRows = 0;
            l.stamp = 0;
        }
        unitContrast_ = contrast;
    }

    for (int L = 0; L <= top; ++L) {
        Level& l = levels_[L];
        const long lw = L == 0 ? w : levels_[L - 1].plane.w / 2;
        const long lh = L == 0 ? h : levels_[L - 1].plane.h / 2;
        if (l.planeRows == 0) startPlane(l.plane, lw, lh);
        const auto growPlane = [&](long end) { l.plane.pix.resize(static_cast<std::size_t>(end * lw)); };
        if (L == 0) {
            advance(l.planeRows, lh, lw, growPlane, [&](long y0, long y1) {
                for (long y = y0; y < y1; ++y)
                    std::memcpy(l.plane.pix.data() + y * w, image + y * stride,
                                static_cast<std::size_t>(w));
            });
        } else {
            const vx_KSPlane& below = levels_[L - 1].plane;
            advance(l.planeRows, lh, lw, growPlane, [&](long y0, long y1) {
                vf_KSHalveRows(below.data(), below.w, l.plane, y0, y1);
            });
        }
        if (hasMask_) {
            if (l.careRows == 0) startPlane(l.care, lw, lh);
            const auto growCare = [&](long end) { l.care.pix.resize(static_cast<std::size_t>(end * lw)); };
            if (L == 0) {
                advance(l.careRows, lh, lw, growCare, [&](long y0, long y1) {
                    for (long i = y0 * w; i < y1 * w; ++i)
                        l.care.pix[i] = maskCopy_.pix[i] >= 128;
                });
            } else {
                const vx_KSPlane& below = levels_[L - 1].care;
                advance(l.careRows, lh, lw, growCare, [&](long y0, long y1) {
                    // A pixel cares only when all four it covers do.
                    for (long y = y0; y < y1; ++y) {
                        const unsigned char* r0 = below.data() + 2 * y * below.w;
                        const unsigned char* r1 = r0 + below.w;
                        for (long x = 0; x < lw; ++x)
                            l.care.pix[y * lw + x] =
                                r0[2 * x] & r0[2 * x + 1] & r1[2 * x] & r1[2 * x + 1];
                    }
                });
            }
        }
        if (L >= fine) {
            if (l.rawRows == 0) {
                startGradient(l.raw, lw, lh);
                l.unitRows = 0;
            }
            advance(
                l.rawRows, lh, lw,
                [&](long end) { l.raw.xy.resize(2 * static_cast<std::size_t>(end * lw)); },
                [&](long y0, long y1) { vf_KSSobelRows(l.plane.data(), lw, l.raw, y0, y1); });
        }
        if (L >= lowestUnit) {
            if (l.unitRows == 0) startGradient(l.unit, lw, lh);
            advance(
                l.unitRows, lh, lw,
                [&](long end) { l.unit.xy.resize(2 * static_cast<std::size_t>(end * lw)); },
                [&](long y0, long y1) { vf_KSNormalizeRows(l.raw, contrast, l.unit, y0, y1); });
        }
    }
    static std::atomic<std::uint64_t> lastStamp{0};
    for (Level& l : levels_)
        if (l.stamp == 0) l.stamp = ++lastStamp;
}
