// Care regions, background padding, mark detection and character origins. Argument
// handling comes first in each public function; the pixel loops below work on raw
// rows (first pixel and row stride) and trust what they are given.
#include "vxOCCharMarks.h"

#include "vxPelOps.h"
#include "vxThreshold.h"
#include "vsys_memory.h"

#include <algorithm>
#include <vector>

namespace {

using Image = vxPelBuffer_const<unsigned char>;
constexpr unsigned char kCare = 128;

// ---- Pixel loops ----

// A window as raw rows.
struct Rows {
    const unsigned char* first; // the window's upper-left pixel
    long stride;
    long width, height;
    const unsigned char* row(long r) const { return first + r * stride; }
};

Rows rowsOf(const vx_PelBuffer& b, const unsigned char* first) {
    return Rows{first, b.isBound() ? b.rowUpdate() : 0, b.width(), b.height()};
}

Rows rowsOf(const Image& b) {
    return rowsOf(b, b.width() > 0 && b.height() > 0 ? b.pointToPel(b.offset().x(), b.offset().y())
                                                     : nullptr);
}

// The care region of a mask, relative to its window; the null rectangle when no pixel
// is care. `full` tells whether every pixel of the region is care.
vxPelRect careBox(const Rows& m, unsigned char threshold, bool& full) {
    auto rowHasCare = [&](long r) {
        const unsigned char* p = m.row(r);
        return std::any_of(p, p + m.width, [&](unsigned char v) { return v >= threshold; });
    };
    long top = 0;
    while (top < m.height && !rowHasCare(top))
        ++top;
    if (top == m.height) return vxPelRect();
    long bottom = m.height - 1;
    while (bottom > top && !rowHasCare(bottom))
        --bottom;
    auto columnHasCare = [&](long c) {
        for (long r = top; r <= bottom; ++r)
            if (m.row(r)[c] >= threshold) return true;
        return false;
    };
    long left = 0;
    while (!columnHasCare(left))
        ++left;
    long right = m.width - 1;
    while (right > left && !columnHasCare(right))
        --right;
    full = true;
    for (long r = top; r <= bottom && full; ++r)
        full = std::all_of(m.row(r) + left, m.row(r) + right + 1,
                           [&](unsigned char v) { return v >= threshold; });
    return vxPelRect(left, top, right - left + 1, bottom - top + 1);
}

// In place: each value becomes the median of the values within n/4 of it (the upper
// middle one for an even count), all taken from the unfiltered run. The window slides
// over a histogram, and the median moves with it by the few bins each step needs.
void profileMedian(unsigned char* run, long n) {
    const long h = n / 4;
    if (h == 0) return;
    const std::vector<unsigned char> in(run, run + n);
    long hist[256] = {};
    long count = 0;
    int median = 0;
    long below = 0; // values in the window smaller than `median`
    auto add = [&](unsigned char v, long delta) {
        hist[v] += delta;
        count += delta;
        if (v < median) below += delta;
    };
    for (long j = 0; j <= std::min(h, n - 1); ++j)
        add(in[j], 1);
    for (long i = 0; i < n; ++i) {
        if (i > 0) {
            if (i + h < n) add(in[i + h], 1);
            if (i - h - 1 >= 0) add(in[i - h - 1], -1);
        }
        const long k = count / 2;
        while (below > k)
            below -= hist[--median];
        while (below + hist[median] <= k)
            below += hist[median++];
        run[i] = static_cast<unsigned char>(median);
    }
}

void copyBytes(unsigned char* dst, const unsigned char* src, long n) {
    vfThrowExceptionOnFailure(vsys_memory_copy(dst, src, static_cast<size_t>(n)));
}

// Pads the window (rows of `width` bytes, `stride` apart, from `first`) outside the
// region, given relative to the window.
void pad(unsigned char* first, long stride, long width, long height, const vxPelRect& region) {
    auto row = [&](long r) { return first + r * stride; };
    const long rx0 = region.x(), rx1 = region.lr().x() - 1;
    const long ry0 = region.y(), ry1 = region.lr().y() - 1;
    std::vector<unsigned char> line(static_cast<size_t>(width));

    // A region row extended to the full width, smoothed, written to rows [from, to).
    auto fillRows = [&](long source, long from, long to) {
        const unsigned char* src = row(source);
        std::fill(line.begin(), line.begin() + rx0, src[rx0]);
        std::copy(src + rx0, src + rx1 + 1, line.begin() + rx0);
        std::fill(line.begin() + rx1 + 1, line.end(), src[rx1]);
        profileMedian(line.data(), width);
        for (long r = from; r < to; ++r)
            copyBytes(row(r), line.data(), width);
    };
    if (ry0 > 0) fillRows(ry0, 0, ry0);
    if (ry1 < height - 1) fillRows(ry1, ry1 + 1, height);
    if (rx0 == 0 && rx1 == width - 1) return;

    const long n = ry1 - ry0 + 1;
    std::vector<unsigned char> left(static_cast<size_t>(n)), right(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) {
        left[i] = row(ry0 + i)[rx0];
        right[i] = row(ry0 + i)[rx1];
    }
    profileMedian(left.data(), n);
    profileMedian(right.data(), n);
    for (long i = 0; i < n; ++i) {
        unsigned char* p = row(ry0 + i);
        std::fill(p, p + rx0, left[i]);
        std::fill(p + rx1 + 1, p + width, right[i]);
    }
}

// Which pixels are marks: on the ink side of the threshold and, with a mask, care.
struct MarkTest {
    const Rows& image;
    const Rows* mask;
    int threshold;
    bool darkInk;
    bool operator()(long r, long c) const {
        if (mask && mask->row(r)[c] < kCare) return false;
        return (image.row(r)[c] < threshold) == darkInk;
    }
};

// The polarity told by the border: the ink is on the side of the threshold that fewer
// border pixels lie on (a tie tells nothing).
vxOCDefs::Polarity borderPolarity(const Rows& img, const Rows* mask, int threshold) {
    long below = 0, atOrAbove = 0;
    auto count = [&](long r, long c) { ++(img.row(r)[c] < threshold ? below : atOrAbove); };
    const long w = img.width, h = img.height;
    if (!mask) {
        for (long c = 0; c < w; ++c) {
            count(0, c);
            count(h - 1, c);
        }
        for (long r = 0; r < h; ++r) {
            count(r, 0);
            count(r, w - 1);
        }
    } else {
        auto care = [&](long r, long c) { return mask->row(r)[c] >= kCare; };
        // The first and last care pixel of a line (once when they are the same).
        auto ends = [&](long n, auto at, auto countAt) {
            long first = 0, last = n - 1;
            while (first < n && !at(first))
                ++first;
            if (first == n) return;
            while (!at(last))
                --last;
            countAt(first);
            if (last != first) countAt(last);
        };
        for (long r = 0; r < h; ++r)
            ends(w, [&](long c) { return care(r, c); }, [&](long c) { count(r, c); });
        for (long c = 0; c < w; ++c)
            ends(h, [&](long r) { return care(r, c); }, [&](long r) { count(r, c); });
    }
    if (below == atOrAbove) return vxOCDefs::eUnknownPolarity;
    return below < atOrAbove ? vxOCDefs::eDarkOnLight : vxOCDefs::eLightOnDark;
}

// The lower-left and upper-right corners of the marks, relative to the window; false
// when there is no mark.
bool markCorners(const MarkTest& isMark, long width, long height, vxPoint<long>& lowerLeft,
                 vxPoint<long>& upperRight) {
    auto rowHasMark = [&](long r, long c0, long c1) {
        for (long c = c0; c < c1; ++c)
            if (isMark(r, c)) return true;
        return false;
    };
    auto columnHasMark = [&](long c, long r0, long r1) {
        for (long r = r0; r <= r1; ++r)
            if (isMark(r, c)) return true;
        return false;
    };
    long bottom = height - 1;
    while (bottom >= 0 && !rowHasMark(bottom, 0, width))
        --bottom;
    if (bottom < 0) return false;
    long left = 0;
    while (!columnHasMark(left, 0, bottom))
        ++left;
    long top = 0;
    while (!rowHasMark(top, 0, width))
        ++top;
    long right = width - 1;
    while (!columnHasMark(right, top, height - 1))
        --right;
    lowerLeft = vxPoint<long>(left, bottom + 1);
    upperRight = vxPoint<long>(right + 1, top);
    return true;
}

// ---- Argument handling ----

vxVector<2> toClient(const vx_PelBuffer& image, double x, double y) {
    return image.clientFromImage()->mapPoint(vxVector<2>(x, y));
}

vxVector<2> imageLowerLeft(const vx_PelBuffer& image, const vxPelRect& rect) {
    return toClient(image, double(rect.ll().x()), double(rect.ll().y()));
}

} // namespace

vxPelRect vf_OCWindowMaskCareRegion(Image& mask, unsigned char careThreshold, bool& ok) {
    ok = true;
    if (!mask.isBound()) return vxPelRect();
    bool full = false;
    const vxPelRect box = careBox(rowsOf(mask), careThreshold, full);
    if (box.isNull()) {
        mask.setUnbound();
        ok = false;
        return vxPelRect();
    }
    const vxPelRect region = box.translate(mask.offset().x(), mask.offset().y());
    if (full) mask.setUnbound();
    else mask.window(region, false);
    return region;
}

void vf_OCBackgroundPadImage(vxPelBuffer<unsigned char>& image, const vxPelRect& region) {
    vstd_assert_(image.isBound(), "image.isBound()");
    if (region.isNull()) return;
    vstd_assert_(image.window().contains(region), "image.window().contains(region)");
    unsigned char* first = image.pointToPel(image.offset().x(), image.offset().y());
    pad(first, image.rowUpdate(), image.width(), image.height(),
        region.translate(-image.offset().x(), -image.offset().y()));
}

void vf_OCBackgroundPadImage(Image& image, const vxPelRect& region) {
    vstd_assert_(image.isBound(), "image.isBound()");
    vxPelBuffer<unsigned char> own = vfPelCopy(image);
    vf_OCBackgroundPadImage(own, region);
    image = own;
}

void vf_OCBackgroundPadImage(vxPelBuffer<unsigned char>& image, vxPelBuffer<unsigned char>& mask,
                             unsigned char careThreshold, const vxPelRect& rect, bool& ok) {
    vstd_assert_(image.isBound() && image.window().contains(rect),
                 "image.isBound() && image.window().contains(rect)");
    vxPelRect region = rect;
    ok = true;
    if (mask.isBound()) {
        Image careMask = mask;
        region = vf_OCWindowMaskCareRegion(careMask, careThreshold, ok).intersect(rect);
        // The care region is a window of the mask's own pixels, so it stays writable.
        if (careMask.isBound()) mask.window(careMask.window(), false);
        else mask.setUnbound();
        ok = ok && !region.isNull();
    }
    if (!ok) return;
    vf_OCBackgroundPadImage(image, region);
    if (mask.isBound()) vf_OCBackgroundPadImage(mask, region);
}

void vf_OCBackgroundPadImage(Image& image, Image& mask, unsigned char careThreshold,
                             const vxPelRect& rect, bool& ok) {
    vstd_assert_(image.isBound(), "image.isBound()");
    vxPelBuffer<unsigned char> ownImage = vfPelCopy(image);
    vxPelBuffer<unsigned char> ownMask = vfPelCopy(mask);
    vf_OCBackgroundPadImage(ownImage, ownMask, careThreshold, rect, ok);
    image = ownImage;
    mask = ownMask;
}

bool vf_DetectMarkRect_(const Image& image, const vxPelRect& rect, const Image& mask, bool blank,
                        vxOCDefs::Polarity polarity, vxRect& markRect) {
    markRect = vxRect();
    if (blank) return false;
    Image view = image, careView = mask;
    view.window(rect, false);
    if (mask.isBound()) careView.window(rect, false);
    const vxThresholdResult split =
        mask.isBound() ? vfThresholdWGV(view, careView) : vfThresholdWGV(view);
    if (view.width() <= 0 || view.height() <= 0) return false;

    const Rows img = rowsOf(view);
    const Rows careRows = mask.isBound() ? rowsOf(careView) : Rows{};
    const Rows* care = mask.isBound() ? &careRows : nullptr;
    if (polarity == vxOCDefs::eUnknownPolarity && split.score > 0.0)
        polarity = borderPolarity(img, care, split.threshold);
    if (polarity == vxOCDefs::eUnknownPolarity) return false;

    const MarkTest isMark{img, care, split.threshold, polarity == vxOCDefs::eDarkOnLight};
    vxPoint<long> lowerLeft, upperRight;
    if (!markCorners(isMark, img.width, img.height, lowerLeft, upperRight)) return false;
    const vxVector<2> a = toClient(image, double(rect.x() + lowerLeft.x()),
                                   double(rect.y() + lowerLeft.y()));
    const vxVector<2> b = toClient(image, double(rect.x() + upperRight.x()),
                                   double(rect.y() + upperRight.y()));
    const vxVector<2> lo(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
    const vxVector<2> hi(std::max(a.x(), b.x()), std::max(a.y(), b.y()));
    markRect = vxRect(lo, hi - lo);
    return true;
}

bool vf_computeOriginImageCenter_(const Image& image, const vxPelRect& rect, const Image&,
                                  vxVector<2>& origin) {
    origin = toClient(image, rect.x() + rect.width() * 0.5, rect.y() + rect.height() * 0.5);
    return true;
}

bool vf_computeOriginImageLowerLeft_(const Image& image, const vxPelRect& rect, const Image&,
                                     vxVector<2>& origin) {
    origin = imageLowerLeft(image, rect);
    return true;
}

bool vf_computeOriginDetectedMarkLowerLeft_(const Image& image, const vxPelRect& rect,
                                            const Image& mask, bool blank, bool hasDetectedMark,
                                            const vxRect& detectedMarkRect,
                                            vxOCDefs::Polarity polarity, vxVector<2>& origin) {
    origin = imageLowerLeft(image, rect);
    if (!image.isBound() || blank) return false;
    if (hasDetectedMark) {
        if (detectedMarkRect.degen()) return false;
        origin = detectedMarkRect.ll();
        return true;
    }
    vxRect detected;
    if (!vf_DetectMarkRect_(image, rect, mask, false, polarity, detected)) return false;
    origin = detected.ll();
    return true;
}

bool vf_computeOriginSpecifiedMarkLowerLeft_(const Image& image, const vxPelRect& rect,
                                             const Image& mask, bool blank, bool markSpecified,
                                             const vxRect& markRect, bool hasDetectedMark,
                                             const vxRect& detectedMarkRect,
                                             vxOCDefs::Polarity polarity, vxVector<2>& origin) {
    origin = imageLowerLeft(image, rect);
    if (!image.isBound() || blank) return false;
    if (markSpecified) {
        origin = markRect.ll();
        return true;
    }
    vf_computeOriginDetectedMarkLowerLeft_(image, rect, mask, false, hasDetectedMark,
                                           detectedMarkRect, polarity, origin);
    return false;
}
