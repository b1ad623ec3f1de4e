#include "section/SummaryCsv.h"

#include "io/Csv.h"

namespace mt1d::section {

std::string_view SummaryFields::Field(std::string_view column) const
{
    const auto it = fields.find(column);
    return it == fields.end() ? std::string_view{} : std::string_view(it->second);
}

std::vector<SummaryFields> ParseSummary(std::string_view text, const std::string& file)
{
    std::vector<io::CsvRecord> records;
    try {
        records = io::ParseCsv(text, file);
    } catch (const io::CsvError& e) {
        throw SurveyError(e.what());
    }
    if (records.empty()) throw SurveyError(file + ": empty, expected a header line naming the columns");
    const std::vector<std::string>& header = records.front().fields;
    for (const char* required : {"site", "status"}) {
        bool found = false;
        for (const auto& name : header) found = found || name == required;
        if (!found) {
            throw SurveyError(file + ", line 1: no column \"" + required +
                              "\"; this is not the summary of an mt1d batch");
        }
    }
    std::vector<SummaryFields> rows;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const std::vector<std::string>& fields = records[r].fields;
        if (fields.size() != header.size()) {
            throw SurveyError(file + ", line " + std::to_string(records[r].line) + ": " + std::to_string(fields.size()) +
                              " fields, the header names " + std::to_string(header.size()));
        }
        SummaryFields row;
        row.line = records[r].line;
        for (std::size_t c = 0; c < header.size(); ++c) row.fields.emplace(header[c], fields[c]);
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace mt1d::section
