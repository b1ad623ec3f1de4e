#pragma once
// A synthetic survey for trying and measuring batches: N EDI files along a straight profile,
// made from layered models that change smoothly along it, with seeded Gaussian noise, and the
// models themselves beside them.
//
// Profile: site i (0-based) lies i·spacing km from the start along the given azimuth
// (clockwise from north), on a sphere of radius 6371 km. Site names S0001, S0002, …
//
// Models: with s = i/(N−1) (0 for a single site), the site has 1 + ⌊5·s⌋ layers (at most 5):
// the first fifth of the profile a uniform half-space, the last fifth five layers. The
// resistivities and thicknesses of a five-layer template drift smoothly with s; a site with L
// layers takes the template's first L − 1 layers over a half-space of the template's next
// layer's resistivity, so that layers appear one by one along the profile.
//
// Data: the impedance of the model (e^{+iωt}, field units (mV/km)/nT, Zxy = Z, Zyx = −Z,
// Zxx = Zyy = 0, the diagonal without noise and without a variance block) at
// `frequenciesPerDecade` frequencies per decade from 1000 Hz to 0.001 Hz. The real and
// imaginary parts of Zxy and Zyx each get Gaussian noise of standard error noise·|Z|, and the
// file gives the variance that the reader's default reading turns back into that error
// (sounding/ImpedanceErrors.h: the variance of the complex value, 2·(noise·|Z|)²). With noise
// 0.05 the xy and yx errors are the default error floor of 5 %: 10 % on ρa and 2.87° on the
// phase; the determinant averages the two, so its error is 5 %/√2.
//
// The true models go to true-models.json (an extension a batch does not read), an array of
// {"site", "latitude_deg", "longitude_deg", "resistivity_ohmm": [...], "thickness_m": [...]}.

#include "numerics/LayeredEarth.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mt1d::batch {

struct SurveyOptions {
    std::size_t sites = 10;
    double spacingKm = 1.0;
    double startLatitudeDeg = -30.0;
    double startLongitudeDeg = 135.0;
    double azimuthDeg = 90.0;  // clockwise from north: east
    std::size_t frequenciesPerDecade = 5;
    double noise = 0.05;       // standard error of each part of Zxy and Zyx as a fraction of |Z|
    std::uint64_t seed = 1;
};

struct SurveySite {
    std::string name;
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
    earth::LayeredModel model;
};

// The sites and models of a survey (no files).
std::vector<SurveySite> SurveySites(const SurveyOptions& options);

// The frequencies of every site, highest first.
std::vector<double> SurveyFrequencies(const SurveyOptions& options);

// One site's EDI text, its noise drawn from a generator seeded by the survey seed and the
// site's index.
std::string SurveyEdi(const SurveySite& site, std::size_t index, const SurveyOptions& options);

// Writes <folder>/<name>.edi for every site and <folder>/true-models.json, making the folder.
// Throws std::runtime_error naming a file that cannot be written, std::invalid_argument for
// options out of range (no sites, spacing or noise negative or not finite).
void WriteSurvey(const std::filesystem::path& folder, const SurveyOptions& options);

}  // namespace mt1d::batch
