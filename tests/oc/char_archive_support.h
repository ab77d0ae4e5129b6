// Archive checks shared by the character-data tests, on top of the foundation's.
#pragma once

#include "../platform/foundation/archive_test_util.h"

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
    std::vector<unsigned char> bytes = store(value);
    T t = target;
    expectEveryTruncationThrows(bytes, [&](vxArchive& ar) { ar || t; });
    bytes[0] = 2;
    vxArchive later(bytes);
    EXPECT_THROW(later || t, vxArchive::UnknownVersion);
    EXPECT_TRUE(t == target);
}

} // namespace oc_test
