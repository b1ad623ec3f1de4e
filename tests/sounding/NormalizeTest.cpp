#include "sounding/Normalize.h"
#include "sounding/ReadError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace mt1d::sounding;
using C = Component;
using Z = std::complex<double>;

// Rows whose every element and variance carries the frequency, so that a row moved in part
// shows.
Sounding Tagged(std::initializer_list<double> freqs)
{
    Sounding s;
    s.sourceName = "tagged.edi";
    s.kind = DataKind::kImpedance;
    for (const double f : freqs) {
        TensorRow r;
        r.frequencyHz = f;
        r.rotationDeg = f;
        for (std::size_t k = 0; k < 4; ++k) {
            r.z[k].value = Z{f, f + static_cast<double>(k)};  // first-quadrant xy phase
            r.z[k].variance = f;
        }
        s.tensor.push_back(r);
    }
    return s;
}

TEST(Normalize, SortsHighToLowMovingEveryBlockOfARowAlike)
{
    Sounding s = Tagged({5.0, 0.5, 50.0, 7.0});
    NormalizeSounding(s);
    const double expected[] = {50.0, 7.0, 5.0, 0.5};
    ASSERT_EQ(s.tensor.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& r = s.tensor[i];
        EXPECT_EQ(r.frequencyHz, expected[i]);
        EXPECT_EQ(r.rotationDeg, expected[i]);
        for (std::size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(r.z[k].value->real(), expected[i]);
            EXPECT_EQ(*r.z[k].variance, expected[i]);
        }
    }
    ASSERT_FALSE(s.notes.empty());
    EXPECT_EQ(s.notes[0], "frequencies not in order in the file; sorted from high to low");
}

TEST(Normalize, AscendingFilesAreReversedAndSaidSo)
{
    Sounding s = Tagged({1.0, 2.0, 3.0});
    NormalizeSounding(s);
    EXPECT_EQ(s.tensor.front().frequencyHz, 3.0);
    EXPECT_EQ(s.notes.at(0), "frequencies given from low to high; sorted from high to low");

    Sounding sorted = Tagged({3.0, 2.0, 1.0});
    NormalizeSounding(sorted);
    EXPECT_TRUE(sorted.notes.empty());
}

TEST(Normalize, UnusableFrequenciesGoLastInFileOrder)
{
    Sounding s = Tagged({1.0, -1.0, 10.0, 0.0, std::nan("")});
    NormalizeSounding(s);
    EXPECT_EQ(s.tensor[0].frequencyHz, 10.0);
    EXPECT_EQ(s.tensor[1].frequencyHz, 1.0);
    EXPECT_EQ(s.tensor[2].frequencyHz, -1.0);
    EXPECT_EQ(s.tensor[3].frequencyHz, 0.0);
    EXPECT_TRUE(std::isnan(s.tensor[4].frequencyHz));
}

TEST(Normalize, RepeatedFrequencyIsRefused)
{
    Sounding s = Tagged({1.0, 10.0, 1.0});
    try {
        NormalizeSounding(s);
        FAIL() << "a repeated frequency was accepted";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.File(), "tagged.edi");
        EXPECT_NE(std::string(e.what()).find("frequency 1 Hz appears twice"), std::string::npos) << e.what();
    }
}

Sounding WithXyPhases(std::initializer_list<double> degrees)
{
    Sounding s;
    s.kind = DataKind::kImpedance;
    double f = 100.0;
    for (const double d : degrees) {
        TensorRow r;
        r.frequencyHz = f /= 2.0;
        r[C::kXy].value = std::polar(10.0, d * std::numbers::pi / 180.0);
        r[C::kYx].value = std::polar(10.0, (d - 180.0) * std::numbers::pi / 180.0);
        s.tensor.push_back(r);
    }
    return s;
}

TEST(Normalize, OtherTimeConventionIsConjugatedAndNoted)
{
    Sounding s = WithXyPhases({-40.0, -50.0, -45.0, 10.0});  // three of four in (−90°, 0°)
    const Z before = *s.tensor[0][C::kYx].value;
    NormalizeSounding(s);
    EXPECT_TRUE(s.conjugated);
    EXPECT_EQ(*s.tensor[0][C::kYx].value, std::conj(before));
    EXPECT_NEAR(std::arg(*s.tensor[0][C::kXy].value) * 180.0 / std::numbers::pi, 40.0, 1e-12);
    ASSERT_FALSE(s.notes.empty());
    EXPECT_NE(s.notes.back().find("e^{−iωt}"), std::string::npos);
}

TEST(Normalize, MajorityDecidesSoNoisyRowsDoNotFlipAFile)
{
    // One noisy row; wrapped phases; exactly half; the interval's ends; two rows whose mean
    // (−45°) lies in the interval although neither does.
    for (const auto& phases : {std::initializer_list<double>{45.0, 50.0, -70.0}, {-100.0, -120.0, 10.0},
                               {-45.0, 45.0}, {0.0, -90.0, 0.0}, {45.0, -135.0}}) {
        Sounding s = WithXyPhases(phases);
        NormalizeSounding(s);
        EXPECT_FALSE(s.conjugated) << *phases.begin();
    }
}

TEST(Normalize, YxPhasesOfRhoPhaseFilesEndInTheFirstQuadrant)
{
    Sounding s;
    s.kind = DataKind::kRhoPhase;
    for (const double p : {-135.0, -130.0, -88.0}) {
        RhoPhaseRow r;
        r.frequencyHz = -p;  // distinct, descending
        r[Mode::kXy].phaseDeg = 45.0;
        r[Mode::kYx].phaseDeg = p;
        s.rhoPhase.push_back(r);
    }
    Sounding stored = s;
    NormalizeSounding(s);
    EXPECT_EQ(*s.rhoPhase[0][Mode::kYx].phaseDeg, 45.0);
    EXPECT_EQ(*s.rhoPhase[2][Mode::kYx].phaseDeg, 92.0);  // the whole file moves, even a row near −90°
    EXPECT_FALSE(s.yxPhaseStoredFirstQuadrant);

    for (auto& r : stored.rhoPhase) r[Mode::kYx].phaseDeg = *r[Mode::kYx].phaseDeg + 180.0;
    NormalizeSounding(stored);
    EXPECT_EQ(*stored.rhoPhase[0][Mode::kYx].phaseDeg, 45.0);  // kept as stored
    EXPECT_TRUE(stored.yxPhaseStoredFirstQuadrant);
}

}  // namespace
