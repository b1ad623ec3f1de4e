#include "sounding/ColumnReader.h"

#include "sounding/Limits.h"
#include "sounding/Normalize.h"
#include "sounding/ReadError.h"
#include "sounding/TextScan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace mt1d::sounding {
namespace {

constexpr std::array<Column, 9> kColumns = {Column::kFrequency, Column::kPeriod,      Column::kRho,
                                            Column::kLog10Rho,  Column::kRhoErr,      Column::kLog10RhoErr,
                                            Column::kPhase,     Column::kPhaseErr,    Column::kSkip};

std::size_t CountOf(const std::vector<Column>& columns, Column c)
{
    return static_cast<std::size_t>(std::count(columns.begin(), columns.end(), c));
}

std::string NameList(const std::vector<Column>& columns)
{
    std::string s;
    for (const Column c : columns) {
        if (!s.empty()) s += ", ";
        s += ColumnName(c);
    }
    return s;
}

// The part of a line before a '#' comment.
std::string_view StripComment(std::string_view line)
{
    const auto hash = line.find('#');
    return hash == std::string_view::npos ? line : line.substr(0, hash);
}

// The columns a line names when every token is in the vocabulary.
std::optional<std::vector<Column>> AsHeader(std::string_view line)
{
    std::vector<Column> columns;
    TokenCursor tokens(line);
    std::string_view token;
    while (tokens.Next(token)) {
        const auto c = ParseColumnName(token);
        if (!c) return std::nullopt;
        columns.push_back(*c);
    }
    if (columns.empty()) return std::nullopt;
    return columns;
}

bool StartsWithNumber(std::string_view line)
{
    TokenCursor tokens(line);
    std::string_view token;
    return tokens.Next(token) && ParseNumber(token).has_value();
}

}  // namespace

std::string_view ColumnName(Column column)
{
    switch (column) {
    case Column::kFrequency: return "frequency";
    case Column::kPeriod: return "period";
    case Column::kRho: return "rho";
    case Column::kLog10Rho: return "log10rho";
    case Column::kRhoErr: return "rho_err";
    case Column::kLog10RhoErr: return "log10rho_err";
    case Column::kPhase: return "phase";
    case Column::kPhaseErr: return "phase_err";
    case Column::kSkip: return "skip";
    }
    return "skip";
}

std::optional<Column> ParseColumnName(std::string_view name)
{
    for (const Column c : kColumns)
        if (EqualsIgnoreCase(Trim(name), ColumnName(c))) return c;
    return std::nullopt;
}

std::string ColumnVocabulary()
{
    return NameList(std::vector<Column>(kColumns.begin(), kColumns.end()));
}

std::optional<std::string> ColumnSetProblem(const std::vector<Column>& columns)
{
    for (const Column c : kColumns)
        if (c != Column::kSkip && CountOf(columns, c) > 1)
            return "column '" + std::string(ColumnName(c)) + "' named twice";
    if (CountOf(columns, Column::kFrequency) + CountOf(columns, Column::kPeriod) != 1)
        return std::string("expected exactly one of the columns frequency and period");
    if (CountOf(columns, Column::kRho) + CountOf(columns, Column::kLog10Rho) != 1)
        return std::string("expected exactly one of the columns rho and log10rho");
    if (CountOf(columns, Column::kPhase) != 1) return std::string("expected a phase column");
    if (CountOf(columns, Column::kRhoErr) + CountOf(columns, Column::kLog10RhoErr) > 1)
        return std::string("expected at most one of the columns rho_err and log10rho_err");
    return std::nullopt;
}

std::vector<Column> ParseColumnList(std::string_view text)
{
    std::vector<Column> columns;
    TokenCursor tokens(text);
    std::string_view token;
    while (tokens.Next(token)) {
        const auto c = ParseColumnName(token);
        if (!c)
            throw std::invalid_argument("unknown column '" + ToUtf8(token) + "'; expected names from: " +
                                        ColumnVocabulary());
        columns.push_back(*c);
    }
    if (columns.empty()) throw std::invalid_argument("the column list is empty; expected names from: " + ColumnVocabulary());
    if (const auto problem = ColumnSetProblem(columns)) throw std::invalid_argument("column list: " + *problem);
    return columns;
}

Sounding ParseColumns(std::string_view bytes, const std::string& file, const std::string& defaultName,
                      const std::vector<Column>& given)
{
    Sounding s;
    s.sourceName = file;
    s.format = SourceFormat::kColumns;
    s.kind = DataKind::kRhoPhase;
    s.site.name = defaultName;

    std::vector<Column> columns = given;
    int headerLine = 0;
    std::string_view lastComment;
    int lastCommentLine = 0;
    LineCursor lines(bytes);
    std::string_view line;
    bool started = false;
    std::vector<std::string_view> fields;

    const auto fixColumns = [&](int line) {
        if (const auto problem = ColumnSetProblem(columns)) throw ReadError(file, line, ReadProblem::kMissingPart, *problem);
    };

    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty()) continue;
        if (t.front() == '#') {
            if (!started) {
                lastComment = Trim(t.substr(1));
                lastCommentLine = lines.LineNumber();
            }
            continue;
        }
        const std::string_view content = Trim(StripComment(t));
        if (content.empty()) continue;
        if (!started) {
            started = true;
            if (!StartsWithNumber(content)) {
                // A header line.
                if (!given.empty()) {
                    s.notes.push_back("the file's header line replaced by the given column list");
                    continue;
                }
                std::vector<std::string_view> unknown;
                TokenCursor tokens(content);
                std::string_view token;
                while (tokens.Next(token)) {
                    if (const auto c = ParseColumnName(token)) columns.push_back(*c);
                    else unknown.push_back(token);
                }
                if (columns.empty())
                    throw ReadError(file, lines.LineNumber(), ReadProblem::kNotSounding,
                                    "not a sounding file: expected a header line naming the columns (from: " +
                                        ColumnVocabulary() + ") or rows of numbers, found '" +
                                        ToUtf8(content.substr(0, 40)) + "'");
                if (!unknown.empty())
                    throw ReadError(file, lines.LineNumber(), ReadProblem::kMissingPart,
                                    "unknown column '" + ToUtf8(unknown.front()) + "'; expected names from: " +
                                        ColumnVocabulary() + " (or give the columns)");
                headerLine = lines.LineNumber();
                fixColumns(headerLine);
                continue;
            }
            if (columns.empty()) {
                if (const auto header = lastComment.empty() ? std::nullopt : AsHeader(lastComment)) {
                    columns = *header;
                    headerLine = lastCommentLine;
                    fixColumns(headerLine);
                } else {
                    throw ReadError(file, lines.LineNumber(), ReadProblem::kMissingPart,
                                    "expected a header line naming the columns (from: " + ColumnVocabulary() +
                                        ") before the first row, or a column list");
                }
            }
        }
        if (columns.empty()) continue;  // not reached: a header or a list is in place by now
        if (s.rhoPhase.size() >= kMaxFrequencies)
            throw ReadError(file, lines.LineNumber(), ReadProblem::kTooLarge,
                            "more than " + std::to_string(kMaxFrequencies) + " rows; mt1d reads up to " +
                                std::to_string(kMaxFrequencies) + " frequencies");
        fields.clear();
        std::size_t found = 0;
        TokenCursor tokens(content);
        std::string_view token;
        while (tokens.Next(token)) {
            if (found < columns.size()) fields.push_back(token);
            ++found;
        }
        if (found != columns.size())
            throw ReadError(file, lines.LineNumber(), ReadProblem::kWrongCount,
                            "expected " + std::to_string(columns.size()) + " values (" + NameList(columns) +
                                "), found " + std::to_string(found));
        RhoPhaseRow row;
        RhoPhaseValue& v = row[Mode::kXy];
        std::optional<double> rhoErr;
        bool rhoErrIsLog = false;
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const auto x = ParseNumber(fields[k]);
            if (!x)
                throw ReadError(file, lines.LineNumber(), ReadProblem::kNotANumber,
                                "column " + std::to_string(k + 1) + " (" + std::string(ColumnName(columns[k])) +
                                    "): expected a number, found '" + ToUtf8(fields[k]) + "'");
            const double value = *x;
            switch (columns[k]) {
            case Column::kFrequency: row.frequencyHz = value; break;
            case Column::kPeriod: row.frequencyHz = value != 0.0 ? 1.0 / value : 0.0; break;
            case Column::kRho: v.rhoOhmM = value; break;
            case Column::kLog10Rho: v.rhoOhmM = std::pow(10.0, value); break;
            case Column::kRhoErr: rhoErr = value; break;
            case Column::kLog10RhoErr:
                rhoErr = value;
                rhoErrIsLog = true;
                break;
            case Column::kPhase: v.phaseDeg = value; break;
            case Column::kPhaseErr:
                if (std::isfinite(value) && value > 0.0) v.phaseErrDeg = value;
                break;
            case Column::kSkip: break;
            }
        }
        if (rhoErr && std::isfinite(*rhoErr) && *rhoErr > 0.0 && v.rhoOhmM)
            v.rhoErrOhmM = rhoErrIsLog ? *v.rhoOhmM * std::numbers::ln10 * *rhoErr : *rhoErr;
        s.rhoPhase.push_back(row);
    }
    if (s.rhoPhase.empty()) throw ReadError(file, 0, ReadProblem::kMissingPart, "expected rows of numbers; the file holds none");
    if (std::find(columns.begin(), columns.end(), Column::kLog10RhoErr) != columns.end())
        s.notes.push_back("log10rho_err read as the standard error of log10 ρa (δρa = ρa·ln 10·σ)");
    NormalizeSounding(s);
    return s;
}

}  // namespace mt1d::sounding
