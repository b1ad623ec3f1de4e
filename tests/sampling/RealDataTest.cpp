// The sampler on Geoscience Australia's four AMT soundings (shared/data/ga-amt-rjmcmcmt; det
// curve, 5 % error floor), short runs. The longer study with its comparison against the fits
// is bench/SamplingStudy.cpp. Skipped when the shared data are absent.

#include "sounding/CurveDerivation.h"
#include "fitting/LayeredFit.h"
#include "fitting/NiblettBostick.h"
#include "sampling/Sampler.h"
#include "tests/support/SharedData.h"
#include "sounding/SoundingFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace {

using namespace mt1d::sampling;

std::optional<mt1d::fitting::FitData> SiteData(const std::string& site)
{
    const auto dir = testing_support::SharedDataDir();
    if (!dir) return std::nullopt;
    const auto s = mt1d::sounding::ReadSoundingFile(*dir / "ga-amt-rjmcmcmt" / (site + ".edi"));
    const auto selected = mt1d::fitting::SelectData(mt1d::sounding::DeriveCurve(s, {mt1d::sounding::Mode::kDet, 5.0}), {});
    EXPECT_TRUE(selected.Ok()) << selected.error;
    return selected.data;
}

class GaSounding : public ::testing::TestWithParam<const char*> {};

// The posterior holds three-layer models, so the best model the chains visit fits at least
// about as well as the best three-layer fit (5 % for a short run that visits the minimum's
// neighbourhood rather than its bottom). Reading real files with missing values (CD1_2)
// leaves data the sampler takes.
TEST_P(GaSounding, ShortRunFitsAsWellAsTheBestThreeLayerFit)
{
    const auto data = SiteData(GetParam());
    if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
    SamplingOptions options;
    options.samples = 60'000;
    options.burnIn = 10'000;
    options.chains = 2;
    const auto r = Sample(*data, options);
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;

    mt1d::fitting::LayeredOptions lo;
    lo.layers = 3;
    const auto fit = mt1d::fitting::FitLayered(*data, lo);
    EXPECT_LE(r.bestRms, 1.05 * fit.report.rms);

    const double highestRhoA = data->rhoA.front();  // rows run from the highest frequency
    // The default depth range: a quarter of the skin depth at the highest frequency.
    EXPECT_NEAR(r.depthEdgesM.front(), 0.25 * mt1d::fitting::SkinDepth(highestRhoA, data->frequencies.front()),
                1e-9 * r.depthEdgesM.front());
    EXPECT_GT(r.LayerCountMode(), 2u);  // none of these sites is a two-layer earth
}

INSTANTIATE_TEST_SUITE_P(Sampler, GaSounding, ::testing::Values("07E1_AMT", "CD1_2", "Adv1_AMT", "NAN1_AMT"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
