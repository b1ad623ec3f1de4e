#pragma once
// A sounding window's fits as `mt1d fit` records them (report/FitRecord.h), so that the
// window's result files and its projects carry exactly the keys of `mt1d fit --format json`.

#include "jobs/FitRecord.h"
#include "session/Session.h"

namespace mt1d::session {

// The site as a result file names it: the sounding's name and location, and the file as the
// user opened it.
jobs::SiteSummary SiteOf(const Session& session);

// The record of one of the session's fits: its site, the context kept when it ran and its
// report.
jobs::FitRecord RecordOf(const Session& session, const FitOutcome& outcome);

// The record of a model that was not fitted (the hand-edited one): its layers and its
// response at the curve's frequencies, as those of a fit record; nothing else is filled in.
jobs::FitRecord ModelRecord(const Session& session, const earth::LayeredModel& model);

// The outcome a record stands for: its report and context, the method from its settings.
// The model and its errors are the caller's (a project keeps them bit for bit).
FitOutcome OutcomeOfRecord(const jobs::FitRecord& record);

}  // namespace mt1d::session
