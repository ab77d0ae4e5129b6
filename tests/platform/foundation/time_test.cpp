// Nested time limits of vxAttention, and worker threads that inherit them and the
// abort request.
#include "vxAttention.h"
#include "vxThread.h"
#include "vxTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <thread>

namespace {

constexpr unsigned long kRunCode = 0x80000064;
constexpr double kLong = 1e9; // far beyond any test run

// Each test runs with an abort request of its own, so a raised request never leaks
// into the next test on the same thread.
class Attention : public ::testing::Test {
protected:
    void SetUp() override { vxAttention::adopt(vxAttention::Token()); }
};

// Which error check() throws: 'n' none, 'a' Aborted, 'e' Expired, 'i' InternalExpired.
char checkOutcome(unsigned long* code = nullptr) {
    try {
        vxAttention::check();
    } catch (const vxAttention::Aborted&) {
        return 'a';
    } catch (const vxTimeout::InternalExpired& e) {
        if (code) *code = e.code();
        return 'i';
    } catch (const vxTimeout::Expired&) {
        return 'e';
    }
    return 'n';
}

void checkOnce(void*) {
    vxAttention::check();
}

} // namespace

TEST_F(Attention, InternalAndCallerLimitsAreDistinctAndTheOutermostWins) {
    static_assert(!std::is_base_of_v<vxTimeout::Expired, vxTimeout::InternalExpired>);
    static_assert(!std::is_base_of_v<vxTimeout::InternalExpired, vxTimeout::Expired>);
    EXPECT_EQ(checkOutcome(), 'n');
    // With both passed, the outermost wins: a caller's limit passes through.
    {
        vxAttentionTag caller;
        caller.attachTimeout(0);
        vxAttentionTag internal;
        internal.attachTimeoutCustom(0, kRunCode);
        EXPECT_EQ(checkOutcome(), 'e');
    }
    {
        vxAttentionTag internal;
        internal.attachTimeoutCustom(0, 7);
        vxAttentionTag caller;
        caller.attachTimeout(0);
        unsigned long code = 0;
        EXPECT_EQ(checkOutcome(&code), 'i');
        EXPECT_EQ(code, 7u);
        EXPECT_THROW(vxAttention::check(), vxTimeout::Error);
    }
    {
        // An outer limit that has not passed does not mask an inner one that has.
        vxAttentionTag caller;
        caller.attachTimeout(kLong);
        vxAttentionTag internal;
        internal.attachTimeoutCustom(0, kRunCode);
        EXPECT_EQ(checkOutcome(), 'i');
    }
}

TEST_F(Attention, RunsJoinsAndKeepsTheWorkersException) {
    int value = 41;
    vxThreadID id = vfCreateThreadTarn([](void* p) { ++*static_cast<int*>(p); }, &value, -1, -1);
    EXPECT_TRUE(id.isValid());
    EXPECT_TRUE(vfWaitForThreadTermination(id));
    EXPECT_EQ(value, 42);
    EXPECT_THROW(vfWaitForThreadTermination(id), vxThread::BadID); // already joined
    EXPECT_THROW(vfWaitForThreadTermination(vxThreadID()), vxThread::BadID);
    EXPECT_THROW(vfCreateThreadTarn(nullptr, nullptr), vxThread::StartFailed);

    std::exception_ptr failure;
    const vxThreadID thrower =
        vfCreateThreadTarn([](void*) { throw std::out_of_range("row"); }, nullptr);
    ASSERT_FALSE(vfWaitForThreadTermination(thrower, &failure));
    ASSERT_TRUE(failure);
    EXPECT_THROW(std::rethrow_exception(failure), std::out_of_range);
}

TEST_F(Attention, WorkerSharesTheAbortRequestAndInheritsArmedLimits) {
    std::atomic<bool> started{false};
    vxThreadID id = vfCreateThreadTarn(
        [](void* p) {
            *static_cast<std::atomic<bool>*>(p) = true;
            for (;;) {
                vxAttention::check();
                std::this_thread::yield();
            }
        },
        &started);
    while (!started)
        std::this_thread::yield();
    vxAttention::current().requestAbort();
    std::exception_ptr failure;
    ASSERT_FALSE(vfWaitForThreadTermination(id, &failure));
    EXPECT_THROW(std::rethrow_exception(failure), vxAttention::Aborted);
    vxAttention::current().clearAbort();
    {
        vxAttentionTag caller;
        caller.attachTimeout(0);
        ASSERT_FALSE(vfWaitForThreadTermination(vfCreateThreadTarn(&checkOnce, nullptr), &failure));
        EXPECT_THROW(std::rethrow_exception(failure), vxTimeout::Expired);
    }
    // Disarmed before the start: the worker has nothing to inherit.
    EXPECT_TRUE(vfWaitForThreadTermination(vfCreateThreadTarn(&checkOnce, nullptr)));
}
