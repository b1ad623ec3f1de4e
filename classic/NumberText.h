#pragma once
// Number text for the user: the three display patterns and strict conversions of typed
// text. The decimal separator is always the point, whatever the locale.

#include "io/Excerpt.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mt1d {

// Input that cannot be used: a text that is not a number, or a refusal of a command. The
// message says what is wrong and quotes the text as an Excerpt, for example
// “abc” 不是有效的数字 ('abc' is not a valid number).
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using io::Excerpt;
using io::kExcerptLength;

// "0.0E+00": one digit, the point, `decimals` digits, E, signed exponent of at least two
// digits (1.0E-04, 2.50E+00).
std::string FormatScientific(double value, int decimals);
inline std::string FormatListing(double value) { return FormatScientific(value, 1); }  // 0.0E+00
inline std::string FormatMisfit(double value) { return FormatScientific(value, 2); }   // 0.00E+00

// "0.0": fixed point with one decimal and no digit grouping (1000.0, 12.3).
std::string FormatFixed1(double value);

// The shortest scientific text of a float that reads back as it, with a bare exponent:
// 1e-4, 1e8, 2.5e3. For limits named in messages and help texts.
std::string FormatLimit(float value);

// A complete decimal number: optional sign, digits with at most one point, optional
// exponent; blanks around it are ignored. The result is the float nearest the number, so
// 3.4028235e+38 gives the largest float. Anything else throws InputError: a text that is no
// such number ("not a valid number"), and a number no float can hold, that is one that would
// round to infinity or a non-zero one that would round to zero ("out of range").
float ParseFloat(std::string_view text);

// A complete decimal integer with optional sign; blanks around it are ignored. A text that is
// no such integer, or one outside the range of int, throws InputError saying which.
int ParseInt(std::string_view text);

}  // namespace mt1d
