#include "batch/Summary.h"

#include "batch/BatchError.h"
#include "report/Formatting.h"
#include "sounding/Modes.h"
#include "batch/SiteFit.h"
#include "jobs/FitCurve.h"

#include <algorithm>

namespace mt1d::batch {

namespace {

constexpr std::size_t kFieldCount = 12;

std::string OneLine(std::string_view text)
{
    std::string line(text);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return line;
}

std::vector<std::string> Fields(const SummaryRow& row)
{
    return {row.site,      row.file, row.latitude,   row.longitude,     row.elevation,
            row.mode,      row.method, row.rms,      row.iterations,    row.targetReached,
            row.depthOfInvestigationM, row.status};
}

SummaryRow FromFields(std::vector<std::string> f)
{
    SummaryRow row;
    row.site = std::move(f[0]);
    row.file = std::move(f[1]);
    row.latitude = std::move(f[2]);
    row.longitude = std::move(f[3]);
    row.elevation = std::move(f[4]);
    row.mode = std::move(f[5]);
    row.method = std::move(f[6]);
    row.rms = std::move(f[7]);
    row.iterations = std::move(f[8]);
    row.targetReached = std::move(f[9]);
    row.depthOfInvestigationM = std::move(f[10]);
    row.status = std::move(f[11]);
    return row;
}

// Splits one CSV record at `pos` (RFC 4180 quoting) and moves `pos` past its line break.
// Returns false for a quote that is never closed or text after a closing quote.
bool NextRecord(std::string_view text, std::size_t& pos, std::vector<std::string>& fields)
{
    fields.assign(1, std::string());
    bool quoted = false;
    bool wasQuoted = false;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (pos < text.size() && text[pos] == '"') {
                fields.back() += '"';
                ++pos;
            } else {
                quoted = false;
                wasQuoted = true;
            }
        } else if (c == ',') {
            fields.emplace_back();
            wasQuoted = false;
        } else if (c == '\n') {
            return true;
        } else if (c == '"' && fields.back().empty() && !wasQuoted) {
            quoted = true;
        } else if (wasQuoted || c == '"') {
            return false;
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return !quoted;
}

}  // namespace

SummaryRow FitRow(const std::string& site, const std::string& file, const jobs::FitRecord& record)
{
    const fitting::FitReport& fit = record.report;
    SummaryRow row;
    row.site = site;
    row.file = file;
    row.latitude = report::ShortestText(record.site.latitudeDeg);
    row.longitude = report::ShortestText(record.site.longitudeDeg);
    row.elevation = report::ShortestText(record.site.elevationM);
    row.mode = std::string(sounding::ModeName(record.curve.mode.value_or(record.report.mode)));
    row.method = std::string(fitting::ToString(record.settings.method));
    row.rms = report::ShortestText(fit.rms);
    row.iterations = std::to_string(fit.iterations);
    row.targetReached = fit.targetReached ? "true" : "false";
    row.depthOfInvestigationM = report::ShortestText(fit.depthOfInvestigationM);
    row.status = jobs::FitSucceeded(fit) ? std::string(kStatusOk)
                                     : OneLine(std::string(fitting::ToString(fit.status)) + ": " + fit.message);
    return row;
}

SummaryRow FailedRow(const std::string& site, const std::string& file, std::string_view reason)
{
    SummaryRow row;
    row.site = site;
    row.file = file;
    row.status = OneLine(reason);
    return row;
}

std::string SummaryLine(const SummaryRow& row)
{
    const std::vector<std::string> fields = Fields(row);
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : ",") + report::CsvField(fields[i]);
    return line;
}

std::string SummaryCsv(const std::vector<SummaryRow>& rows)
{
    std::string text = std::string(kSummaryHeader) + "\n";
    for (const SummaryRow& row : rows) text += SummaryLine(row) + "\n";
    return text;
}

std::vector<SummaryRow> ParseSummaryCsv(std::string_view text, const std::string& file)
{
    std::vector<SummaryRow> rows;
    std::size_t pos = 0;
    std::size_t line = 0;
    std::vector<std::string> fields;
    bool header = true;
    while (pos < text.size()) {
        ++line;
        if (!NextRecord(text, pos, fields)) {
            throw BatchError(file + ", line " + std::to_string(line) + ": a quoted field is not closed properly");
        }
        if (header) {
            std::string got;
            for (const std::string& f : fields) got += (got.empty() ? "" : ",") + f;
            if (got != kSummaryHeader) {
                throw BatchError(file + ", line 1: not a batch summary (expected the header " +
                                 std::string(kSummaryHeader) + ")");
            }
            header = false;
            continue;
        }
        if (fields.size() != kFieldCount) {
            throw BatchError(file + ", line " + std::to_string(line) + ": " + std::to_string(fields.size()) +
                             " fields; a summary row has " + std::to_string(kFieldCount));
        }
        rows.push_back(FromFields(std::move(fields)));
    }
    if (header) throw BatchError(file + ": empty; a batch summary starts with its header");
    return rows;
}

}  // namespace mt1d::batch
