// Stopwatch accumulation across intervals.
#include "vxTimer.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Timer, AccumulatesRunningIntervalsOnly) {
    vxTimer t;
    EXPECT_FALSE(t.isRunning());
    EXPECT_EQ(t.msec(), 0.0);

    t.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const double running = t.msec();
    EXPECT_GE(running, 2.0);
    EXPECT_GE(t.msec(), running); // includes the running interval, never goes back

    t.stop();
    const double stopped = t.msec();
    EXPECT_GE(stopped, running);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(t.msec(), stopped); // a stopped timer does not advance

    t.start();
    t.start(); // a second start keeps the interval already running
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    t.stop();
    EXPECT_GE(t.msec(), stopped + 1.0);

    t.reset();
    EXPECT_FALSE(t.isRunning());
    EXPECT_EQ(t.msec(), 0.0);
}
