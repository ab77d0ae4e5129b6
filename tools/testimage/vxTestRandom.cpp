// Box-Muller normal deviates from the uniform transform of mt19937.
#include "vxTestRandom.h"

#include <cmath>
#include <numbers>

double vxTestRandom::normal() {
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    const double r = std::sqrt(-2.0 * std::log(uniform()));
    const double t = 2.0 * std::numbers::pi * uniform();
    spare_ = r * std::sin(t);
    hasSpare_ = true;
    return r * std::cos(t);
}
