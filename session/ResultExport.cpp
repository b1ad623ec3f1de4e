#include "session/ResultExport.h"

#include "io/Csv.h"
#include "io/TextEncoding.h"
#include "report/FitCsv.h"
#include "report/FitJson.h"
#include "report/SiteJson.h"
#include "session/FitRecords.h"
#include "sounding/Modes.h"
#include "session/SessionCommands.h"

#include <sstream>

namespace mt1d::session {

namespace {

using report::Json;

// The rows of `mt1d fit --format csv` for one model, each after the site, the model's name
// and its RMS (empty where not known).
void CsvRows(std::string& out, const Session& session, const std::string& name, const jobs::FitRecord& record,
             std::optional<double> rms)
{
    const std::string lead = io::CsvField(SiteOf(session).name) + "," + name + "," + io::NumberText(rms) + ",";
    std::istringstream rows(report::FitModelCsv(record));
    std::string row;
    std::getline(rows, row);  // the header, written once for all models
    while (std::getline(rows, row)) out += lead + row + "\n";
}

std::string CsvHeader()
{
    const std::string rows = report::FitModelCsv({});
    return "site,model,rms," + rows.substr(0, rows.find('\n')) + "\n";
}

}  // namespace

std::string ResultsJson(const Session& session)
{
    Json excluded = Json::array();
    for (const std::size_t row : session.excludedRows) excluded.push_back(row);
    Json out = {{"site", report::SiteJson(SiteOf(session))},
                {"mode", std::string(sounding::ModeName(session.mode))},
                {"floor_percent", report::JsonNumber(session.floorPercent)},
                {"excluded_rows", std::move(excluded)}};
    if (session.layered) out["layered"] = report::FitJson(RecordOf(session, *session.layered));
    if (session.occam) out["occam"] = report::FitJson(RecordOf(session, *session.occam));
    if (session.edited) {
        const Json model = report::FitJson(ModelRecord(session, *session.edited));
        out["edited"] = {{"rms", report::JsonNumber(Evaluate(session, *session.edited).rms)},
                         {"layers", model["layers"]},
                         {"response", model["response"]}};
    }
    return report::JsonLayout(out) + "\n";
}

std::string ResultsCsv(const Session& session)
{
    std::string out = CsvHeader();
    if (session.layered) CsvRows(out, session, "layered", RecordOf(session, *session.layered), session.layered->report.rms);
    if (session.occam) CsvRows(out, session, "occam", RecordOf(session, *session.occam), session.occam->report.rms);
    if (session.edited) {
        CsvRows(out, session, "edited", ModelRecord(session, *session.edited), Evaluate(session, *session.edited).rms);
    }
    return out;
}

}  // namespace mt1d::session
