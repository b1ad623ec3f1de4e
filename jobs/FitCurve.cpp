#include "jobs/FitCurve.h"

#include "fitting/FitData.h"

namespace mt1d::jobs {

FitRun FitCurve(const LoadedCurve& loaded, const FitOptions& options, const std::vector<std::size_t>& excludedRows,
                const fitting::RunControl& control)
{
    FitRun run;
    const FitOptions settings = Resolved(options);
    const fitting::DataSelection selection{settings.components, excludedRows};
    const fitting::SelectedData selected = fitting::SelectData(loaded.curve, selection);
    if (!selected.Ok()) {
        run.refusal = selected.error;
        return run;
    }
    if (settings.method == fitting::Method::kLayered) {
        fitting::LayeredOptions engine = LayeredOptionsOf(settings);
        engine.data = selection;
        const fitting::LayeredFitResult fit = fitting::FitLayered(loaded.curve, engine, control);
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
        const fitting::OccamFitResult fit = fitting::FitOccam(loaded.curve, engine, control);
        if (fit.report.status == fitting::FitStatus::kInvalidInput) {
            run.refusal = fit.report.message;
            return run;
        }
        run.record = MakeFitRecord(loaded.site, loaded.options, settings, selected.data, fit);
        run.model = fit.model;
    }
    run.record->notes = loaded.curve.notes;
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
