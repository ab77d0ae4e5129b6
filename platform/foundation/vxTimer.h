// A stopwatch on the steady clock that accumulates the time of its running intervals.
#pragma once

#include <chrono>

class vxTimer {
public:
    // A stopped timer at zero; with startNow it is started at once.
    explicit vxTimer(bool startNow = false);

    // Starts a running interval; does nothing when already running.
    void start();
    // Ends the running interval and adds it to the total; does nothing when stopped.
    void stop();
    // Stops the timer and sets the total to zero.
    void reset();

    // Accumulated milliseconds, including the running interval while running.
    double msec() const;
    bool isRunning() const { return running_; }

private:
    using Clock = std::chrono::steady_clock;
    Clock::duration total_{};
    Clock::time_point startedAt_{};
    bool running_ = false;
};
