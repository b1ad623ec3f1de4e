#include "batch/Summary.h"

#include "batch/BatchError.h"
#include "io/Csv.h"
#include "report/Formatting.h"
#include "sounding/Modes.h"
#include "batch/SiteFit.h"
#include "jobs/FitCurve.h"

#include <algorithm>

namespace mt1d::batch {

namespace {

constexpr std::size_t kFieldCount = 14;
constexpr std::size_t kFieldCountWithoutDims = 12;

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
            row.depthOfInvestigationM, row.oneDFraction, row.strikeDeg, row.status};
}

SummaryRow FromFields(std::vector<std::string> f)
{
    if (f.size() == kFieldCountWithoutDims) f.insert(f.begin() + 11, 2, std::string());
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
    row.oneDFraction = std::move(f[11]);
    row.strikeDeg = std::move(f[12]);
    row.status = std::move(f[13]);
    return row;
}

}  // namespace

SummaryRow FitRow(const std::string& site, const std::string& file, const jobs::FitRecord& record)
{
    const fitting::FitReport& fit = record.report;
    SummaryRow row;
    row.site = site;
    row.file = file;
    row.latitude = io::NumberText(record.site.latitudeDeg);
    row.longitude = io::NumberText(record.site.longitudeDeg);
    row.elevation = io::NumberText(record.site.elevationM);
    row.mode = record.curve.bothOffDiagonal ? std::string(jobs::kBothOffDiagonalName)
                                            : std::string(sounding::ModeName(record.curve.mode.value_or(record.report.mode)));
    row.method = std::string(fitting::ToString(record.settings.method));
    row.rms = io::NumberText(fit.rms);
    row.iterations = std::to_string(fit.iterations);
    row.targetReached = fit.targetReached ? "true" : "false";
    row.depthOfInvestigationM = io::NumberText(fit.depthOfInvestigationM);
    if (record.dims) {
        row.oneDFraction = io::NumberText(record.dims->oneDFraction);
        row.strikeDeg = io::NumberText(record.dims->strikeDeg);
    }
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
    return io::CsvLine(Fields(row));
}

std::string SummaryCsv(const std::vector<SummaryRow>& rows)
{
    std::string text = std::string(kSummaryHeader) + "\n";
    for (const SummaryRow& row : rows) text += SummaryLine(row) + "\n";
    return text;
}

std::vector<SummaryRow> ParseSummaryCsv(std::string_view text, const std::string& file)
{
    std::vector<io::CsvRecord> records;
    try {
        records = io::ParseCsv(text, file);
    } catch (const io::CsvError& e) {
        throw BatchError(e.what());
    }
    if (records.empty()) throw BatchError(file + ": empty; a batch summary starts with its header");
    const std::string header = io::CsvLine(records.front().fields);
    const bool withDims = header == kSummaryHeader;
    if (!withDims && header != kSummaryHeaderWithoutDims) {
        throw BatchError(file + ", line 1: not a batch summary (expected the header " + std::string(kSummaryHeader) + ")");
    }
    std::vector<SummaryRow> rows;
    for (std::size_t i = 1; i < records.size(); ++i) {
        std::vector<std::string>& fields = records[i].fields;
        const std::size_t expected = withDims ? kFieldCount : kFieldCountWithoutDims;
        if (fields.size() != expected) {
            throw BatchError(file + ", line " + std::to_string(records[i].line) + ": " + std::to_string(fields.size()) +
                             " fields; a summary row has " + std::to_string(expected));
        }
        rows.push_back(FromFields(std::move(fields)));
    }
    return rows;
}

}  // namespace mt1d::batch
