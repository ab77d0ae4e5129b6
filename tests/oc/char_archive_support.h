// Archive and error checks shared by the character-data tests, on top of the foundation's.
#pragma once

#include "../platform/foundation/archive_test_util.h"
#include "vxException.h"

#include <functional>
#include <tuple>
#include <typeinfo>

namespace oc_test {

template <class T> std::vector<unsigned char> store(T value) {
    vxArchive ar;
    return (ar || value).bytes();
}

template <class T> T load(const std::vector<unsigned char>& bytes) {
    vxArchive ar(bytes);
    T into;
    EXPECT_EQ((ar || into).remaining(), 0u);
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

// A call that must throw exactly the type given, carrying the message given.
using Refusal = std::tuple<const std::type_info&, const wchar_t*, std::function<void()>>;

inline void expectRefusals(std::initializer_list<Refusal> refusals) {
    for (const auto& [type, message, call] : refusals) {
        try {
            call();
            ADD_FAILURE() << "no " << type.name() << " " << message;
        } catch (const vxException& e) {
            EXPECT_TRUE(typeid(e) == type && e.message() == message) << e.what() << ", " << message;
        }
    }
}

} // namespace oc_test
