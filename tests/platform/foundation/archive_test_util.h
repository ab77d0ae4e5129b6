// Helpers shared by the archive tests of the foundation.
#pragma once

#include "vxArchive.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

// Stores `value` and loads it back, checking that the load used every byte.
template <class T> T roundTripped(const T& value, T back = T()) {
    vxArchive store;
    T copy = value;
    store || copy;
    vxArchive load(store.bytes());
    load || back;
    EXPECT_EQ(load.remaining(), 0u);
    return back;
}

template <class T> size_t storedSize(T value) {
    vxArchive store;
    store || value;
    return store.bytes().size();
}

// Runs `load` on every proper prefix of `bytes` and expects an archive error each time.
template <class Load>
void expectEveryTruncationThrows(const std::vector<unsigned char>& bytes, Load load) {
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        vxArchive in(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
        EXPECT_THROW(load(in), vxArchive::Error) << "cut at " << cut;
    }
}

// Flips one to three random bits of `bytes` per trial and hands the damaged archive to
// `load`, which must either succeed or throw an archive error; never crash, read out of
// bounds or allocate wildly (the sanitizer build checks).
template <class Load>
void loadRandomlyDamaged(const std::vector<unsigned char>& bytes, unsigned seed, int trials,
                         Load load) {
    std::mt19937 rng(seed);
    for (int trial = 0; trial < trials; ++trial) {
        auto damaged = bytes;
        for (int k = 0; k < 1 + trial % 3; ++k)
            damaged[rng() % damaged.size()] ^= static_cast<unsigned char>(1u << (rng() % 8));
        vxArchive in(damaged);
        load(in);
    }
}
