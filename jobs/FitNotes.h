#pragma once
// What a fit's misfit says of its model, as a note beside the result.
//
// A fit whose RMS lies far below 1 follows the data more closely than their errors warrant:
// it may be fitting the noise, and a model with fewer layers (or, for an Occam fit, a higher
// target) explains the data as well. The line is kOverfitRms at an error floor of
// kOverfitReferenceFloorPercent or less. A higher floor widens every error bar in proportion,
// so the same residuals give an RMS smaller by reference/floor: the line falls with it
// (a 10 % floor: 0.25), so that a floor alone never raises the note.

#include "fitting/FitStatus.h"

#include <cstddef>
#include <optional>
#include <string>

namespace mt1d::jobs {

inline constexpr double kOverfitRms = 0.5;
inline constexpr double kOverfitReferenceFloorPercent = 5.0;

// The RMS below which a fit at this error floor (percent) may fit the noise.
double OverfitRms(double floorPercent);

// The note for a fit of `method` with this RMS (layers: of a layered model), or nothing when
// the RMS is at or above the line or not a number.
std::optional<std::string> OverfitNote(fitting::Method method, double rms, double floorPercent,
                                       std::optional<std::size_t> layers = std::nullopt);

// A parameter whose standard error exceeds kUnresolvedLog10Sd decades (a factor of 10 either
// way) is not determined by the data: a window or a table shows it as unresolved, and beside
// it the combination the data do see (the conductance h/ρ of a thin conductor, the transverse
// resistance h·ρ of a thin resistor), whose error is often small. Not a number: unresolved.
inline constexpr double kUnresolvedLog10Sd = 1.0;
bool IsResolved(double log10Sd);

// The start of every such note, for those who look for it among the notes.
inline constexpr const char* kOverfitNotePrefix = "the model may fit the noise";

}  // namespace mt1d::jobs
