// Pixel loops of the correlation core: the point correlators and the running sums.
#include "vf_corr.h"

#include "vxAttention.h"

#include <algorithm>
#include <cmath>

namespace {

// r from exact sums over n care pixels; 0 when either side is flat or n is 0. Long
// double holds the products exactly for every model size the model class accepts.
double correlation(long double n, long double si, long double sii, long double sit, long double st,
                   long double stt) {
    const long double varI = n * sii - si * si;
    const long double varT = n * stt - st * st;
    if (n <= 0 || varI <= 0 || varT <= 0) return 0.0;
    const long double r = (n * sit - si * st) / std::sqrt(varI * varT);
    return static_cast<double>(std::clamp<long double>(r, -1.0L, 1.0L));
}

} // namespace

double vf_corr_point(const vx_CorrelationModel<unsigned char>& model, const unsigned char* image,
                     long stride, std::int64_t patchSum, std::int64_t patchSumSq) {
    if (model.hasMask())
        throw vx_CorrDefs::BadArgument(L"The unmasked correlator was given a masked model");
    const long w = model.width(), h = model.height();
    const unsigned char* t = model.pels().data();
    std::int64_t sit = 0;
    for (long y = 0; y < h; ++y) {
        // Widths are at most 32767, so a row's sum fits 32 bits.
        const unsigned char* a = image + y * stride;
        const unsigned char* b = t + y * w;
        std::uint32_t row = 0;
        for (long x = 0; x < w; ++x)
            row += std::uint32_t(a[x]) * b[x];
        sit += row;
    }
    return correlation(model.nCarePels(), patchSum, patchSumSq, sit, model.sums().sum,
                       model.sums().sumSq);
}

double vf_corr_pointMasked(const vx_CorrelationModel<unsigned char>& model,
                           const unsigned char* image, long stride) {
    if (!model.hasMask()) {
        std::int64_t s = 0, ss = 0;
        for (long y = 0; y < model.height(); ++y)
            for (long x = 0; x < model.width(); ++x) {
                const unsigned char v = image[y * stride + x];
                s += v;
                ss += v * v;
            }
        return vf_corr_point(model, image, stride, s, ss);
    }
    const long w = model.width(), h = model.height();
    const unsigned char* t = model.pels().data();
    const unsigned char* c = model.care().data();
    std::int64_t si = 0, sii = 0, sit = 0;
    for (long y = 0; y < h; ++y) {
        const unsigned char* a = image + y * stride;
        const unsigned char* b = t + y * w;
        const unsigned char* m = c + y * w;
        std::uint32_t rs = 0, rss = 0, rst = 0;
        for (long x = 0; x < w; ++x) {
            const std::uint32_t v = a[x] * m[x];
            rs += v;
            rss += v * v;
            rst += v * b[x];
        }
        si += rs;
        sii += rss;
        sit += rst;
    }
    return correlation(model.nCarePels(), si, sii, sit, model.sums().sum, model.sums().sumSq);
}

void vf_corr_fillRunningSums_(vx_CorrSpace& space) {
    const vxPelBuffer_const<unsigned char>& im = space.image;
    const long w = space.capacityWidth + 1;
    std::fill_n(space.sum.begin(), im.width() + 1, 0);
    std::fill_n(space.sumSq.begin(), im.width() + 1, 0);
    for (long y = 0; y < im.height(); ++y) {
        vxAttention::check();
        const unsigned char* in = im.pointToPel(im.offset().x(), im.offset().y() + y);
        std::int64_t* s = space.sum.data() + (y + 1) * w;
        std::int64_t* q = space.sumSq.data() + (y + 1) * w;
        std::int64_t rowSum = 0, rowSq = 0;
        s[0] = q[0] = 0;
        for (long x = 0; x < im.width(); ++x) {
            rowSum += in[x];
            rowSq += in[x] * in[x];
            s[x + 1] = s[x + 1 - w] + rowSum;
            q[x + 1] = q[x + 1 - w] + rowSq;
        }
    }
}
