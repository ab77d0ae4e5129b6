// Portable inner loop of the sub-model correlation, and the choice of the vector loop
// when the processor has it.
#include "vx_SubModelKernel.h"

namespace {

void dotsPortable(const vx_SubModelDotJob& job, long x0, long y, long count, long v0, long v1,
                  std::int64_t* out) {
    const long width = job.modelStride;
    for (long i = 0; i < count; ++i) {
        std::int64_t total = 0;
        for (long v = v0; v < v1; ++v) {
            const std::int16_t* m = job.model + v * job.modelStride;
            const std::int16_t* c = job.canvas + (y + v) * job.canvasStride + x0 + i;
            // A row sum stays below width * 16384, within 32 bits for the widths the
            // tool accepts.
            std::int32_t row = 0;
            for (long u = 0; u < width; ++u)
                row += std::int32_t(m[u]) * std::int32_t(c[u]);
            total += row;
        }
        out[i] = total;
    }
}

} // namespace

#if defined(__x86_64__) && defined(__GNUC__)
void vf_SubModelDotsAvx2(const vx_SubModelDotJob& job, long x0, long y, long count, long v0,
                         long v1, std::int64_t* out);

void vf_SubModelDots(const vx_SubModelDotJob& job, long x0, long y, long count, long v0, long v1,
                     std::int64_t* out) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2)
        vf_SubModelDotsAvx2(job, x0, y, count, v0, v1, out);
    else
        dotsPortable(job, x0, y, count, v0, v1, out);
}
#else
void vf_SubModelDots(const vx_SubModelDotJob& job, long x0, long y, long count, long v0, long v1,
                     std::int64_t* out) {
    dotsPortable(job, x0, y, count, v0, v1, out);
}
#endif
