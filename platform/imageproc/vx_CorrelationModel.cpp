// Correlation model: copies the pixels and gathers the care pixels' statistics.
#include "vx_CorrelationModel.h"

#include "vxPelOps.h"
#include "vx_CorrDefs.h"

namespace {

// Row sums in the correlators are 32-bit and the final products must stay exact in
// long double: hence the size limits.
constexpr long kMaxSide = 32767;
constexpr long kMaxArea = 1L << 23;

} // namespace

vx_CorrelationModel<unsigned char>::vx_CorrelationModel(
    const vxPelBuffer_const<unsigned char>& image, const vxPelBuffer_const<unsigned char>& mask) {
    if (!image.isBound()) throw vxPel::UnboundWindow();
    const long w = image.width(), h = image.height();
    if (mask.isBound() && (mask.width() != w || mask.height() != h))
        throw vxPel::SizeMismatch(L"Correlation mask differs in size from its image");
    if (w > kMaxSide || h > kMaxSide || w * h > kMaxArea)
        throw vx_CorrDefs::BadArgument(L"Correlation model is too large");

    image_ = vfPelCopy(image);
    if (mask.isBound()) mask_ = vfPelCopy(mask);
    width_ = w;
    height_ = h;
    pels_.resize(static_cast<size_t>(w * h));
    if (mask.isBound()) care_.resize(pels_.size());
    for (long y = 0; y < h; ++y) {
        const unsigned char* in = image_.pointToPel(image_.offset().x(), image_.offset().y() + y);
        const unsigned char* m =
            mask.isBound() ? mask_.pointToPel(mask_.offset().x(), mask_.offset().y() + y) : nullptr;
        for (long x = 0; x < w; ++x) {
            const bool cares = !m || m[x] >= 128;
            const size_t i = static_cast<size_t>(y * w + x);
            pels_[i] = cares ? in[x] : 0;
            if (m) care_[i] = cares ? 1 : 0;
            if (!cares) continue;
            ++nCare_;
            sums_.sum += in[x];
            sums_.sumSq += std::int64_t(in[x]) * in[x];
        }
    }
    variance_ = static_cast<double>(static_cast<long double>(nCare_) * sums_.sumSq -
                                    static_cast<long double>(sums_.sum) * sums_.sum);
}
