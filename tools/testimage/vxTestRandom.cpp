// Normal deviates by Marsaglia's polar method (no trigonometry; two deviates per
// accepted pair) from the uniform transform of mt19937.
#include "vxTestRandom.h"

#include <cmath>

double vxTestRandom::normal() {
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    double u, v, s;
    do {
        u = 2.0 * uniform() - 1.0;
        v = 2.0 * uniform() - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    const double f = std::sqrt(-2.0 * std::log(s) / s);
    spare_ = v * f;
    hasSpare_ = true;
    return u * f;
}
