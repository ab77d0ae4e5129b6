// Abort requests and nested time limits of vxAttention.
#include "vxAttention.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
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

} // namespace

TEST_F(Attention, InternalAndCallerLimitsAreDistinct) {
    static_assert(!std::is_base_of_v<vxTimeout::Expired, vxTimeout::InternalExpired>);
    static_assert(!std::is_base_of_v<vxTimeout::InternalExpired, vxTimeout::Expired>);
    EXPECT_EQ(checkOutcome(), 'n');
    {
        vxAttentionTag tag(true);
        tag.attachTimeoutCustom(0, kRunCode);
        unsigned long code = 0;
        EXPECT_EQ(checkOutcome(&code), 'i');
        EXPECT_EQ(code, kRunCode);
        EXPECT_THROW(vxAttention::check(), vxTimeout::Error);
    }
    {
        vxAttentionTag tag(true);
        tag.attachTimeout(0);
        EXPECT_EQ(checkOutcome(), 'e');
    }
    EXPECT_EQ(checkOutcome(), 'n');
}

TEST_F(Attention, OutermostPassedLimitWins) {
    {
        vxAttentionTag caller;
        caller.attachTimeout(0);
        vxAttentionTag internal;
        internal.attachTimeoutCustom(0, kRunCode);
        EXPECT_EQ(checkOutcome(), 'e'); // the caller's limit passes through
    }
    {
        vxAttentionTag internal;
        internal.attachTimeoutCustom(0, 7);
        vxAttentionTag caller;
        caller.attachTimeout(0);
        unsigned long code = 0;
        EXPECT_EQ(checkOutcome(&code), 'i');
        EXPECT_EQ(code, 7u);
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

TEST_F(Attention, TagsDisarmOnScopeExitAndOnReattach) {
    vxAttentionTag outer;
    outer.attachTimeout(kLong);
    {
        vxAttentionTag inner;
        inner.attachTimeoutCustom(0, kRunCode);
        EXPECT_TRUE(inner.isArmed());
        EXPECT_EQ(checkOutcome(), 'i');
    }
    EXPECT_EQ(checkOutcome(), 'n'); // the outer limit is still armed but not passed
    EXPECT_TRUE(outer.isArmed());

    outer.attachTimeout(0); // replaces the long limit
    EXPECT_EQ(checkOutcome(), 'e');
    outer.attachTimeout(std::numeric_limits<double>::infinity());
    EXPECT_EQ(checkOutcome(), 'n');
    outer.attachTimeout(0);
    outer.detach();
    EXPECT_FALSE(outer.isArmed());
    EXPECT_EQ(checkOutcome(), 'n');
}

TEST_F(Attention, DisabledTagAndBadLimits) {
    vxAttentionTag off(false);
    off.attachTimeout(0);
    EXPECT_FALSE(off.isArmed());
    EXPECT_EQ(checkOutcome(), 'n');

    vxAttentionTag tag;
    tag.attachTimeoutCustom(0, 3);
    EXPECT_THROW(tag.attachTimeout(-1), vxTimeout::BadLimit);
    EXPECT_THROW(tag.attachTimeout(std::nan("")), vxTimeout::BadLimit);
    unsigned long code = 0;
    EXPECT_EQ(checkOutcome(&code), 'i'); // the failed calls kept the limit as it was
    EXPECT_EQ(code, 3u);
}

TEST_F(Attention, AbortFromAnotherThreadReachesCheck) {
    vxAttention::Token token;
    std::atomic<bool> polling{false};
    char seen = 'n';
    std::thread worker([&] {
        vxAttention::adopt(token);
        polling = true;
        while ((seen = checkOutcome()) == 'n')
            std::this_thread::yield();
    });
    while (!polling)
        std::this_thread::yield();
    vxAttention::requestAbort(token);
    worker.join();
    EXPECT_EQ(seen, 'a');

    // The request stays until cleared, and only threads sharing the token see it.
    EXPECT_EQ(checkOutcome(), 'n');
    vxAttention::adopt(token);
    EXPECT_TRUE(vxAttention::isAbortRequested());
    EXPECT_EQ(checkOutcome(), 'a');
    EXPECT_EQ(checkOutcome(), 'a');
    vxAttention::clearAbort(token);
    EXPECT_EQ(checkOutcome(), 'n');
}
