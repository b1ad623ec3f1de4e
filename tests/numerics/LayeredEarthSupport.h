#pragma once
// Shared pieces of the field kernel's tests: random layered earths, the sounding frequencies
// in double precision, and a loop over every instruction set the kernel can run on here.

#include "numerics/LayeredEarthKernel.h"

#include <string>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

struct Earth {
    std::vector<double> rho;  // Ω·m, the last is the half-space
    std::vector<double> h;    // m

    std::string Describe() const
    {
        std::ostringstream out;
        out.precision(17);
        out << "rho {";
        for (double r : rho) out << ' ' << r;
        out << " } h {";
        for (double t : h) out << ' ' << t;
        out << " }";
        return out.str();
    }
};

struct Range {
    double low;
    double high;
};

// Log-uniform in [range.low, range.high].
inline double LogUniform(std::mt19937_64& rng, Range range)
{
    std::uniform_real_distribution<double> u(std::log(range.low), std::log(range.high));
    return std::exp(u(rng));
}

// An earth of `layers` layers with log-uniform resistivities and thicknesses.
inline Earth RandomEarth(std::mt19937_64& rng, std::size_t layers, Range rho, Range h)
{
    Earth e;
    for (std::size_t j = 0; j < layers; ++j) e.rho.push_back(LogUniform(rng, rho));
    for (std::size_t j = 0; j + 1 < layers; ++j) e.h.push_back(LogUniform(rng, h));
    return e;
}

// `count` frequencies evenly spaced in log from `low` to `high` Hz.
inline std::vector<double> LogFrequencies(double low, double high, std::size_t count)
{
    std::vector<double> f(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = count == 1 ? 0.0 : static_cast<double>(i) / static_cast<double>(count - 1);
        f[i] = low * std::pow(high / low, x);
    }
    return f;
}

// A measured figure in the test's XML report (--gtest_output=xml), in %g form.
inline void RecordFigure(const std::string& name, double value)
{
    std::ostringstream out;
    out << value;
    ::testing::Test::RecordProperty(name, out.str());
}

// Runs `body` once for each instruction set that the kernel was compiled for and this
// processor supports, with the kernel's run-time dispatch held to that one; `body` receives
// the set's name for messages.
inline void ForEachTarget(const std::function<void(const std::string&)>& body)
{
    for (const std::string& target : mt1d::earth::kernel::AvailableTargets()) {
        mt1d::earth::kernel::HoldTargetForTest(target);
        body(target);
        mt1d::earth::kernel::HoldTargetForTest({});
    }
}

}  // namespace testing_support
