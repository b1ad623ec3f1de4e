#include "dims/OneDMask.h"

#include "dims/Wording.h"

#include <algorithm>
#include <cmath>

namespace mt1d::dims {
namespace {

// Frequencies written by two programs agree to about 7 digits.
constexpr double kSameFrequency = 1e-6;

bool Same(double a, double b)
{
    return std::abs(a - b) <= kSameFrequency * std::max(std::abs(a), std::abs(b));
}

// The dims row of the curve's row i: the same index when the frequencies agree (both come from
// one sounding in one order), else the first row at that frequency.
const DimsRow* Match(const DimsResult& dims, std::size_t i, double frequencyHz)
{
    if (i < dims.rows.size() && dims.rows[i].frequencyHz && Same(*dims.rows[i].frequencyHz, frequencyHz))
        return &dims.rows[i];
    for (const auto& row : dims.rows)
        if (row.frequencyHz && Same(*row.frequencyHz, frequencyHz)) return &row;
    return nullptr;
}

}  // namespace

std::size_t ApplyOneDMask(sounding::Curve& curve, const DimsResult& dims)
{
    std::size_t changed = 0;
    for (std::size_t i = 0; i < curve.rows.size(); ++i) {
        auto& row = curve.rows[i];
        if (!row.usable) continue;
        const DimsRow* d = Match(dims, i, row.frequencyHz);
        if (d && d->oneD && *d->oneD) continue;
        row.usable = false;
        row.reason = !d         ? "not 1-D: no impedance tensor at this frequency"
                     : d->oneD ? "not 1-D: " + d->notOneD
                               : "not 1-D: no phase tensor (" + d->note + ")";
        ++changed;
    }
    if (changed > 0) {
        const auto& o = dims.options;
        curve.notes.push_back(std::to_string(changed) + " of " + std::to_string(curve.rows.size()) +
                              " rows not 1-D by the phase tensor (|β| ≤ " + Significant(o.maxSkewDeg, 6) +
                              "°, ellipticity ≤ " + Significant(o.maxEllipticity, 6) +
                              (o.withinErrors ? ", within " + Significant(o.errorMultiple, 6) +
                                                    " standard errors"
                                              : std::string()) +
                              ") made unusable");
    }
    return changed;
}

}  // namespace mt1d::dims
