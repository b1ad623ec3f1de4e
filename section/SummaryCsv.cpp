#include "section/SummaryCsv.h"

namespace mt1d::section {

std::string_view SummaryRow::Field(std::string_view column) const
{
    const auto it = fields.find(column);
    return it == fields.end() ? std::string_view{} : std::string_view(it->second);
}

std::vector<std::vector<std::string>> SplitCsv(std::string_view text, const std::string& file,
                                               std::vector<std::size_t>* recordLines)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    std::size_t line = 1;
    std::size_t recordLine = 1;
    bool quoted = false;      // inside a quoted field
    bool afterQuote = false;  // a quoted field just closed: only a separator may follow
    bool fieldStarted = false;
    const auto endRecord = [&] {
        record.push_back(std::move(field));
        field.clear();
        // A line with nothing on it is no record.
        if (!(record.size() == 1 && record.front().empty() && !fieldStarted)) {
            records.push_back(std::move(record));
            if (recordLines) recordLines->push_back(recordLine);
        }
        record.clear();
        fieldStarted = false;
        afterQuote = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
            fieldStarted = true;
            afterQuote = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRecord();
            ++line;
            recordLine = line;
        } else if (afterQuote) {
            throw SurveyError(file + ", line " + std::to_string(line) + ": text after a closing quote");
        } else if (c == '"' && field.empty()) {
            quoted = true;
            fieldStarted = true;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) throw SurveyError(file + ", line " + std::to_string(recordLine) + ": a quoted field is never closed");
    if (fieldStarted || !field.empty() || !record.empty()) endRecord();
    return records;
}

std::vector<SummaryRow> ParseSummary(std::string_view text, const std::string& file)
{
    std::vector<std::size_t> lines;
    const auto records = SplitCsv(text, file, &lines);
    if (records.empty()) throw SurveyError(file + ": empty, expected a header line naming the columns");
    const std::vector<std::string>& header = records.front();
    for (const char* required : {"site", "status"}) {
        bool found = false;
        for (const auto& name : header) found = found || name == required;
        if (!found) {
            throw SurveyError(file + ", line 1: no column \"" + required +
                              "\"; this is not the summary of an mt1d batch");
        }
    }
    std::vector<SummaryRow> rows;
    for (std::size_t r = 1; r < records.size(); ++r) {
        if (records[r].size() != header.size()) {
            throw SurveyError(file + ", line " + std::to_string(lines[r]) + ": " + std::to_string(records[r].size()) +
                              " fields, the header names " + std::to_string(header.size()));
        }
        SummaryRow row;
        row.line = lines[r];
        for (std::size_t c = 0; c < header.size(); ++c) row.fields.emplace(header[c], records[r][c]);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace mt1d::section
