#pragma once
// Number text for the user: the three display patterns and strict conversions of typed
// text. The decimal separator is always the point, whatever the locale.

#include <stdexcept>
#include <string>
#include <string_view>

namespace mt1d {

// A typed text that is not a number. The message names the text, for example
// “abc” 不是有效的数字 ('abc' is not a valid number).
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "0.0E+00": one digit, the point, `decimals` digits, E, signed exponent of at least two
// digits (1.0E-04, 2.50E+00).
std::string FormatScientific(double value, int decimals);
inline std::string FormatListing(double value) { return FormatScientific(value, 1); }  // 0.0E+00
inline std::string FormatMisfit(double value) { return FormatScientific(value, 2); }   // 0.00E+00

// "0.0": fixed point with one decimal and no digit grouping (1000.0, 12.3).
std::string FormatFixed1(double value);

// A complete decimal number: optional sign, digits with at most one point, optional
// exponent; blanks around it are ignored. Anything else throws InputError.
float ParseFloat(std::string_view text);

// A complete decimal integer with optional sign; blanks around it are ignored.
int ParseInt(std::string_view text);

}  // namespace mt1d
