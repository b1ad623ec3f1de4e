// The phase-tensor pseudo-section's grid: nearest-period binning inside each site's periods,
// distance cells owned by the site whose column holds them, and the sites' files found and
// analysed (real EDIs, skipped without the shared data).

#include "section/DimsSection.h"

#include "tests/support/SharedData.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace mt1d::section {
namespace {

// Two sites worked on paper with 2 cells per decade (cell centres at log10 T = −1.75, −1.25,
// −0.75, −0.25, 0.25, 0.75). A: log10 T = −1.9, −1.1, −0.1, covering centres within 0.25 of
// [−1.9, −0.1]; B: −0.9, 0.1, 0.9. Nearest rows: A → 1, 2, 2, 3, –, –; B → –, –, 4, 5, 5, 6.
DimsColumn SiteA() { return {"A", 0.0, -1.0, 1.0, {std::pow(10.0, -1.9), std::pow(10.0, -1.1), std::pow(10.0, -0.1)}, {1, 2, 3}, {0.01, 0.02, 0.03}}; }
DimsColumn SiteB() { return {"B", 2.0, 1.0, 3.0, {std::pow(10.0, -0.9), std::pow(10.0, 0.1), std::pow(10.0, 0.9)}, {4, 5, 6}, {0.04, 0.05, 0.06}}; }

std::vector<double> BetaColumn(const DimsSection& s, std::size_t d)
{
    std::vector<double> v;
    for (std::size_t p = 0; p < s.periodCells; ++p) v.push_back(s.Beta(d, p));
    return v;
}

std::vector<double> EllipticityColumn(const DimsSection& s, std::size_t d)
{
    std::vector<double> v;
    for (std::size_t p = 0; p < s.periodCells; ++p) v.push_back(s.Ellipticity(d, p));
    return v;
}

// NaN compares unequal to itself: −1 stands for an empty cell.
std::vector<double> Marked(std::vector<double> v)
{
    for (double& x : v) if (std::isnan(x)) x = -1.0;
    return v;
}

TEST(DimsSection, EachCellTakesTheNearestRowWithinTheSitesPeriods)
{
    // Given in reverse order: the grid sorts by distance.
    const DimsSection s = BinDimsSection({SiteB(), SiteA()}, {2, 4});
    ASSERT_EQ(s.sites.size(), 2u);
    EXPECT_EQ(s.sites[0].name, "A");
    EXPECT_DOUBLE_EQ(s.log10PeriodMin, -2.0);
    EXPECT_DOUBLE_EQ(s.log10PeriodMax, 1.0);
    ASSERT_EQ(s.periodCells, 6u);
    ASSERT_EQ(s.distanceCells, 4u);
    EXPECT_DOUBLE_EQ(s.leftKm, -1.0);
    EXPECT_DOUBLE_EQ(s.rightKm, 3.0);
    // Distance cells 1 km wide with centres −0.5, 0.5 (A's column) and 1.5, 2.5 (B's).
    const std::vector<double> a = {1, 2, 2, 3, -1, -1};
    const std::vector<double> b = {-1, -1, 4, 5, 5, 6};
    EXPECT_EQ(Marked(BetaColumn(s, 0)), a);
    EXPECT_EQ(Marked(BetaColumn(s, 1)), a);
    EXPECT_EQ(Marked(BetaColumn(s, 2)), b);
    EXPECT_EQ(Marked(BetaColumn(s, 3)), b);
    const std::vector<double> ea = {0.01, 0.02, 0.02, 0.03, -1, -1};
    EXPECT_EQ(Marked(EllipticityColumn(s, 0)), ea);
}

TEST(DimsSection, DistanceBetweenColumnsStaysEmptyAndSitesWithoutRowsAreNoted)
{
    DimsColumn a = SiteA();
    a.leftKm = -1.0, a.rightKm = 0.0;
    DimsColumn b = SiteB();
    b.leftKm = 2.0, b.rightKm = 3.0;
    DimsColumn none{"C", 5.0, 4.5, 5.5, {}, {}, {}};
    const DimsSection s = BinDimsSection({a, b, none}, {2, 4});
    ASSERT_EQ(s.sites.size(), 2u);
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_NE(s.notes[0].find("C"), std::string::npos);
    // Cells 1 km wide over [−1, 3]: centres 0.5 and 1.5 lie in no column.
    for (std::size_t p = 0; p < s.periodCells; ++p) {
        EXPECT_TRUE(std::isnan(s.Beta(1, p)));
        EXPECT_TRUE(std::isnan(s.Beta(2, p)));
    }
    EXPECT_EQ(s.Beta(0, 0), 1.0);
    EXPECT_EQ(s.Beta(3, 5), 6.0);
}

TEST(DimsSection, RefusesAGridWithoutCellsAndGivesNoneWithoutRows)
{
    EXPECT_THROW(BinDimsSection({SiteA()}, {0, 4}), std::invalid_argument);
    EXPECT_THROW(BinDimsSection({SiteA()}, {2, 0}), std::invalid_argument);
    const DimsSection empty = BinDimsSection({}, {});
    EXPECT_EQ(empty.periodCells, 0u);
    EXPECT_TRUE(empty.betaDeg.empty());
}

TEST(DimsSection, SoundingFilesAreFoundAsGivenBesideOrInsideTheOutputFolder)
{
    mt1d_testing::TempDir dir;
    const auto out = dir / "out";
    std::filesystem::create_directories(out);
    dir.Write("beside.edi", "x");
    dir.Write("out/inside.edi", "x");
    EXPECT_EQ(LocateSoundingFile((dir / "beside.edi").string(), out), dir / "beside.edi");
    EXPECT_EQ(LocateSoundingFile("beside.edi", out), dir / "beside.edi");
    EXPECT_EQ(LocateSoundingFile("inside.edi", out), out / "inside.edi");
    EXPECT_TRUE(LocateSoundingFile("nowhere.edi", out).empty());
    EXPECT_TRUE(LocateSoundingFile("", out).empty());
}

TEST(DimsSection, SitesAreReadAndAnalysedAndThoseWithoutTensorAreNoted)
{
    const auto data = testing_support::SharedDataDir();
    if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
    Section section;
    SectionSite tensor;
    tensor.name = "IAJ34";
    tensor.sourceFile = (*data / "edi" / "IAJ34.edi").string();
    tensor.distanceKm = 0.0, tensor.leftKm = -0.5, tensor.rightKm = 0.5;
    SectionSite rhoOnly = tensor;
    rhoOnly.name = "RHO";
    rhoOnly.sourceFile = (*data / "edi" / "tf_edi_rho_only.edi").string();
    SectionSite missing = tensor;
    missing.name = "GONE";
    missing.sourceFile = "no-such-file.edi";
    section.sites = {tensor, rhoOnly, missing};
    std::vector<std::string> notes;
    const auto columns = ReadDimsColumns(section, *data, {}, notes);
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].name, "IAJ34");
    EXPECT_GT(columns[0].periodS.size(), 10u);
    EXPECT_EQ(columns[0].periodS.size(), columns[0].betaDeg.size());
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("RHO: no impedance tensor"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find("GONE"), std::string::npos) << notes[1];
}

}  // namespace
}  // namespace mt1d::section
