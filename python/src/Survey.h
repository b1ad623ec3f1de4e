#pragma once
// The pieces of `mt1d batch` that a survey run on another engine (examples/dask_survey.py)
// needs, so that it writes the same folder: the sites of the inputs and their names
// (jobs/SiteInputs.h), one site read, fitted and written with its summary row
// (batch/SiteRun.h), sites.csv, summary.csv, atomic writes and the output folder's lock.

#include <pybind11/pybind11.h>

namespace mt1d::python {

// Adds them to `module` (the submodule mt1d._mt1d.survey).
void RegisterSurvey(pybind11::module_& module);

}  // namespace mt1d::python
