// The dimensionality of the real soundings in ../shared/data: read at run time, skipped when
// absent. What is pinned here has a source outside this program: the Swift skew that WinGLink
// wrote into the files' ZSKEW blocks, the identity of a site's impedance and spectra files,
// and what the SOURCE.md files say about the sites. Other numbers (the fraction of 1-D rows
// and the strike of each site) have no outside reference and are not pinned.

#include "dims/Dimensionality.h"
#include "sounding/SoundingFile.h"
#include "tests/support/SharedData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using namespace mt1d::dims;
namespace fs = std::filesystem;

#define REQUIRE_SHARED_DATA()                                     \
    const auto dataDir = testing_support::SharedDataDir();        \
    if (!dataDir) GTEST_SKIP() << testing_support::kNoSharedData; \
    const fs::path data = *dataDir

const char* const kTensorFiles[] = {
    "edi/IAJ34.edi",           "edi/VIC100_ANSIR.edi",   "edi/15125A_imp.edi",          "edi/15125A_spe.edi",
    "edi/ET002.edi",           "edi/tf_edi_no_error.edi", "edi/tf_test_zrot5.edi",       "edi/Metronix.edi",
    "edi/DELTA_20.edi",        "edi/Phoenix2025.edi",    "ga-amt-rjmcmcmt/07E1_AMT.edi", "ga-amt-rjmcmcmt/Adv1_AMT.edi",
    "ga-amt-rjmcmcmt/CD1_2.edi", "ga-amt-rjmcmcmt/NAN1_AMT.edi"};

DimsResult Analyse(const fs::path& path, const mt1d::sounding::ReadOptions& read = {}, const DimsOptions& o = {})
{
    return AnalyseDimensionality(mt1d::sounding::ReadSoundingFile(path, read), o);
}

// The numbers of one block (">ZSKEW //54" and the lines up to the next '>'), in file order.
std::vector<double> Block(const fs::path& path, const std::string& name)
{
    std::ifstream in(path);
    std::string line;
    std::vector<double> values;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '>') {
            if (inside) break;
            std::istringstream words(line.substr(1));
            std::string word;
            words >> word;
            inside = word == name;
            continue;
        }
        if (!inside) continue;
        std::istringstream numbers(line);
        for (double v; numbers >> v;) values.push_back(v);
    }
    return values;
}

TEST(RealFiles, SwiftSkewIsTheOneWinGLinkWroteIntoTheFile)
{
    // WinGLink's exports carry a ZSKEW block; it is |Zxx + Zyy|/|Zxy − Zyx| of the file's own
    // impedances. Both are printed with 7 significant digits: 5e-7 relative each, up to ten
    // times that where Zxx and Zyy nearly cancel; 1e-5 relative bounds it.
    REQUIRE_SHARED_DATA();
    for (const char* file : {"ga-amt-rjmcmcmt/07E1_AMT.edi", "ga-amt-rjmcmcmt/Adv1_AMT.edi", "ga-amt-rjmcmcmt/CD1_2.edi",
                             "ga-amt-rjmcmcmt/NAN1_AMT.edi", "edi/ET002.edi", "edi/15125A_imp.edi"}) {
        SCOPED_TRACE(file);
        const auto frequencies = Block(data / file, "FREQ");
        const auto skews = Block(data / file, "ZSKEW");
        ASSERT_EQ(frequencies.size(), skews.size());
        std::map<double, double> byFrequency;
        for (std::size_t i = 0; i < skews.size(); ++i) byFrequency[frequencies[i]] = skews[i];
        const DimsResult r = Analyse(data / file);
        std::size_t compared = 0;
        for (const auto& row : r.rows) {
            const auto it = byFrequency.find(*row.frequencyHz);
            ASSERT_NE(it, byFrequency.end()) << *row.frequencyHz;
            if (it->second > 1e30) continue;  // the file's missing-value mark
            ASSERT_TRUE(row.swiftSkew) << *row.frequencyHz;
            EXPECT_NEAR(*row.swiftSkew, it->second, 1e-5 * it->second) << *row.frequencyHz;
            ++compared;
        }
        EXPECT_EQ(compared, r.rows.size());
    }
}

TEST(RealFiles, ImpedanceAndSpectraFilesOfOneSiteAgreeRowByRow)
{
    // SOURCE.md: the impedances computed from 15125A_spe.edi reproduce 15125A_imp.edi to 4e-7
    // relative. The invariants follow to about 1e-6 (degrees or ratios); 1e-4 leaves room for
    // the conditioning of X⁻¹ and still catches a conjugation or a swapped element.
    REQUIRE_SHARED_DATA();
    const DimsResult imp = Analyse(data / "edi/15125A_imp.edi");
    const DimsResult spe = Analyse(data / "edi/15125A_spe.edi");
    ASSERT_EQ(imp.rows.size(), spe.rows.size());
    for (std::size_t i = 0; i < imp.rows.size(); ++i) {
        SCOPED_TRACE(*imp.rows[i].frequencyHz);
        EXPECT_NEAR(*imp.rows[i].betaDeg, *spe.rows[i].betaDeg, 1e-4);
        EXPECT_NEAR(*imp.rows[i].ellipticity, *spe.rows[i].ellipticity, 1e-4);
        EXPECT_NEAR(*imp.rows[i].phiMaxDeg, *spe.rows[i].phiMaxDeg, 1e-4);
        EXPECT_NEAR(*imp.rows[i].phiMinDeg, *spe.rows[i].phiMinDeg, 1e-4);
        EXPECT_EQ(imp.rows[i].oneD, spe.rows[i].oneD);
    }
    EXPECT_EQ(imp.oneDRows, spe.oneDRows);
}

TEST(RealFiles, NearlyOneDSoundingsAreMostlyOneDInTheBandTheyWereInvertedIn)
{
    // SOURCE.md: "real, nearly 1D sediment-over-basement soundings", inverted by GA between 1
    // and 10 000 Hz. CD1_2 reaches down to 0.0017 Hz, where its phase tensor turns 2-D and 3-D.
    REQUIRE_SHARED_DATA();
    for (const char* file : {"ga-amt-rjmcmcmt/07E1_AMT.edi", "ga-amt-rjmcmcmt/Adv1_AMT.edi", "ga-amt-rjmcmcmt/CD1_2.edi",
                             "ga-amt-rjmcmcmt/NAN1_AMT.edi"}) {
        SCOPED_TRACE(file);
        const DimsResult r = Analyse(data / file);
        std::size_t inBand = 0, oneD = 0;
        for (const auto& row : r.rows) {
            if (!row.oneD || *row.frequencyHz < 1.0) continue;
            ++inBand;
            oneD += *row.oneD ? 1 : 0;
        }
        ASSERT_GT(inBand, 40u);
        EXPECT_GT(2 * oneD, inBand) << oneD << " of " << inBand;
    }
}

TEST(RealFiles, RowsThatCannotBeOneDAreNotOneD)
{
    REQUIRE_SHARED_DATA();
    // SOURCE.md: tf_test_zrot5's values "are not physical (phases scattered …)".
    const DimsResult zrot = Analyse(data / "edi/tf_test_zrot5.edi");
    EXPECT_LT(10 * zrot.oneDRows, zrot.computedRows) << zrot.oneDRows << " of " << zrot.computedRows;
    // SOURCE.md: VIC100's longest period is noisy, phi_xy = −69.7° at 2.29e-5 Hz.
    const DimsResult vic = Analyse(data / "edi/VIC100_ANSIR.edi");
    ASSERT_NEAR(*vic.rows.back().frequencyHz, 2.2888e-5, 1e-8);
    EXPECT_EQ(vic.rows.back().oneD, false);
}

TEST(RealFiles, StrikeFromNorthDoesNotDependOnTheFrameTheTensorIsRead)
{
    // tf_test_zrot5 is given in a frame 5° from north; read into the north frame (and into
    // 40°) every angle from north stays put. The rotation adds roundings of 1e-16 relative to
    // elements of order 1e3 around Zxx + Zyy sums of order 1e2; 1e-6° is far above that.
    // The site's strike moves a little: its weights come from the rotated variances, which
    // are right element by element but drop the correlations the rotation creates, so the
    // strike errors (not the strikes) depend on the frame. Here by 0.15°; 0.5° still catches
    // a frame counted twice or not at all (5°).
    REQUIRE_SHARED_DATA();
    const fs::path file = data / "edi/tf_test_zrot5.edi";
    const DimsResult asRead = Analyse(file);
    for (const double frame : {0.0, 40.0}) {
        mt1d::sounding::ReadOptions o;
        o.rotateToDeg = frame;
        const DimsResult turned = Analyse(file, o);
        ASSERT_EQ(turned.rows.size(), asRead.rows.size());
        for (std::size_t i = 0; i < asRead.rows.size(); ++i) {
            const auto &a = asRead.rows[i], &b = turned.rows[i];
            ASSERT_EQ(a.strikeDeg.has_value(), b.strikeDeg.has_value());
            if (!a.strikeDeg) continue;
            EXPECT_NEAR(std::remainder(*a.strikeDeg - *b.strikeDeg, 90.0), 0.0, 1e-6);
            EXPECT_NEAR(*a.betaDeg, *b.betaDeg, 1e-6);
        }
        ASSERT_EQ(asRead.strikeDeg.has_value(), turned.strikeDeg.has_value());
        if (asRead.strikeDeg) {
            EXPECT_NEAR(std::remainder(*asRead.strikeDeg - *turned.strikeDeg, 90.0), 0.0, 0.5);
        }
    }
}

TEST(RealFiles, EveryTensorFileGivesFiniteValuesInTheirRanges)
{
    REQUIRE_SHARED_DATA();
    for (const char* file : kTensorFiles) {
        SCOPED_TRACE(file);
        const DimsResult r = Analyse(data / file);
        DimsOptions o;
        o.withinErrors = true;
        const DimsResult lenient = Analyse(data / file, {}, o);
        EXPECT_GE(lenient.oneDRows, r.oneDRows) << "the errors can only widen the limits";
        for (const auto& row : r.rows) {
            for (const auto& v : {row.phiMaxDeg, row.phiMinDeg, row.alphaDeg, row.betaDeg, row.betaSdDeg, row.strikeDeg,
                                  row.strikeSdDeg, row.ellipticity, row.ellipticitySd, row.swiftSkew, row.bahrSkew})
                EXPECT_TRUE(!v || std::isfinite(*v));
            EXPECT_TRUE(!row.betaDeg || (*row.betaDeg > -90.0 && *row.betaDeg <= 90.0));
            EXPECT_TRUE(!row.strikeDeg || (*row.strikeDeg >= 0.0 && *row.strikeDeg < 90.0));
            EXPECT_TRUE(!row.ellipticity || *row.ellipticity >= 0.0);
            EXPECT_EQ(row.oneD.has_value(), row.betaDeg.has_value());
        }
        EXPECT_TRUE(!r.strikeSdDeg || *r.strikeSdDeg >= 0.0);
    }
}

TEST(RealFiles, FileOfApparentResistivityAndPhaseOnlyIsRefused)
{
    REQUIRE_SHARED_DATA();
    EXPECT_THROW(Analyse(data / "edi/tf_edi_rho_only.edi"), NoTensorError);
}

}  // namespace
