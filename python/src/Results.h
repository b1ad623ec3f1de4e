#pragma once
// mt1d.fit and mt1d.sample: a curve (a file, a Sounding or a Curve) fitted or sampled with the
// options of `mt1d fit` / `mt1d sample`, parsed by the command line's own parsers, through the
// pipeline every front end uses (cli::RunFit, cli::RunSample over jobs/), and the results as
// FitResult and Posterior, whose to_json() is what the command prints with --format json.

#include <pybind11/pybind11.h>

namespace mt1d::python {

void RegisterResults(pybind11::module_& module);

}  // namespace mt1d::python
