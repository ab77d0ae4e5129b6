// Worker threads: joining, kept exceptions, bad IDs and inherited attention state.
#include "vxAttention.h"
#include "vxThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

class Threads : public ::testing::Test {
protected:
    void SetUp() override { vxAttention::adopt(vxAttention::Token()); }
};

void addOne(void* p) {
    ++*static_cast<int*>(p);
}
void throwRange(void*) {
    throw std::out_of_range("row");
}
void checkOnce(void*) {
    vxAttention::check();
}

struct PollData {
    std::atomic<bool> started{false};
};
// Polls until an abort or an inherited limit stops it.
void pollUntilStopped(void* p) {
    static_cast<PollData*>(p)->started = true;
    for (;;) {
        vxAttention::check();
        std::this_thread::yield();
    }
}

} // namespace

TEST_F(Threads, RunsAndJoins) {
    int value = 41;
    vxThreadID id = vfCreateThreadTarn(&addOne, &value, -1, -1);
    EXPECT_TRUE(id.isValid());
    EXPECT_TRUE(vfWaitForThreadTermination(id));
    EXPECT_EQ(value, 42);
    EXPECT_THROW(vfWaitForThreadTermination(id), vxThread::BadID); // already joined
}

TEST_F(Threads, KeepsTheWorkersException) {
    vxThreadID id = vfCreateThreadTarn(&throwRange, nullptr);
    std::exception_ptr failure;
    EXPECT_FALSE(vfWaitForThreadTermination(id, &failure));
    ASSERT_TRUE(failure);
    EXPECT_THROW(std::rethrow_exception(failure), std::out_of_range);
}

TEST_F(Threads, BadArgumentsThrow) {
    EXPECT_THROW(vfWaitForThreadTermination(vxThreadID()), vxThread::BadID);
    EXPECT_THROW(vfCreateThreadTarn(nullptr, nullptr), vxThread::StartFailed);
}

TEST_F(Threads, WorkerCannotWaitForItself) {
    struct Self {
        std::atomic<unsigned long> ready{0};
        vxThreadID id;
        bool threwBadID = false;
    } self;
    vxThreadID id = vfCreateThreadTarn(
        [](void* p) {
            auto* s = static_cast<Self*>(p);
            while (!s->ready)
                std::this_thread::yield();
            try {
                vfWaitForThreadTermination(s->id);
            } catch (const vxThread::BadID&) {
                s->threwBadID = true;
            }
        },
        &self);
    self.id = id;
    self.ready = 1;
    EXPECT_TRUE(vfWaitForThreadTermination(id));
    EXPECT_TRUE(self.threwBadID);
}

TEST_F(Threads, WorkerSharesTheAbortRequest) {
    PollData data;
    vxThreadID id = vfCreateThreadTarn(&pollUntilStopped, &data);
    while (!data.started)
        std::this_thread::yield();
    vxAttention::current().requestAbort();
    std::exception_ptr failure;
    EXPECT_FALSE(vfWaitForThreadTermination(id, &failure));
    EXPECT_THROW(std::rethrow_exception(failure), vxAttention::Aborted);
    vxAttention::current().clearAbort();
}

TEST_F(Threads, WorkerInheritsArmedLimits) {
    {
        vxAttentionTag caller;
        caller.attachTimeout(0);
        vxThreadID id = vfCreateThreadTarn(&checkOnce, nullptr);
        std::exception_ptr failure;
        EXPECT_FALSE(vfWaitForThreadTermination(id, &failure));
        EXPECT_THROW(std::rethrow_exception(failure), vxTimeout::Expired);
    }
    // Disarmed before the start: the worker has nothing to inherit.
    vxThreadID id = vfCreateThreadTarn(&checkOnce, nullptr);
    EXPECT_TRUE(vfWaitForThreadTermination(id));
}
