// The real files of ../shared/data/formats (EMTF XML, J-format, both Zonge AVG layouts), read
// at run time and skipped when absent. SOURCE.md beside them gives the number of periods, the
// units and the sign convention; the values are checked against the files themselves: the
// numbers as written, and the ρa blocks that the J-format and AVG files carry beside their
// impedances.

#include "sounding/ImpedanceMath.h"
#include "sounding/SoundingFile.h"
#include "tests/support/SharedData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace mt1d::sounding;
namespace fs = std::filesystem;
using C = Component;

fs::path FormatsDir()
{
    const auto dir = testing_support::SharedDataDir();
    return dir ? *dir / "formats" : fs::path();
}

#define REQUIRE_FILE(name)                                                        \
    const fs::path path = FormatsDir() / name;                                    \
    if (FormatsDir().empty()) GTEST_SKIP() << testing_support::kNoSharedData;     \
    if (!fs::exists(path)) GTEST_SKIP() << path << " absent"

bool HasNote(const Sounding& s, std::string_view part)
{
    return std::any_of(s.notes.begin(), s.notes.end(), [&](const std::string& n) { return n.find(part) != std::string::npos; });
}

double Deg(double rad)
{
    return rad * 180.0 / std::numbers::pi;
}

TEST(FormatsRealFiles, EmtfXmlHoldsItsValuesAsWrittenInFieldUnitsAndPlusConvention)
{
    REQUIRE_FILE("tf_xml.xml");
    EXPECT_EQ(DetectFormat("<?xml version=\"1.0\"?>\n<EM_TF>", "x"), FileFormat::kEmtfXml);
    const Sounding s = ReadSoundingFile(path);
    EXPECT_EQ(s.format, SourceFormat::kEmtfXml);
    EXPECT_EQ(s.site.name, "NMX20");
    EXPECT_EQ(*s.site.location.latitudeDeg, 34.470528);
    EXPECT_EQ(*s.site.location.longitudeDeg, -108.712288);
    EXPECT_EQ(*s.site.location.elevationM, 1940.05);
    ASSERT_EQ(s.RowCount(), 33u);  // SOURCE.md: 33 periods
    EXPECT_FALSE(s.conjugated);     // exp(+ i\omega t), as SOURCE.md says
    // The shortest period, 4.65455 s, is the first row; [mV/km]/[nT] needs no factor.
    const TensorRow& first = s.tensor.front();
    EXPECT_NEAR(first.frequencyHz, 1.0 / 4.654550, 1e-15);
    EXPECT_EQ(*first[C::kXy].value, std::complex<double>(3.143284, 1.101737));
    EXPECT_EQ(*first[C::kXy].variance, 1.790224e-3);
    EXPECT_EQ(*first.tipper[0].value, std::complex<double>(-9.386985e-2, 6.206708e-3));
    EXPECT_EQ(*first.tipper[0].variance, 8.415410e-5);
    const TensorRow& last = s.tensor.back();
    EXPECT_NEAR(1.0 / last.frequencyHz, 2.912711e4, 1e-9);
    EXPECT_EQ(*last[C::kYy].value, std::complex<double>(-2.953623e-3, -1.293358e-2));
    EXPECT_EQ(*last[C::kYy].variance, 4.945630e-6);
    for (const auto& row : s.tensor) EXPECT_EQ(row.rotationDeg, 0.0);
}

// The J-format file's RXY and RYX rows (period, ρa, φ, ρa max, ρa min): the file's own
// apparent resistivities, which its impedances must reproduce.
struct JRho {
    double period, rho, phase, rhoMax, rhoMin;
};
const JRho kRxy[] = {{1.333333, 349.3755, -47.90656, 393.8466, 304.9044},
                     {10.75000, 170725.5, -76.11409, 189943.2, 151507.9},
                     {64.55000, 0.1045799E+08, -99.74355, 0.1315273E+08, 7763255.}};
const JRho kRyx[] = {{1.333333, 544.1006, 122.4567, 564.4753, 523.7258}, {43.03333, 0.1217501E+08, 85.45995, 0.1345780E+08, 0.1089222E+08}};

TEST(FormatsRealFiles, JFormatImpedancesReproduceTheFilesOwnRhoBlocks)
{
    REQUIRE_FILE("tf_jfile.j");
    const Sounding s = ReadSoundingFile(path);
    EXPECT_EQ(s.format, SourceFormat::kJFormat);
    EXPECT_EQ(s.site.name, "BP05");
    ASSERT_EQ(s.RowCount(), 12u);  // 14 periods, the last two -999
    EXPECT_EQ(s.kind, DataKind::kImpedance);
    // Labelled "S.I.", but ρa = 0.2·T·|Z|² reproduces the file's RXY only in (mV/km)/nT.
    EXPECT_TRUE(HasNote(s, "S.I."));
    // BIRRP writes e^{−iωt} (RXY phases near −50°): conjugated.
    EXPECT_TRUE(s.conjugated);
    // Both blocks hold 7 significant digits: ρa from Z to about 2e-6, the phase to 1e-5°.
    for (const auto& [rows, c] : {std::pair{std::begin(kRxy), C::kXy}, std::pair{std::begin(kRyx), C::kYx}}) {
        const std::size_t n = c == C::kXy ? std::size(kRxy) : std::size(kRyx);
        for (std::size_t k = 0; k < n; ++k) {
            const JRho& r = rows[k];
            const auto row = std::find_if(s.tensor.begin(), s.tensor.end(),
                                          [&](const TensorRow& t) { return std::abs(t.frequencyHz * r.period - 1.0) < 1e-12; });
            ASSERT_NE(row, s.tensor.end()) << r.period;
            const auto z = *(*row)[c].value;
            EXPECT_NEAR(ApparentResistivity(z, row->frequencyHz), r.rho, r.rho * 1e-5) << r.period;
            EXPECT_NEAR(PhaseDegrees(z), -r.phase, 1e-4) << r.period;
            // ρa max − ρa min = 2·δρa = 4·ρa·σ/|Z| with σ the file's error (σ² the variance).
            const double sigma = std::sqrt(*(*row)[c].variance);
            EXPECT_NEAR(4.0 * r.rho * sigma / std::abs(z), r.rhoMax - r.rhoMin, (r.rhoMax - r.rhoMin) * 1e-4) << r.period;
        }
    }
}

TEST(FormatsRealFiles, ZongeAvgOneHeaderLayoutMatchesItsOwnResistivities)
{
    REQUIRE_FILE("tf_avg.avg");
    const Sounding s = ReadSoundingFile(path);
    EXPECT_EQ(s.format, SourceFormat::kZongeAvg);
    EXPECT_TRUE(HasNote(s, "one column header"));
    EXPECT_EQ(s.site.name, "24");
    EXPECT_EQ(*s.site.location.latitudeDeg, 32.83331167);
    ASSERT_EQ(s.RowCount(), 28u);
    const auto at1Hz = std::find_if(s.tensor.begin(), s.tensor.end(), [](const TensorRow& r) { return r.frequencyHz == 1.0; });
    ASSERT_NE(at1Hz, s.tensor.end());
    // Zxy at 1 Hz: Z.mag 1.9351E+01, Z.phz 392 mrad, ARes.mag 7.4890E+01, ARes.%err 6. Five
    // significant digits in Z.mag and ARes.mag: ρa agrees to 1e-4.
    const auto z = *(*at1Hz)[C::kXy].value;
    EXPECT_NEAR(ApparentResistivity(z, 1.0), 74.890, 74.890 * 1e-4);
    EXPECT_NEAR(PhaseDegrees(z), Deg(0.392), 1e-9);
    EXPECT_NEAR(std::sqrt(*(*at1Hz)[C::kXy].variance) / std::abs(z), 0.03, 1e-12);
    // Zyx at 1 Hz: −2401.6 mrad stays where it is (the file's polarity is the usual one).
    EXPECT_NEAR(PhaseDegrees(*(*at1Hz)[C::kYx].value), Deg(-2.4016), 1e-9);
}

TEST(FormatsRealFiles, ZongeAvgPerComponentLayoutIsNegatedIntoTheUsualQuadrants)
{
    REQUIRE_FILE("tf_avg_newer.avg");
    const Sounding s = ReadSoundingFile(path);
    EXPECT_TRUE(HasNote(s, "column header for each component"));
    EXPECT_TRUE(HasNote(s, "negated"));
    EXPECT_TRUE(HasNote(s, "Rxxr"));  // the magnetic transfer functions are skipped
    EXPECT_EQ(s.site.name, "2813");
    ASSERT_EQ(s.RowCount(), 37u);
    const auto at3Hz = std::find_if(s.tensor.begin(), s.tensor.end(), [](const TensorRow& r) { return r.frequencyHz == 3.0; });
    ASSERT_NE(at3Hz, s.tensor.end());
    // Zxyr at 3 Hz: Z.mag 1.7892E+01, Z.phz −2101.7 mrad, ARes.mag 2.1341E+01; negated, its
    // phase is −2.1017 rad + π.
    const auto z = *(*at3Hz)[C::kXy].value;
    EXPECT_NEAR(ApparentResistivity(z, 3.0), 21.341, 21.341 * 1e-4);
    EXPECT_NEAR(PhaseDegrees(z), Deg(-2.1017 + std::numbers::pi), 1e-9);
    EXPECT_NEAR(PhaseDegrees(*(*at3Hz)[C::kYx].value), Deg(1.1915 - std::numbers::pi), 1e-9);
}

}  // namespace
