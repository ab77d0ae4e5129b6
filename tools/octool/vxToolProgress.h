// A progress bar with an estimate of the time left, drawn on one terminal line.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>

class vxToolProgress {
public:
    // Draws on `out` only when it is a terminal (isatty); otherwise does nothing.
    vxToolProgress(std::FILE* out, std::size_t total);
    // Redraws for `done` of the total finished (at most about five times a second).
    void update(std::size_t done);
    // Clears the line.
    void finish();

private:
    std::FILE* out_;
    std::size_t total_;
    bool active_;
    std::chrono::steady_clock::time_point start_, lastDrawn_;
};
