#pragma once
// Soundings made from a known model, and exact comparisons of window states.

#include "session/SessionCommands.h"
#include "numerics/LayeredEarth.h"
#include "session/Session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace mt1d::session::test {

// A ρa/φ sounding (xy) whose values are the response of `model` at `frequencies`, with
// errors of rhoErrFraction·ρa and phaseErrDeg.
inline sounding::Sounding SoundingOfModel(const earth::LayeredModel& model, const std::vector<double>& frequencies,
                                          double rhoErrFraction = 0.05, double phaseErrDeg = 1.5)
{
    earth::LayeredEarth kernel(frequencies);
    const earth::Response r = kernel.Compute(model);
    sounding::Sounding s;
    s.sourceName = "synthetic.dat";
    s.format = sounding::SourceFormat::kColumns;
    s.kind = sounding::DataKind::kRhoPhase;
    s.site.name = "synthetic";
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        sounding::RhoPhaseRow row;
        row.frequencyHz = frequencies[i];
        row[sounding::Mode::kXy] = {r.rhoA[i], rhoErrFraction * r.rhoA[i], r.phaseDeg[i], phaseErrDeg};
        s.rhoPhase.push_back(row);
    }
    return s;
}

// Frequencies from 1000 Hz down, `perDecade` a decade, `decades` decades.
inline std::vector<double> LogFrequencies(int decades, int perDecade)
{
    std::vector<double> f;
    for (int k = 0; k <= decades * perDecade; ++k) f.push_back(1000.0 * std::pow(10.0, -double(k) / perDecade));
    return f;
}

inline earth::LayeredModel ThreeLayers() { return {{100.0, 10.0, 1000.0}, {500.0, 2000.0}}; }

inline Session SessionOfModel(const earth::LayeredModel& model)
{
    Session s = NewSession(SoundingOfModel(model, LogFrequencies(5, 4)), "synthetic.dat", {});
    s.floorPercent = 0.0;  // the rows' own errors
    return s;
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline void ExpectSameNumbers(const std::vector<double>& a, const std::vector<double>& b, const char* what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(SameBits(a[i], b[i])) << what << "[" << i << "]: " << a[i] << " vs " << b[i];
}

inline void ExpectSameOptional(const std::optional<double>& a, const std::optional<double>& b, const char* what)
{
    ASSERT_EQ(a.has_value(), b.has_value()) << what;
    if (a) {
        EXPECT_TRUE(SameBits(*a, *b)) << what << ": " << *a << " vs " << *b;
    }
}

}  // namespace mt1d::session::test
