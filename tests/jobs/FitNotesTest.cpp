// The note that a fit may follow the noise: where its line lies and how the floor moves it.

#include "jobs/FitNotes.h"

#include <gtest/gtest.h>

#include <limits>

namespace mt1d::jobs {
namespace {

struct OverfitCase {
    const char* name;
    double floorPercent;
    double rms;
    bool noted;
};

class OverfitLine : public ::testing::TestWithParam<OverfitCase> {};

TEST_P(OverfitLine, NotesOnlyAnRmsBelowTheLineOfItsFloor)
{
    const auto note = OverfitNote(fitting::Method::kLayered, GetParam().rms, GetParam().floorPercent, 4);
    EXPECT_EQ(note.has_value(), GetParam().noted) << (note ? *note : std::string("no note"));
    if (note) {
        EXPECT_EQ(note->rfind(kOverfitNotePrefix, 0), 0u) << *note;
        EXPECT_NE(note->find("fewer than 4 layers"), std::string::npos) << *note;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OverfitLine,
    ::testing::Values(OverfitCase{"BelowAtFivePercent", 5.0, 0.49, true},
                      OverfitCase{"AtTheLineIsNotBelow", 5.0, 0.5, false},
                      OverfitCase{"SmallerFloorKeepsTheLine", 1.0, 0.49, true},
                      OverfitCase{"NoFloorKeepsTheLine", 0.0, 0.3, true},
                      // 10 %: errors twice as wide, the same residuals give half the RMS: line 0.25.
                      OverfitCase{"TenPercentAboveItsLine", 10.0, 0.3, false},
                      OverfitCase{"TenPercentBelowItsLine", 10.0, 0.24, true},
                      OverfitCase{"NotANumber", 5.0, std::numeric_limits<double>::quiet_NaN(), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OverfitNote, SuggestsWhatFitsTheMethod)
{
    EXPECT_NE(OverfitNote(fitting::Method::kOccam, 0.1, 5.0)->find("higher target RMS"), std::string::npos);
    EXPECT_NE(OverfitNote(fitting::Method::kLayered, 0.1, 5.0, 1)->find("fewer parameters"), std::string::npos);
}

}  // namespace
}  // namespace mt1d::jobs
