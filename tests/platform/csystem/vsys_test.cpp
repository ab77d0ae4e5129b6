// Memory copy statuses and the clean-up stack.
#include "vsys_cleanup.h"
#include "vsys_memory.h"
#include "vxException.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

TEST(SystemMemory, CopyAndStatuses) {
    char buf[] = "abcdef";
    EXPECT_EQ(vsys_memory_copy(buf + 2, buf, 4), VSYS_OK); // overlapping ranges
    EXPECT_STREQ(buf, "ababcd");
    EXPECT_EQ(vsys_memory_copy(nullptr, nullptr, 0), VSYS_OK);

    const long status = vsys_memory_copy(nullptr, buf, 1);
    EXPECT_LT(status, 0);
    EXPECT_TRUE(vfIsFailureStatus(status));
    EXPECT_EQ(vfStatusFamily(status), 160);
    EXPECT_THROW(vfThrowExceptionOnFailure(status), vxStatusError);
    EXPECT_EQ(vsys_memory_copy(buf, nullptr, 1), VSYS_STATUS_NULL_POINTER);
    EXPECT_STREQ(buf, "ababcd"); // a failed copy writes nothing
}

namespace {
std::string trace;
void note(void* arg) {
    trace += static_cast<const char*>(arg);
}
void fail(void*) {
    throw std::runtime_error("cleanup");
}
} // namespace

TEST(SystemCleanup, ExecutesNewestFirstUpToTheTag) {
    trace.clear();
    const unsigned long outer = vsys_cleanup_getNextTag();
    EXPECT_EQ(vsys_cleanup_register(&note, const_cast<char*>("a")), VSYS_OK);
    const unsigned long inner = vsys_cleanup_getNextTag();
    EXPECT_EQ(inner, outer + 1);
    vsys_cleanup_register(&note, const_cast<char*>("b"));
    vsys_cleanup_register(&note, const_cast<char*>("c"));

    EXPECT_EQ(vsys_cleanupExecute_(inner), VSYS_OK);
    EXPECT_EQ(trace, "cb");
    EXPECT_EQ(vsys_cleanupExecute_(inner), VSYS_OK); // already done: nothing more
    EXPECT_EQ(trace, "cb");
    EXPECT_EQ(vsys_cleanupExecute_(outer), VSYS_OK);
    EXPECT_EQ(trace, "cba");
    EXPECT_EQ(vsys_cleanup_getNextTag(), outer);
}

TEST(SystemCleanup, DiscardFailuresAndScope) {
    trace.clear();
    const unsigned long tag = vsys_cleanup_getNextTag();
    EXPECT_EQ(vsys_cleanup_register(nullptr, nullptr), VSYS_STATUS_NULL_POINTER);
    EXPECT_EQ(vsys_cleanup_getNextTag(), tag);

    vsys_cleanup_register(&note, const_cast<char*>("x"));
    vsys_cleanupDiscard_(tag);
    EXPECT_EQ(vsys_cleanupExecute_(tag), VSYS_OK);
    EXPECT_EQ(trace, "");

    // A throwing callback is reported, and the older ones still run.
    vsys_cleanup_register(&note, const_cast<char*>("y"));
    vsys_cleanup_register(&fail, nullptr);
    EXPECT_EQ(vsys_cleanupExecute_(tag), VSYS_STATUS_CALLBACK_FAILED);
    EXPECT_EQ(trace, "y");

    trace.clear();
    try {
        vsys_cleanupScope scope;
        vsys_cleanup_register(&note, const_cast<char*>("z"));
        throw std::runtime_error("path out");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(trace, "z");
    EXPECT_EQ(vsys_cleanup_getNextTag(), tag);
}
