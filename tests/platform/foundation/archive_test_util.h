// Helpers shared by the archive tests of the foundation.
#pragma once

#include "vxArchive.h"

#include <gtest/gtest.h>

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
