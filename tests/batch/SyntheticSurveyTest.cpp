// The synthetic survey: where its sites lie, which models they have, and that its files hold
// the models' responses with the stated noise, read back by the program's own reader.

#include "tests/batch/BatchTestSupport.h"
#include "fitting/FitData.h"
#include "fitting/Misfit.h"
#include "sounding/CurveDerivation.h"
#include "sounding/Modes.h"
#include "sounding/SoundingFile.h"
#include "batch/SyntheticSurvey.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <numbers>

namespace {

using namespace mt1d::batch;
namespace fs = std::filesystem;

double GreatCircleKm(double lat1, double lon1, double lat2, double lon2)
{
    const double r = std::numbers::pi / 180.0;
    const double a = std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
                     std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2.0 * 6371.0 * std::asin(std::sqrt(a));
}

TEST(SyntheticSurvey, LayersAppearOneByOneAlongTheProfile)
{
    SurveyOptions options;
    options.sites = 11;  // s = i/10: ⌊5s⌋ = 0 0 1 1 2 2 3 3 4 4 5 (capped at 4)
    std::vector<std::size_t> layers;
    for (const SurveySite& site : SurveySites(options)) {
        layers.push_back(site.model.LayerCount());
        EXPECT_EQ(site.model.thickness.size() + 1, site.model.LayerCount());
    }
    EXPECT_EQ(layers, (std::vector<std::size_t>{1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 5}));
}

TEST(SyntheticSurvey, SitesLieSpacingApartOnALineOfTheGivenAzimuth)
{
    SurveyOptions options;
    options.sites = 5;
    options.spacingKm = 2.5;
    options.startLatitudeDeg = 10.0;
    options.startLongitudeDeg = 20.0;
    options.azimuthDeg = 0.0;  // due north: the longitude stays, the latitude grows 2.5/6371 rad a site
    const std::vector<SurveySite> sites = SurveySites(options);
    for (std::size_t i = 0; i < sites.size(); ++i) {
        // Degrees to 1e-9 are 0.1 mm, far below what a site spacing needs and far above rounding.
        EXPECT_NEAR(sites[i].latitudeDeg, 10.0 + 2.5 * static_cast<double>(i) / 6371.0 * 180.0 / std::numbers::pi, 1e-9);
        EXPECT_NEAR(sites[i].longitudeDeg, 20.0, 1e-9);
    }
    options.azimuthDeg = 90.0;
    const std::vector<SurveySite> east = SurveySites(options);
    for (std::size_t i = 1; i < east.size(); ++i) {
        // Successive sites 2.5 km apart to a micrometre: the haversine's rounding is ~1e-12 of the radius.
        EXPECT_NEAR(GreatCircleKm(east[i - 1].latitudeDeg, east[i - 1].longitudeDeg, east[i].latitudeDeg,
                                  east[i].longitudeDeg),
                    2.5, 1e-9);
        EXPECT_GT(east[i].longitudeDeg, east[i - 1].longitudeDeg);
    }
}

TEST(SyntheticSurvey, NoiselessFilesReadBackAsTheModelsResponse)
{
    SurveyOptions options;
    options.sites = 9;
    options.noise = 0.0;
    const std::vector<SurveySite> sites = SurveySites(options);
    const std::vector<double> f = SurveyFrequencies(options);
    ASSERT_EQ(f.size(), 31u);  // 1000 Hz to 0.001 Hz, five a decade
    EXPECT_DOUBLE_EQ(f.back(), 1e-3);
    for (std::size_t i = 0; i < sites.size(); i += 4) {
        const auto sounding = mt1d::sounding::ParseSounding(SurveyEdi(sites[i], i, options), "s.edi");
        EXPECT_EQ(sounding.site.name, sites[i].name);
        // Written with 7 decimals: 1e-7 degrees.
        EXPECT_NEAR(*sounding.site.location.latitudeDeg, sites[i].latitudeDeg, 1e-7);
        const auto curve = mt1d::sounding::DeriveCurve(sounding, {mt1d::sounding::Mode::kDet, 0.0});
        mt1d::earth::LayeredEarth earth(f);
        const auto truth = earth.Compute(sites[i].model);
        ASSERT_EQ(curve.rows.size(), f.size());
        for (std::size_t k = 0; k < f.size(); ++k) {
            // Impedances printed to 10 significant digits: ρa ∝ |Z|² to 1e-9, phase to 1e-8 degrees.
            EXPECT_NEAR(curve.rows[k].rhoOhmM / truth.rhoA[k], 1.0, 1e-8) << sites[i].name << " f " << f[k];
            EXPECT_NEAR(curve.rows[k].phaseDeg, truth.phaseDeg[k], 1e-7);
        }
    }
}

TEST(SyntheticSurvey, NoiseHasTheStatedStandardErrorAndFollowsTheSeed)
{
    SurveyOptions options;
    options.sites = 20;
    const std::vector<SurveySite> sites = SurveySites(options);
    const std::vector<double> f = SurveyFrequencies(options);
    double sum2 = 0.0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const auto sounding = mt1d::sounding::ParseSounding(SurveyEdi(sites[i], i, options), "s.edi");
        mt1d::earth::LayeredEarth earth(f);
        const auto truth = earth.Compute(sites[i].model);
        for (std::size_t k = 0; k < f.size(); ++k) {
            const auto& row = sounding.tensor[k];
            const double magnitude = std::sqrt(truth.rhoA[k] * f[k] / 0.2);
            const std::complex<double> z = std::polar(magnitude, truth.phaseDeg[k] * std::numbers::pi / 180.0);
            // Each part 5 % of |Z|, written as the variance of the complex value, twice its square.
            const double sd = 0.05 * magnitude;
            EXPECT_NEAR(*row[mt1d::sounding::Component::kXy].variance, 2.0 * sd * sd, 1e-9 * sd * sd);
            for (const auto& [c, expected] : {std::pair{mt1d::sounding::Component::kXy, z},
                                             std::pair{mt1d::sounding::Component::kYx, -z}}) {
                const std::complex<double> d = (*row[c].value - expected) / sd;
                sum2 += d.real() * d.real() + d.imag() * d.imag();
                n += 2;
            }
        }
    }
    // 2480 standard normal deviates: their RMS is 1 within 1/sqrt(2·2480) = 1.4 %; 5 % is 3.5σ.
    EXPECT_NEAR(std::sqrt(sum2 / static_cast<double>(n)), 1.0, 0.05);

    EXPECT_EQ(SurveyEdi(sites[3], 3, options), SurveyEdi(sites[3], 3, options));
    SurveyOptions other = options;
    other.seed = 2;
    EXPECT_NE(SurveyEdi(sites[3], 3, options), SurveyEdi(sites[3], 3, other));
    EXPECT_NE(SurveyEdi(sites[3], 3, options), SurveyEdi(sites[3], 4, options));
}

// The errors the reader derives from the written variances are the noise's own: the true
// models fit the noisy files with RMS 1 in every mode. Twenty seeds of ten sites, 31
// frequencies, ρa and φ: 12 400 values per mode, whose RMS has a standard deviation of
// 1/sqrt(2·12 400) = 0.6 % and a first-order bias below 1 % at 5 % noise; ±0.1 is far outside
// both, and far inside the √2 (0.71 or 1.41) of a writer and a reader that disagree.
TEST(SyntheticSurvey, TrueModelsFitTheirNoisyFilesWithRmsOneInEveryMode)
{
    using mt1d::sounding::Mode;
    for (const Mode mode : {Mode::kXy, Mode::kYx, Mode::kDet, Mode::kBerd}) {
        double chi2 = 0.0;
        std::size_t count = 0;
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            SurveyOptions options;
            options.sites = 10;
            options.seed = seed;
            const std::vector<SurveySite> sites = SurveySites(options);
            for (std::size_t i = 0; i < sites.size(); ++i) {
                const auto sounding = mt1d::sounding::ParseSounding(SurveyEdi(sites[i], i, options), "s.edi");
                // No floor: the file's errors alone weigh the data.
                const auto curve = mt1d::sounding::DeriveCurve(sounding, {mode, 0.0});
                const auto selected = mt1d::fitting::SelectData(curve, {});
                ASSERT_TRUE(selected.Ok()) << selected.error;
                mt1d::fitting::Misfit misfit(selected.data);
                chi2 += misfit.Evaluate(sites[i].model.resistivity, sites[i].model.thickness);
                count += misfit.Count();
            }
        }
        EXPECT_NEAR(mt1d::fitting::Rms(chi2, count), 1.0, 0.1) << mt1d::sounding::ModeName(mode);
    }
}

TEST(SyntheticSurvey, WritesOneEdiPerSiteAndTheTrueModelsBeside)
{
    batch_testing::TempDir dir;
    SurveyOptions options = batch_testing::SmallSurvey(3);
    WriteSurvey(dir / "survey", options);
    const auto files = batch_testing::FolderFiles(dir / "survey");
    ASSERT_EQ(files.size(), 4u);
    const auto truth = nlohmann::json::parse(files.at("true-models.json"));
    const std::vector<SurveySite> sites = SurveySites(options);
    ASSERT_EQ(truth.size(), 3u);
    for (std::size_t i = 0; i < sites.size(); ++i) {
        EXPECT_EQ(files.at(sites[i].name + ".edi"), SurveyEdi(sites[i], i, options));
        EXPECT_EQ(truth[i]["site"], sites[i].name);
        EXPECT_EQ(truth[i]["resistivity_ohmm"].get<std::vector<double>>(), sites[i].model.resistivity);
        EXPECT_EQ(truth[i]["thickness_m"].get<std::vector<double>>(), sites[i].model.thickness);
    }
    options.sites = 0;
    EXPECT_THROW(WriteSurvey(dir / "none", options), std::invalid_argument);
    EXPECT_FALSE(fs::exists(dir / "none"));
}

}  // namespace
