// The generator's source of randomness: std::mt19937 (whose output sequence the
// standard fixes) with our own uniform and normal transforms, so a seed gives the same
// numbers with every standard library.
#pragma once

#include <random>

class vxTestRandom {
public:
    explicit vxTestRandom(unsigned long seed)
        : gen_(static_cast<std::mt19937::result_type>(seed)) {}

    // Uniform in (0, 1): never exactly 0 or 1.
    double uniform() { return (double(gen_()) + 0.5) / 4294967296.0; }
    // Uniform in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Standard normal (polar method; the second value of each pair is kept for the next call).
    double normal();

private:
    std::mt19937 gen_;
    double spare_ = 0.0;
    bool hasSpare_ = false;
};
