#pragma once
// Random numbers that a seed reproduces on every platform. The 64-bit Mersenne Twister's
// output is fixed by the C++ standard, but the standard distributions are not, so the
// uniform and Gaussian deviates are made here.

#include <cmath>
#include <cstdint>
#include <random>

namespace mt1d::fitting {

class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}

    // Uniform on [0, 1): the top 53 bits of one draw.
    double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

    // Uniform on [low, high).
    double Uniform(double low, double high) { return low + (high - low) * Uniform(); }

    // Standard normal, by the Box–Muller transform (two deviates per pair of draws).
    double Gaussian()
    {
        if (hasSpare_) {
            hasSpare_ = false;
            return spare_;
        }
        constexpr double kTwoPi = 6.283185307179586;
        const double u1 = 1.0 - Uniform();  // (0, 1]: keeps the logarithm finite
        const double u2 = Uniform();
        const double radius = std::sqrt(-2.0 * std::log(u1));
        spare_ = radius * std::sin(kTwoPi * u2);
        hasSpare_ = true;
        return radius * std::cos(kTwoPi * u2);
    }

private:
    std::mt19937_64 engine_;
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

}  // namespace mt1d::fitting
