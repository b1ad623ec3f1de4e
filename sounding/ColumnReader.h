#pragma once
// Reads a sounding from columns of text: apparent resistivity and phase (xy) per frequency.
//
//     # Cull (1985), central Australia
//     period  log10rho  log10rho_err  phase  phase_err
//     0.020   0.712     0.0434        20.50  4.50
//
// Values are separated by blanks, tabs or commas; '#' starts a comment. One header line
// names the columns from a fixed vocabulary (any case):
//     frequency (Hz) | period (s)            one of the two
//     rho (Ω·m) | log10rho                  one of the two
//     rho_err (Ω·m) | log10rho_err          optional; log10: δρa = ρa·ln 10·σ
//     phase (degrees), phase_err (degrees)  phase required
//     skip                                  a column to ignore, as often as needed
// A header may also stand in a comment line ("# period rho phase") when every word of it is
// in the vocabulary. A column list given by the user replaces the header (a header line in
// the file is then passed over) or supplies one: it is how a file whose "rho" column holds
// log10 ρa is read correctly.
//
// Refused (ReadError with file and line): no header and no column list, an unknown column
// name, a set of columns that does not make a sounding, a row with another number of values,
// text where a number belongs, no rows, more than 10,000 rows.

#include "sounding/Sounding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::sounding {

enum class Column { kFrequency, kPeriod, kRho, kLog10Rho, kRhoErr, kLog10RhoErr, kPhase, kPhaseErr, kSkip };

std::string_view ColumnName(Column column);
std::optional<Column> ParseColumnName(std::string_view name);
// "frequency, period, rho, log10rho, rho_err, log10rho_err, phase, phase_err, skip".
std::string ColumnVocabulary();

// What is wrong with a set of columns, or nothing when it makes a sounding: exactly one of
// frequency/period, one of rho/log10rho, one phase, at most one of rho_err/log10rho_err, at
// most one phase_err, no name twice (skip aside).
std::optional<std::string> ColumnSetProblem(const std::vector<Column>& columns);

// A comma-separated list as the user types it ("period,log10rho,log10rho_err,phase,phase_err").
// Throws std::invalid_argument with a message naming the unknown name or the problem.
std::vector<Column> ParseColumnList(std::string_view text);

// `columns` empty: from the file's header.
Sounding ParseColumns(std::string_view bytes, const std::string& file, const std::string& defaultName,
                      const std::vector<Column>& columns);

}  // namespace mt1d::sounding
