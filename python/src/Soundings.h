#pragma once
// mt1d.read and what it gives: a Sounding (the file as read: site, location, frequencies,
// the impedance tensor and its variances or ρa/φ with errors, notes), its Curve of one mode
// (jobs::CurveOfSounding: the rows the fits use, with errors, floor and why a row is not
// usable) and its dimensionality (dims::AnalyseDimensionality).

#include "jobs/LoadCurve.h"

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace mt1d::python {

// A sounding as read, with the reading options it was read with (columns, rotation, the
// variance convention and the unit of ρa errors): a curve made from it records them.
struct SoundingObject {
    sounding::Sounding sounding;
    jobs::DataOptions readOptions;
};

// A curve ready to be fitted or sampled: the sounding, its curve and what a record says of them.
struct CurveObject {
    jobs::LoadedCurve loaded;
};

// Reads `file` with the data options of `args` (only the reading ones are used). Throws
// ReadError with the command line's message, cli::UsageError for a bad option.
SoundingObject ReadSounding(const std::string& file, const std::vector<std::string>& args);

// Reads `file` and derives its curve with the data options of `args`, as `mt1d data FILE
// args…` does. Throws ReadError with the command line's message, cli::UsageError.
CurveObject LoadCurveFile(const std::string& file, const std::vector<std::string>& args);

// The curve of a sounding already read, with the curve options of `args` (mode, floor, …)
// and the reading options it was read with. Throws ReadError for a mode without data or a
// 1-D check without tensor, cli::UsageError.
CurveObject CurveOf(const SoundingObject& sounding, const std::vector<std::string>& args);

// Loads `file` with `options` as `mt1d data` does; its refusals as ReadError.
CurveObject LoadCurveWith(const std::string& file, const jobs::DataOptions& options);

// The curve of a sounding already read with the curve options of `options` (mode, floor, …);
// its reading options are those it was read with. Refusals as ReadError.
CurveObject CurveWith(const SoundingObject& sounding, jobs::DataOptions options);

void RegisterSoundings(pybind11::module_& module);

}  // namespace mt1d::python
