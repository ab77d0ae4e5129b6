// Otsu thresholding: one pass over the cumulative histogram, keeping the split of
// greatest between-class variance, scored by how much more of the variance it explains
// than one class of grey levels could.
#include "vxThreshold.h"

#include "vxPelOps.h"

#include <algorithm>

namespace {

// One class of grey levels, split in two, explains at most 3/4 of its variance (an
// even spread; a few more hundredths on a coarse histogram). Two classes must explain
// more than this, with means at least kMinContrast grey levels apart: clean paper whose
// noise takes two or three levels splits almost perfectly, one level apart.
constexpr double kOneClassShare = 0.8;
constexpr double kMinContrast = 8.0;

} // namespace

vxThresholdResult vfThresholdWGV(const std::vector<unsigned long>& hist) {
    const std::size_t bins = std::min<std::size_t>(hist.size(), 256);
    auto count = [&](std::size_t v) { return v < bins ? double(hist[v]) : 0.0; };
    double n = 0.0, sum = 0.0, sumSq = 0.0;
    int lowest = -1;
    for (std::size_t v = 0; v < bins; ++v) {
        const double c = count(v);
        n += c;
        sum += c * v;
        sumSq += c * v * v;
        if (c > 0.0 && lowest < 0) lowest = static_cast<int>(v);
    }
    vxThresholdResult result;
    if (n == 0.0) return result;
    result.threshold = lowest;
    const double mean = sum / n;
    const double total = sumSq / n - mean * mean; // total variance
    if (!(total > 0.0)) return result;

    // Classes [0, t) and [t, 255]: between-class variance (S0 n - S n0)^2 / (n^2 n0 n1).
    double n0 = 0.0, s0 = 0.0, best = -1.0, bestContrast = 0.0;
    int bestT = lowest;
    for (int t = 1; t < 256; ++t) {
        n0 += count(t - 1);
        s0 += count(t - 1) * (t - 1);
        const double n1 = n - n0;
        if (n0 == 0.0 || n1 == 0.0) continue;
        const double d = s0 * n - sum * n0;
        const double between = d * d / (n * n * n0 * n1);
        if (between > best) {
            best = between;
            bestT = t;
            bestContrast = (sum - s0) / n1 - s0 / n0;
        }
    }
    // Thresholds up to the next occupied level split the pixels the same way: take the
    // middle of that run.
    int last = bestT;
    while (last < 255 && count(last) == 0.0)
        ++last;
    result.threshold = (bestT + last) / 2;
    // Only a share beyond what one class explains says there are two: blank paper
    // scores 0.
    if (bestContrast >= kMinContrast)
        result.score =
            std::clamp((best / total - kOneClassShare) / (1.0 - kOneClassShare), 0.0, 1.0);
    return result;
}

vxThresholdResult vfThresholdWGV(const vxPelBuffer_const<unsigned char>& image) {
    std::vector<unsigned long> hist;
    vfPelHistogram(image, hist);
    return vfThresholdWGV(hist);
}

vxThresholdResult vfThresholdWGV(const vxPelBuffer_const<unsigned char>& image,
                                 const vxPelBuffer_const<unsigned char>& mask) {
    if (!mask.isBound()) return vfThresholdWGV(image);
    std::vector<unsigned long> hist;
    vfPelHistogram(image, mask, hist);
    return vfThresholdWGV(hist);
}
