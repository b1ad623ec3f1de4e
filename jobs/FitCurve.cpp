#include "jobs/FitCurve.h"

#include "jobs/FitNotes.h"

#include "fitting/FitData.h"
#include "fitting/StaticShift.h"

namespace mt1d::jobs {

fitting::SelectedData SelectLoaded(const LoadedCurve& loaded, fitting::FitComponents components,
                                   const std::vector<std::size_t>& excludedRows,
                                   const std::vector<std::size_t>& secondExcludedRows)
{
    if (!loaded.second) return fitting::SelectData(loaded.curve, {components, excludedRows});
    const std::vector<fitting::CurveSelection> curves{{&loaded.curve, excludedRows},
                                                       {&*loaded.second, secondExcludedRows}};
    return fitting::SelectCurves(curves, components);
}

FitRun FitCurve(const LoadedCurve& loaded, const FitOptions& options, const std::vector<std::size_t>& excludedRows,
                const fitting::RunControl& control, const std::vector<std::size_t>& secondExcludedRows)
{
    FitRun run;
    const FitOptions settings = Resolved(options);
    const fitting::DataSelection selection{settings.components, excludedRows};
    const fitting::SelectedData selected = SelectLoaded(loaded, settings.components, excludedRows, secondExcludedRows);
    if (!selected.Ok()) {
        run.refusal = selected.error;
        return run;
    }
    // One curve: its fit answers at every row of the curve that has a frequency (the Curve
    // overloads); both curves: at the frequencies of the data.
    const bool pair = loaded.second.has_value();
    if (settings.method == fitting::Method::kLayered) {
        fitting::LayeredOptions engine = LayeredOptionsOf(settings);
        engine.data = selection;
        const fitting::LayeredFitResult fit = pair ? fitting::FitLayered(selected.data, engine, control)
                                                   : fitting::FitLayered(loaded.curve, engine, control);
        if (fit.report.status == fitting::FitStatus::kInvalidInput) {
            run.refusal = fit.report.message;
            return run;
        }
        run.record = MakeFitRecord(loaded.site, loaded.options, settings, selected.data, fit);
        run.model = fit.model;
        run.log10Sd = fit.uncertainty.log10Sd;
    } else {
        fitting::OccamOptions engine = OccamOptionsOf(settings);
        engine.data = selection;
        const fitting::OccamFitResult fit = pair ? fitting::FitOccam(selected.data, engine, control)
                                                 : fitting::FitOccam(loaded.curve, engine, control);
        if (fit.report.status == fitting::FitStatus::kInvalidInput) {
            run.refusal = fit.report.message;
            return run;
        }
        run.record = MakeFitRecord(loaded.site, loaded.options, settings, selected.data, fit);
        run.model = fit.model;
    }
    run.record->notes = loaded.curve.notes;
    if (pair) {
        for (std::string& note : run.record->notes) note = "xy: " + note;
        for (const std::string& note : loaded.second->notes) run.record->notes.push_back("yx: " + note);
        // Without factors, the high-frequency estimate says whether the curves need them.
        if (!run.record->report.staticShift) {
            if (const auto estimate = fitting::EstimateHalfSpace(selected.data)) {
                run.record->notes.push_back(fitting::HalfSpaceNote(selected.data, *estimate) +
                                            " (--shift free fits the factors)");
            }
        }
    }
    if (auto note = OverfitNote(settings.method, run.record->report.rms, loaded.options.floorPercent, settings.layers)) {
        run.record->notes.push_back(std::move(*note));
    }
    run.record->dims = SummarizeDims(loaded.sounding, loaded.options.only1d.value_or(dims::DimsOptions{}));
    return run;
}

bool FitSucceeded(const fitting::FitReport& report) { return fitting::GoalReached(report.status); }

earth::LayeredModel ModelOf(const FitRecord& record)
{
    earth::LayeredModel model;
    for (const fitting::ReportLayer& layer : record.report.layers) {
        model.resistivity.push_back(layer.resistivityOhmM);
        if (layer.thicknessM) model.thickness.push_back(*layer.thicknessM);
    }
    return model;
}

}  // namespace mt1d::jobs
