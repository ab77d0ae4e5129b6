// Steady-clock stopwatch.
#include "vxTimer.h"

vxTimer::vxTimer(bool startNow) {
    if (startNow) start();
}

void vxTimer::start() {
    if (running_) return;
    startedAt_ = Clock::now();
    running_ = true;
}

void vxTimer::stop() {
    if (!running_) return;
    total_ += Clock::now() - startedAt_;
    running_ = false;
}

void vxTimer::reset() {
    total_ = Clock::duration::zero();
    running_ = false;
}

double vxTimer::msec() const {
    Clock::duration d = total_;
    if (running_) d += Clock::now() - startedAt_;
    return std::chrono::duration<double, std::milli>(d).count();
}
