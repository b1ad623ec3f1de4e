#pragma once
// Which site names a section writes so that none overlaps another. The names stand upwards at
// their sites, each `labelWidth` wide across the profile (the text's height). From left to
// right a name is written when it lies at least `labelWidth` right of the last name written;
// the first is always written, and the last replaces the one before it when those two would
// touch, so that both ends of the profile are named. Every site keeps its tick.

#include <vector>

namespace mt1d::section {

// `xs` in order along the profile, ascending or descending (the sites' positions on the
// figure); one flag per site.
std::vector<bool> LabelledSites(const std::vector<double>& xs, double labelWidth);

}  // namespace mt1d::section
