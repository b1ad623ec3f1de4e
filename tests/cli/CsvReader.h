#pragma once
// Splits CSV text into records and fields: quoted fields may hold commas, doubled quotes
// and line breaks. An empty line is a record with one empty field.

#include <stdexcept>
#include <string>
#include <vector>

namespace cli_testing {

using CsvRecord = std::vector<std::string>;

inline std::vector<CsvRecord> ParseCsv(const std::string& text)
{
    std::vector<CsvRecord> records;
    CsvRecord record;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            if (!field.empty()) throw std::runtime_error("CSV: quote inside a field");
            quoted = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
        } else if (c == '\n') {
            record.push_back(field);
            records.push_back(record);
            record.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    if (quoted) throw std::runtime_error("CSV: unterminated quote");
    if (!field.empty() || !record.empty()) throw std::runtime_error("CSV: no final line break");
    return records;
}

// The records up to the first empty line, and the rest after it.
inline std::vector<std::vector<CsvRecord>> CsvTables(const std::vector<CsvRecord>& records)
{
    std::vector<std::vector<CsvRecord>> tables(1);
    for (const CsvRecord& r : records) {
        if (r.size() == 1 && r[0].empty()) {
            tables.emplace_back();
        } else {
            tables.back().push_back(r);
        }
    }
    return tables;
}

}  // namespace cli_testing
