#pragma once
// CSV as this program writes and reads it (summary.csv, sites.csv, result tables): fields
// separated by commas, quoted with " when they hold a comma, a quote (doubled) or a line
// break; records end at a line break (\n or \r\n). One writer and one reader for every file.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::io {

// A CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

// The fields as one record, without the line break.
std::string CsvLine(const std::vector<std::string>& fields);

// Text that is not CSV: what() names the file and the line.
class CsvError : public std::runtime_error {
public:
    CsvError(std::string file, std::size_t line, std::string problem);
    const std::string& File() const { return file_; }
    std::size_t Line() const { return line_; }
    const std::string& Problem() const { return problem_; }

private:
    std::string file_;
    std::size_t line_;
    std::string problem_;
};

struct CsvRecord {
    std::size_t line = 0;  // 1-based line of the file where the record starts
    std::vector<std::string> fields;
};

// The records of `text`; a quoted field may span lines, and a line with nothing on it is no
// record. Throws CsvError naming `file` and the line for a quote that is never closed or text
// after a closing quote.
std::vector<CsvRecord> ParseCsv(std::string_view text, const std::string& file);

}  // namespace mt1d::io
