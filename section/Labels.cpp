#include "section/Labels.h"

#include <cmath>

namespace mt1d::section {

std::vector<bool> LabelledSites(const std::vector<double>& xs, double labelWidth)
{
    const std::size_t n = xs.size();
    std::vector<bool> shown(n, false);
    if (n == 0) return shown;
    shown[0] = true;
    std::size_t last = 0;
    for (std::size_t i = 1; i < n; ++i) {
        if (std::abs(xs[i] - xs[last]) >= labelWidth) {
            shown[i] = true;
            last = i;
        }
    }
    if (!shown[n - 1]) {
        // The last site named in place of the last name written, unless that is the first.
        if (last > 0 && std::abs(xs[n - 1] - xs[last]) < labelWidth) shown[last] = false;
        std::size_t before = 0;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (shown[i]) before = i;
        }
        if (std::abs(xs[n - 1] - xs[before]) >= labelWidth) shown[n - 1] = true;
    }
    return shown;
}

}  // namespace mt1d::section
