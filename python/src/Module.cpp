// The extension mt1d._mt1d: the engines of mt1d for Python. The package mt1d
// (python/mt1d/__init__.py) gives them their keyword interface and help.

#include "python/src/CommandOptions.h"
#include "python/src/Errors.h"
#include "python/src/Forward.h"
#include "python/src/Results.h"
#include "python/src/Soundings.h"
#include "python/src/Survey.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

namespace py = pybind11;
using namespace mt1d::python;

PYBIND11_MODULE(_mt1d, module)
{
    module.doc() = "The engines of mt1d (one-dimensional magnetotelluric sounding); import mt1d instead.";
    module.attr("__version__") = MT1D_VERSION;
    RegisterErrors(module);
    RegisterForward(module);
    RegisterSoundings(module);
    RegisterResults(module);
    py::module_ survey = module.def_submodule("survey", "The pieces of mt1d batch for a survey run elsewhere.");
    RegisterSurvey(survey);

    // The options of the commands as their --help shows them: what the package's keyword
    // functions check names against and write their help from.
    py::class_<OptionHelp>(module, "_OptionHelp")
        .def_readonly("name", &OptionHelp::name)
        .def_readonly("value_name", &OptionHelp::valueName)
        .def_readonly("description", &OptionHelp::description)
        .def_readonly("flag", &OptionHelp::flag);
    module.def("_options", [](const std::string& group) {
        if (group == "data") return OptionsOf(OptionGroup::kData);
        if (group == "fit") return OptionsOf(OptionGroup::kFit);
        if (group == "sample") return OptionsOf(OptionGroup::kSample);
        throw py::value_error("no option group " + group);
    }, py::arg("group"));
}
