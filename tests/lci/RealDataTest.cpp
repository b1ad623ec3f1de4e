// A real pair: the two Coompana Province AMT soundings of the shared data (07E1 and CD1_2,
// ga-amt-rjmcmcmt/), about 31.5 km apart, whose own layered fits find the same four layers
// (about 70 Ω·m, 12 Ω·m and 3 Ω·m over a resistive basement, the conductor's base near 250 and
// 310 m). Determinant curves with a 5 % floor, as a batch derives them by default.

#include "lci/LciFit.h"
#include "fitting/LayeredFit.h"
#include "sounding/CurveDerivation.h"
#include "sounding/SoundingFile.h"
#include "tests/support/SharedData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace {

using namespace mt1d;

// Great-circle distance (haversine, mean Earth radius) between two soundings' positions.
double DistanceKm(const sounding::Sounding& a, const sounding::Sounding& b)
{
    constexpr double kRadiusKm = 6371.0088, kRad = 3.141592653589793 / 180.0;
    const double dLat = (*b.site.location.latitudeDeg - *a.site.location.latitudeDeg) * kRad;
    const double dLon = (*b.site.location.longitudeDeg - *a.site.location.longitudeDeg) * kRad;
    const double h = std::pow(std::sin(dLat / 2), 2) + std::cos(*a.site.location.latitudeDeg * kRad) *
                                                           std::cos(*b.site.location.latitudeDeg * kRad) *
                                                           std::pow(std::sin(dLon / 2), 2);
    return 2.0 * kRadiusKm * std::asin(std::sqrt(h));
}

std::optional<std::vector<lci::ProfileSite>> CoompanaPair()
{
    const auto dir = testing_support::SharedDataDir();
    if (!dir) return std::nullopt;
    std::vector<sounding::Sounding> soundings;
    for (const char* name : {"07E1_AMT.edi", "CD1_2.edi"}) {
        soundings.push_back(sounding::ReadSoundingFile(*dir / "ga-amt-rjmcmcmt" / name));
    }
    std::vector<lci::ProfileSite> sites;
    for (const auto& s : soundings) {
        const auto selected = fitting::SelectData(sounding::DeriveCurve(s, {sounding::Mode::kDet, 5.0}), {});
        if (!selected.Ok()) return std::nullopt;
        sites.push_back({selected.data, DistanceKm(soundings.front(), s)});
    }
    return sites;
}

// Where the sites agree, tying them costs each little: every site's RMS within 5 % of its own
// four-layer fit's (10 % of χ²; the lateral term may buy that much smoothness, no more).
TEST(CoompanaPair, LayeredProfileFitsEachSiteNearlyAsWellAsItsOwnFit)
{
    const auto sites = CoompanaPair();
    if (!sites) GTEST_SKIP() << testing_support::kNoSharedData;
    ASSERT_NEAR((*sites)[1].distanceKm, 31.5, 0.1);  // 2.85′ of latitude, 19.57′ of longitude at 31.2° S
    lci::LciOptions options;
    options.form = lci::LciForm::kLayered;
    options.layers = 4;
    options.threads = 2;
    const auto fit = lci::FitProfile(*sites, options);
    ASSERT_NE(fit.status, fitting::FitStatus::kInvalidInput) << fit.message;
    for (std::size_t s = 0; s < sites->size(); ++s) {
        fitting::LayeredOptions own;
        own.layers = 4;
        const auto alone = fitting::FitLayered((*sites)[s].data, own);
        EXPECT_LE(fit.sites[s].report.rms, 1.05 * alone.report.rms) << "site " << s << ": " << fit.message;
        RecordProperty("rms_" + std::to_string(s), std::to_string(fit.sites[s].report.rms));
        RecordProperty("alone_rms_" + std::to_string(s), std::to_string(alone.report.rms));
    }
}

}  // namespace
