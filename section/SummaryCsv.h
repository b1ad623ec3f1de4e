#pragma once
// The summary.csv of a batch output folder: one header line naming the columns, then one row
// per sounding, read with the CSV reader of io/Csv.h.

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::section {

class SurveyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One row of the summary, by column name.
struct SummaryFields {
    std::size_t line = 0;  // 1-based line of the file where the row starts
    std::map<std::string, std::string, std::less<>> fields;

    // The field of `column`; empty when the row has no such column.
    std::string_view Field(std::string_view column) const;
};

// The rows of a summary. The header must name at least the columns "site" and "status";
// every row must have as many fields as the header. Blank lines are skipped. Anything else is
// refused with SurveyError naming the file and the line.
std::vector<SummaryFields> ParseSummary(std::string_view text, const std::string& file);

}  // namespace mt1d::section
