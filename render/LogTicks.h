#pragma once
// Which values a logarithmic (base 10) axis labels, as a pure function of its range and its
// length on screen, so that the choice can be checked without drawing.
//
// The labels come from the densest of these sets that leaves room between neighbouring labels:
// every integer mantissa 1…9 in each decade, then {1, 2, 3, 5}, {1, 2, 5}, {1, 3}, the decades,
// then every 2nd, 3rd, 5th, 10th, 20th … decade. A set is taken only when it puts at least two
// labels on the axis; a short range that no set labels twice gets mantissas in steps of 0.1,
// and at worst its two ends. Labels are never repeated: each carries as many digits as its
// mantissa has. Whenever a set of whole decades or finer is chosen, every decade inside the
// range carries a label.
//
// Label text: plain decimals from 0.01 to 9000 ("0.05", "200"), else mantissa and power of ten
// as "2e-5" or "1e6", which the plot draws as 2·10⁻⁵ and 10⁶.

#include <string>
#include <vector>

namespace mt1d::render {

struct LogTick {
    double value = 0.0;
    std::string label;
};

struct LogTickRoom {
    double lengthPx = 400.0;  // the axis on screen
    bool horizontal = true;   // labels side by side (width counts) or stacked (height counts)
    double charPx = 7.0;      // width of one character of the label font
    double lineHeightPx = 14.0;
    double gapPx = 10.0;      // free space between two labels at least
};

struct LogTickChoice {
    std::vector<LogTick> labelled;  // ascending
    std::vector<double> unlabelled; // minor ticks: the other multiples 1…9 or the skipped decades
    int decadeStep = 0;             // 1, 2, 3, … when whole decades are labelled; 0 for finer sets
};

// `lower` < `upper`, both positive and finite; anything else gives an empty choice.
LogTickChoice ChooseLogTicks(double lower, double upper, const LogTickRoom& room);

// The room two labels need between their centres.
double LabelSpacingNeeded(const std::string& a, const std::string& b, const LogTickRoom& room);

}  // namespace mt1d::render
