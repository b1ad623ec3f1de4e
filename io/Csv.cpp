#include "io/Csv.h"

namespace mt1d::io {

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : ",") + CsvField(fields[i]);
    return line;
}

CsvError::CsvError(std::string file, std::size_t line, std::string problem)
    : std::runtime_error(file + ", line " + std::to_string(line) + ": " + problem),
      file_(std::move(file)),
      line_(line),
      problem_(std::move(problem))
{
}

std::vector<CsvRecord> ParseCsv(std::string_view text, const std::string& file)
{
    std::vector<CsvRecord> records;
    CsvRecord record;
    std::string field;
    std::size_t line = 1;
    record.line = 1;
    bool quoted = false;      // inside a quoted field
    bool afterQuote = false;  // a quoted field just closed: only a separator may follow
    bool fieldStarted = false;
    const auto endRecord = [&] {
        record.fields.push_back(std::move(field));
        field.clear();
        // A line with nothing on it is no record.
        if (!(record.fields.size() == 1 && record.fields.front().empty() && !fieldStarted)) {
            records.push_back(std::move(record));
        }
        record = CsvRecord{};
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
            record.fields.push_back(std::move(field));
            field.clear();
            fieldStarted = true;
            afterQuote = false;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRecord();
            ++line;
            record.line = line;
        } else if (afterQuote) {
            throw CsvError(file, line, "text after a closing quote");
        } else if (c == '"' && field.empty()) {
            quoted = true;
            fieldStarted = true;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) throw CsvError(file, record.line, "a quoted field is never closed");
    if (fieldStarted || !field.empty() || !record.fields.empty()) endRecord();
    return records;
}

}  // namespace mt1d::io
