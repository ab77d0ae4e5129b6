// Archive checks shared by the character-data tests.
#pragma once

#include "vxArchive.h"

#include <gtest/gtest.h>

#include <vector>

namespace oc_test {

template <class T> std::vector<unsigned char> store(T value) {
    vxArchive ar;
    ar || value;
    return ar.bytes();
}

template <class T> T load(const std::vector<unsigned char>& bytes, T into = T()) {
    vxArchive ar(bytes);
    ar || into;
    EXPECT_EQ(ar.remaining(), 0u);
    return into;
}

// Every proper prefix of value's archive, and the archive with its version byte raised,
// throw an archive error and leave the target as it was.
template <class T> void expectBrokenArchivesRefused(const T& value, const T& target) {
    const std::vector<unsigned char> bytes = store(value);
    for (size_t n = 0; n < bytes.size(); ++n) {
        T t = target;
        vxArchive ar(std::vector<unsigned char>(bytes.begin(), bytes.begin() + long(n)));
        EXPECT_THROW(ar || t, vxArchive::BadData) << "prefix " << n;
        EXPECT_TRUE(t == target) << "prefix " << n;
    }
    std::vector<unsigned char> later = bytes;
    later[0] = 2;
    T t = target;
    vxArchive ar(later);
    EXPECT_THROW(ar || t, vxArchive::UnknownVersion);
    EXPECT_TRUE(t == target);
}

} // namespace oc_test
