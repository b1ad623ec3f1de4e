#pragma once
// The lexical layer shared by the readers: lines with any line ending, blank- or
// comma-separated tokens, numbers in the free formats that sounding files use, and text
// that may be UTF-8 or Latin-1.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mt1d::sounding {

// Walks the lines of a text. A line ends at LF, CRLF or a lone CR; the terminator is not
// part of the line. Line numbers count from firstLine.
class LineCursor {
public:
    explicit LineCursor(std::string_view text, int firstLine = 1);

    // The next line, or false at the end of the text.
    bool Next(std::string_view& line);
    // The number of the line Next returned last.
    int LineNumber() const { return number_; }
    // Where the line after the one Next returned last begins, as an offset into the text.
    std::size_t Offset() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_;
};

// Walks the tokens of one line: runs of characters between blanks (space, tab, form feed,
// vertical tab) and commas.
class TokenCursor {
public:
    explicit TokenCursor(std::string_view line) : line_(line) {}
    bool Next(std::string_view& token);
    std::string_view Rest() const { return line_.substr(pos_); }

private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

bool IsBlank(char c);
std::string_view Trim(std::string_view text);
std::string ToUpper(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

// A whole token as a number: optional sign (a leading '+' included), digits with an optional
// point, an optional exponent with E, e, D or d and any number of digits (Fortran writes
// 1.0D+02, Windows printf 1.000000e+032). "nan" and "inf" spellings parse to non-finite
// values. Anything else, including trailing characters, gives nothing.
std::optional<double> ParseNumber(std::string_view token);
// A whole token as a non-negative integer that fits in an int.
std::optional<int> ParseCount(std::string_view token);

// What a token in a block of numbers is: a number (perhaps non-finite), a number that came
// out wrong (Fortran's "******" on overflow, "1.#QNAN", "1.2.3": a missing value), or a word,
// which means the file's structure is broken there (a marker that lost its '>').
enum class TokenKind { kNumber, kMalformedNumber, kWord };
TokenKind ClassifyToken(std::string_view token, double& value);

// Text from a header: kept as it is when it is valid UTF-8, otherwise read as Latin-1 and
// converted, so that what the program prints is always valid UTF-8.
std::string ToUtf8(std::string_view text);

// A number for messages: up to `significant` significant digits, no trailing zeros.
std::string FormatNumber(double value, int significant = 6);

}  // namespace mt1d::sounding
