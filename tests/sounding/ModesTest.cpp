#include "sounding/Modes.h"
#include "sounding/Sounding.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::sounding;

TEST(ModeNames, RoundTripInAnyCaseAndRefuseOtherText)
{
    for (const Mode m : kAllModes) {
        const std::string name(ModeName(m));
        EXPECT_EQ(ParseMode(name), m);
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(ParseMode(upper), m);
    }
    EXPECT_EQ(ModeName(Mode::kBerd), "berd");
    for (const char* bad : {"", "te", "xyx", "determinant"}) EXPECT_FALSE(ParseMode(bad).has_value()) << bad;
}

Sounding Tensor(std::initializer_list<Component> present)
{
    Sounding s;
    s.kind = DataKind::kImpedance;
    TensorRow row;
    row.frequencyHz = 1.0;
    for (const Component c : present) row[c].value = std::complex<double>(1.0, 1.0);
    s.tensor.push_back(row);
    return s;
}

TEST(SupportedModes, FollowTheElementsTheFileHolds)
{
    using C = Component;
    const Sounding full = Tensor({C::kXx, C::kXy, C::kYx, C::kYy});
    EXPECT_EQ(SupportedModes(full), (std::vector<Mode>{Mode::kXy, Mode::kYx, Mode::kDet, Mode::kBerd}));
    EXPECT_EQ(DefaultMode(full), Mode::kDet);

    const Sounding offDiagonal = Tensor({C::kXy, C::kYx});
    EXPECT_EQ(SupportedModes(offDiagonal), (std::vector<Mode>{Mode::kXy, Mode::kYx, Mode::kBerd}));
    EXPECT_EQ(DefaultMode(offDiagonal), Mode::kBerd);  // det impossible: the next invariant

    const Sounding yxOnly = Tensor({C::kYx, C::kXx});
    EXPECT_EQ(SupportedModes(yxOnly), std::vector<Mode>{Mode::kYx});
    EXPECT_EQ(DefaultMode(yxOnly), Mode::kYx);
}

TEST(SupportedModes, RhoPhaseFilesDefaultToXyOrTheirOnlyMode)
{
    Sounding s;
    s.kind = DataKind::kRhoPhase;
    RhoPhaseRow row;
    row.frequencyHz = 1.0;
    row[Mode::kYx].rhoOhmM = 10.0;
    row[Mode::kXy].phaseDeg = 45.0;
    s.rhoPhase.push_back(row);
    EXPECT_EQ(SupportedModes(s), (std::vector<Mode>{Mode::kXy, Mode::kYx}));
    EXPECT_EQ(DefaultMode(s), Mode::kXy);

    s.rhoPhase[0] = RhoPhaseRow{};
    s.rhoPhase[0][Mode::kDet].rhoOhmM = 10.0;  // an Occam file written for mode DET
    EXPECT_EQ(DefaultMode(s), Mode::kDet);
}

}  // namespace
