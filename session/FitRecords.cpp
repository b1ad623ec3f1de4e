#include "session/FitRecords.h"

#include "session/SessionCommands.h"

namespace mt1d::session {

report::SiteSummary SiteOf(const Session& session)
{
    report::SiteSummary site = report::SummarizeSite(session.sounding);
    site.sourceFile = session.originalPath;
    return site;
}

report::FitRecord RecordOf(const Session& session, const FitOutcome& outcome)
{
    const FitContext& c = outcome.context;
    return {SiteOf(session), c.curve, c.settings, c.valuesFitted, c.notes, outcome.report, c.products, c.correlation};
}

report::FitRecord ModelRecord(const Session& session, const earth::LayeredModel& model)
{
    report::FitRecord record;
    record.site = SiteOf(session);
    record.report.mode = session.mode;
    record.report.layers = fitting::ReportLayers(model);
    record.report.response = Evaluate(session, model).response;
    return record;
}

FitOutcome OutcomeOfRecord(const report::FitRecord& record)
{
    FitOutcome outcome;
    outcome.method = record.settings.method == fitting::Method::kLayered ? Method::kLayered : Method::kOccam;
    outcome.report = record.report;
    outcome.context = {record.curve, record.settings, record.valuesFitted, record.notes, record.products,
                       record.correlation};
    return outcome;
}

}  // namespace mt1d::session
