// The top-level search's response row kernel: the vector kernel against the portable
// loop on random sector grids of every width around its 32-pixel step, and what one
// lone orientation answers at and around its pixel.
#include "vx_KSResponseRow.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

namespace {

// A bordered sector grid (vx_KSNoSector all round) of w x h pixels.
struct SectorGrid {
    long w, h;
    std::vector<std::uint8_t> bytes;
    SectorGrid(long w_, long h_)
        : w(w_), h(h_), bytes(static_cast<std::size_t>((w_ + 2) * (h_ + 2)), vx_KSNoSector) {}
    long stride() const { return w + 2; }
    std::uint8_t* at(long x, long y) { return bytes.data() + (y + 1) * stride() + x + 1; }
};

constexpr std::array<std::uint8_t, 16> kFull = {15, 14, 11, 6, 0, 0, 0, 0,
                                                 0,  0,  0,  0, 0, 6, 11, 14};
constexpr std::array<std::uint8_t, 16> kNear = {10, 9, 7, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 7, 9};

TEST(ResponseRow, VectorKernelEqualsPortableLoop) {
    std::mt19937 rng(7);
    for (long w : {1L, 5L, 16L, 21L, 31L, 32L, 33L, 64L, 95L}) {
        SectorGrid g(w, 3);
        for (long y = 0; y < 3; ++y)
            for (long x = 0; x < w; ++x)
                *g.at(x, y) = rng() % 5 == 0 ? vx_KSNoSector : static_cast<std::uint8_t>(rng() % 16);
        std::vector<unsigned char> care(static_cast<std::size_t>(w));
        for (auto& c : care) c = rng() % 4 == 0 ? 0 : 255;
        for (const unsigned char* c : {static_cast<const unsigned char*>(nullptr),
                                       static_cast<const unsigned char*>(care.data())}) {
            std::vector<std::uint8_t> fast(static_cast<std::size_t>(w)), slow(fast.size());
            vf_KSResponseRow(g.at(0, 1), g.stride(), c, w, kFull.data(), kNear.data(), 3,
                             fast.data());
            vf_KSResponseRowPortable(g.at(0, 1), g.stride(), c, w, kFull.data(), kNear.data(), 3,
                                     slow.data());
            EXPECT_EQ(fast, slow) << "width " << w << (c ? " with care" : "");
        }
    }
}

TEST(ResponseRow, ALoneOrientationAnswersInFullOnItsPixelAndAsNeighbourAroundIt) {
    SectorGrid g(40, 3);
    *g.at(33, 1) = 0; // sector 0 in the second row, past the first 32-pixel step
    for (long y = 0; y < 3; ++y) {
        std::vector<std::uint8_t> out(40);
        vf_KSResponseRow(g.at(0, y), g.stride(), nullptr, 40, kFull.data(), kNear.data(), 3,
                         out.data());
        for (long x = 0; x < 40; ++x) {
            const bool own = x == 33 && y == 1, beside = x >= 32 && x <= 34;
            EXPECT_EQ(out[static_cast<std::size_t>(x)], own ? 15 : beside ? 10 : 0)
                << "at " << x << "," << y;
        }
    }
}

} // namespace
