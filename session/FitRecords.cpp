#include "session/FitRecords.h"

#include "session/SessionCommands.h"
#include "jobs/SiteDims.h"

namespace mt1d::session {

jobs::SiteSummary SiteOf(const Session& session)
{
    jobs::SiteSummary site = jobs::SummarizeSite(session.sounding);
    site.sourceFile = session.originalPath;
    return site;
}

jobs::FitRecord RecordOf(const Session& session, const FitOutcome& outcome)
{
    const FitContext& c = outcome.context;
    // The dimensionality as `mt1d fit` records it: of the sounding, with the thresholds of the
    // data options.
    return {SiteOf(session), c.curve, c.settings, c.valuesFitted, c.notes, outcome.report, c.products, c.correlation,
            jobs::SummarizeDims(session.sounding, c.curve.only1d.value_or(dims::DimsOptions{}))};
}

jobs::FitRecord ModelRecord(const Session& session, const earth::LayeredModel& model)
{
    jobs::FitRecord record;
    record.site = SiteOf(session);
    record.report.mode = session.mode;
    record.report.layers = fitting::ReportLayers(model);
    record.report.response = Evaluate(session, model).response;
    return record;
}

FitOutcome OutcomeOfRecord(const jobs::FitRecord& record)
{
    FitOutcome outcome;
    outcome.method = record.settings.method == fitting::Method::kLayered ? Method::kLayered : Method::kOccam;
    outcome.report = record.report;
    outcome.context = {record.curve, record.settings, record.valuesFitted, record.notes, record.products,
                       record.correlation};
    return outcome;
}

}  // namespace mt1d::session
