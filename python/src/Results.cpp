#include "python/src/Results.h"

#include "python/src/Arrays.h"
#include "python/src/CommandOptions.h"
#include "python/src/Errors.h"
#include "python/src/Interrupt.h"
#include "python/src/Soundings.h"

#include "cli/Cli.h"
#include "cli/FitOptions.h"
#include "cli/SampleOptions.h"
#include "jobs/FitCurve.h"
#include "report/FitCsv.h"
#include "report/FitJson.h"
#include "report/FitText.h"
#include "report/SampleCsv.h"
#include "report/SampleJson.h"
#include "report/SampleWarnings.h"
#include "sounding/Modes.h"

#include <pybind11/stl.h>

namespace mt1d::python {

namespace {

struct FitResultObject {
    jobs::FitRecord record;
};

struct PosteriorObject {
    jobs::SampleRecord record;
};

// cli::RunFit and cli::RunSample refuse data and options they cannot use with an InputError,
// as the command line reports it; the module's RefusedError carries the same message.
template <typename Run>
auto Refusing(Run run)
{
    try {
        return run();
    } catch (const cli::UsageError&) {
        throw;
    } catch (const InputError& e) {
        throw RefusedError(e.what());
    }
}

// Both run without the GIL and stop for Ctrl-C (Interrupt.h).
FitResultObject Fit(const jobs::LoadedCurve& loaded, const jobs::FitOptions& options)
{
    return Refusing([&] {
        return RunInterruptibly([&](const std::atomic<bool>& cancel) {
            fitting::RunControl control;
            control.cancel = &cancel;
            return FitResultObject{cli::RunFit(loaded, options, control)};
        });
    });
}

PosteriorObject Sample(const jobs::LoadedCurve& loaded, const sampling::SamplingOptions& options)
{
    return Refusing([&] {
        return RunInterruptibly([&](const std::atomic<bool>& cancel) {
            sampling::SamplingControl control;
            control.cancel = &cancel;
            return PosteriorObject{cli::RunSample(loaded, options, control)};
        });
    });
}

// As `mt1d fit FILE args…`: every option checked, then the file read, then the fit.
FitResultObject FitFile(const std::string& file, const std::vector<std::string>& args)
{
    const FitRequest request = ParseFitCommandArgs(args, file);
    return Fit(LoadCurveWith(file, request.data).loaded, request.fit);
}

FitResultObject FitSounding(const SoundingObject& sounding, const std::vector<std::string>& args)
{
    const FitRequest request = ParseFitCommandArgs(args, sounding.sounding.sourceName);
    return Fit(CurveWith(sounding, request.data).loaded, request.fit);
}

FitResultObject FitCurveObject(const CurveObject& curve, const std::vector<std::string>& args)
{
    return Fit(curve.loaded, ParseFitArgs(args));
}

PosteriorObject SampleFile(const std::string& file, const std::vector<std::string>& args)
{
    const SampleRequest request = ParseSampleCommandArgs(args, file);
    return Sample(LoadCurveWith(file, request.data).loaded, request.sample);
}

PosteriorObject SampleSounding(const SoundingObject& sounding, const std::vector<std::string>& args)
{
    const SampleRequest request = ParseSampleCommandArgs(args, sounding.sounding.sourceName);
    return Sample(CurveWith(sounding, request.data).loaded, request.sample);
}

PosteriorObject SampleCurveObject(const CurveObject& curve, const std::vector<std::string>& args)
{
    return Sample(curve.loaded, ParseSampleArgs(args));
}

template <typename Field>
py::array_t<double> LayerColumn(const FitResultObject& r, Field field)
{
    const auto& layers = r.record.report.layers;
    return FloatArray(layers.size(), [&](std::size_t i) { return field(layers[i]); });
}

template <typename Field>
py::array_t<double> ResponseColumn(const FitResultObject& r, Field field)
{
    const auto& points = r.record.report.response;
    return FloatArray(points.size(), [&](std::size_t i) { return field(points[i]); });
}

void RegisterFitResult(py::module_& module)
{
    py::class_<FitResultObject>(module, "FitResult",
                                "A fit as `mt1d fit` reports it (mt1d.fit). to_json() is the command's\n"
                                "--format json output, byte for byte; the properties hold its main values.")
        .def("to_json", [](const FitResultObject& r) { return Text(report::FitJsonText(r.record)); },
             "The record as `mt1d fit --format json` prints it (a result file mt1d reads back).")
        .def("to_csv", [](const FitResultObject& r) { return Text(report::FitModelCsv(r.record)); },
             "The model as `mt1d fit --format csv` prints it.")
        .def("to_text", [](const FitResultObject& r) { return Text(report::FitText(r.record)); },
             "The report `mt1d fit` prints by default.")
        .def_property_readonly("succeeded", [](const FitResultObject& r) { return jobs::FitSucceeded(r.record.report); },
                               "Whether the fit reached its goal (occam: the target RMS; layered: a settled\n"
                               "minimum): where `mt1d fit` exits with status 0.")
        .def_property_readonly("method", [](const FitResultObject& r) { return std::string(fitting::ToString(r.record.report.method)); })
        .def_property_readonly("mode", [](const FitResultObject& r) { return std::string(sounding::ModeName(r.record.report.mode)); })
        .def_property_readonly("status", [](const FitResultObject& r) { return std::string(fitting::ToString(r.record.report.status)); },
                               "How the run ended: target-reached, converged, max-iterations, …")
        .def_property_readonly("message", [](const FitResultObject& r) { return Text(r.record.report.message); })
        .def_property_readonly("rms", [](const FitResultObject& r) { return r.record.report.rms; })
        .def_property_readonly("roughness", [](const FitResultObject& r) { return OrNone(r.record.report.roughness); },
                               "Of smooth (Occam) fits; None for layered fits.")
        .def_property_readonly("iterations", [](const FitResultObject& r) { return r.record.report.iterations; })
        .def_property_readonly("target_reached", [](const FitResultObject& r) { return r.record.report.targetReached; })
        .def_property_readonly("values_fitted", [](const FitResultObject& r) { return r.record.valuesFitted; },
                               "N of the RMS: apparent resistivities and phases counted separately.")
        .def_property_readonly("notes", [](const FitResultObject& r) { return StringList(r.record.notes); })
        .def_property_readonly("top", [](const FitResultObject& r) {
                return LayerColumn(r, [](const fitting::ReportLayer& l) { return l.topM; });
            }, "Depth of each layer's top in m, shape (L,), the half-space last.")
        .def_property_readonly("thickness", [](const FitResultObject& r) {
                return LayerColumn(r, [](const fitting::ReportLayer& l) { return OrMissing(l.thicknessM); });
            }, "Thickness of each layer in m, shape (L,); NaN for the half-space.")
        .def_property_readonly("resistivity", [](const FitResultObject& r) {
                return LayerColumn(r, [](const fitting::ReportLayer& l) { return l.resistivityOhmM; });
            }, "Resistivity of each layer in ohm-m, shape (L,).")
        .def_property_readonly("log10_rho_sd", [](const FitResultObject& r) {
                return LayerColumn(r, [](const fitting::ReportLayer& l) { return OrMissing(l.log10RhoSd); });
            }, "Standard error of log10 resistivity (layered fits; NaN otherwise), shape (L,).")
        .def_property_readonly("response_frequency", [](const FitResultObject& r) {
                return ResponseColumn(r, [](const fitting::ResponsePoint& p) { return p.frequencyHz; });
            }, "Frequencies of the model's response in Hz.")
        .def_property_readonly("response_rho", [](const FitResultObject& r) {
                return ResponseColumn(r, [](const fitting::ResponsePoint& p) { return p.rhoOhmM; });
            }, "Apparent resistivity of the model in ohm-m at response_frequency.")
        .def_property_readonly("response_phase", [](const FitResultObject& r) {
                return ResponseColumn(r, [](const fitting::ResponsePoint& p) { return p.phaseDeg; });
            }, "Impedance phase of the model in degrees at response_frequency.")
        .def_property_readonly("depth_of_investigation", [](const FitResultObject& r) {
                return r.record.report.depthOfInvestigationM;
            }, "m, from the Niblett-Bostick transform of the data.")
        .def("__repr__", [](const FitResultObject& r) {
            const auto& rep = r.record.report;
            return Text("<mt1d.FitResult " + r.record.site.name + " " + std::string(fitting::ToString(rep.method)) + ": " +
                        std::to_string(rep.layers.size()) + " layers, rms " + std::to_string(rep.rms) + ", " +
                        std::string(fitting::ToString(rep.status)) + ">");
        });
}

void RegisterPosterior(py::module_& module)
{
    py::class_<PosteriorObject>(module, "Posterior",
                                "The posterior of layered models as `mt1d sample` reports it (mt1d.sample).\n"
                                "to_json() is the command's output but for the timing values of \"ess\"\n"
                                "(seconds and per_second), which differ between any two runs.")
        .def("to_json", [](const PosteriorObject& p) { return Text(report::SampleJsonText(p.record)); },
             "The record as `mt1d sample --format json` prints it.")
        .def("to_csv", [](const PosteriorObject& p) { return Text(report::SampleProfileCsv(p.record)); },
             "One row per depth, as `mt1d sample --format csv` prints it.")
        .def_property_readonly("status", [](const PosteriorObject& p) {
                return p.record.result.status == sampling::SamplingStatus::kCompleted ? "completed" : "cancelled";
            })
        .def_property_readonly("message", [](const PosteriorObject& p) { return Text(p.record.result.message); })
        .def_property_readonly("warnings", [](const PosteriorObject& p) { return StringList(report::SampleWarnings(p.record.result)); },
                               "What `mt1d sample` warns of on standard error (R-hat of 1.1 or more, …).")
        .def_property_readonly("depth", [](const PosteriorObject& p) { return FloatArray(p.record.result.depthM); },
                               "Centres of the depth cells in m, shape (D,).")
        .def_property_readonly("log10_rho_grid", [](const PosteriorObject& p) { return FloatArray(p.record.result.log10RhoGrid); },
                               "Centres of the resistivity bins in log10 ohm-m, shape (R,).")
        .def_property_readonly("density", [](const PosteriorObject& p) {
                const auto& r = p.record.result;
                const std::size_t rows = r.density.empty() ? 0 : r.depthM.size();
                return Matrix(r.density, rows, r.log10RhoGrid.size());
            }, "Probability of each resistivity bin at each depth, shape (D, R), rows summing to 1.")
        .def_property_readonly("p10", [](const PosteriorObject& p) { return FloatArray(p.record.result.p10); })
        .def_property_readonly("p50", [](const PosteriorObject& p) { return FloatArray(p.record.result.p50); })
        .def_property_readonly("p90", [](const PosteriorObject& p) { return FloatArray(p.record.result.p90); })
        .def_property_readonly("mean", [](const PosteriorObject& p) { return FloatArray(p.record.result.mean); },
                               "Mean of log10 resistivity at each depth, shape (D,).")
        .def_property_readonly("interface_probability", [](const PosteriorObject& p) {
                return FloatArray(p.record.result.interfaceProbability);
            }, "Probability of an interface in each depth cell, shape (D,).")
        .def_property_readonly("layer_count", [](const PosteriorObject& p) {
                py::dict d;
                for (const auto& c : p.record.result.layerCount) d[py::int_(c.layers)] = c.probability;
                return d;
            }, "Probability of each number of layers (the half-space counted).")
        .def_property_readonly("rhat", [](const PosteriorObject& p) {
                py::dict d;
                d["misfit"] = p.record.result.rhat.misfit;
                d["layer_count"] = p.record.result.rhat.layerCount;
                return d;
            }, "R-hat of the misfit and of the layer count; 1.1 or more: the chains disagree.")
        .def_property_readonly("samples", [](const PosteriorObject& p) { return p.record.result.samples; },
                               "Samples kept over all chains.")
        .def_property_readonly("seed", [](const PosteriorObject& p) { return p.record.result.seed; })
        .def("__repr__", [](const PosteriorObject& p) {
            return Text("<mt1d.Posterior " + p.record.site.name + ": " + std::to_string(p.record.result.samples) +
                        " samples kept>");
        });
}

}  // namespace

void RegisterResults(py::module_& module)
{
    RegisterFitResult(module);
    RegisterPosterior(module);
    module.def("_fit_file", &FitFile, py::arg("file"), py::arg("args"));
    module.def("_fit_sounding", &FitSounding, py::arg("sounding"), py::arg("args"));
    module.def("_fit_curve", &FitCurveObject, py::arg("curve"), py::arg("args"));
    module.def("_sample_file", &SampleFile, py::arg("file"), py::arg("args"));
    module.def("_sample_sounding", &SampleSounding, py::arg("sounding"), py::arg("args"));
    module.def("_sample_curve", &SampleCurveObject, py::arg("curve"), py::arg("args"));
}

}  // namespace mt1d::python
