#pragma once
// The classic forward response and model in the three output formats: what `mt1d forward`
// prints and the classic window exports.

#include "classic/ModelStore.h"
#include "io/TextEncoding.h"

#include <string>

namespace mt1d::report {

using io::Json;

// The listing the window shows: one line "f ρa φ" per frequency (Hz, ohm-m, radians), each
// 0.0E+00.
std::string ResponseListing(const ModelStore& store);

// The CSV table period_s,frequency_hz,apparent_resistivity_ohm_m,phase_deg, one row per
// frequency.
std::string ResponseCsv(const ModelStore& store);

// The store's forward model as JSON: an array of {layer, resistivity, thickness}.
Json ModelJson(const ModelStore& store);

// The response as JSON: an array of {period, frequency, apparent_resistivity, phase_deg}.
Json ResponseJson(const ModelStore& store);

}  // namespace mt1d::report
