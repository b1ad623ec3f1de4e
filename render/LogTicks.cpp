#include "render/LogTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace mt1d::render {

namespace {

// A value counts as inside the range when it misses by less than this relative amount: the
// decade 10⁻³ must not drop out because log10(0.001) is −2.9999999999999996.
constexpr double kRangeTolerance = 1e-9;

// m·10^k as label text; `decimals` is the number of digits of m after its point (0 or 1).
std::string LabelOf(double mantissa, int exponent, int decimals)
{
    char text[48];
    if (exponent >= -3 && exponent <= 3) {
        const int places = std::max(0, decimals - exponent);
        std::snprintf(text, sizeof text, "%.*f", places, mantissa * std::pow(10.0, exponent));
    } else {
        std::snprintf(text, sizeof text, "%.*fe%d", decimals, mantissa, exponent);
    }
    return text;
}

// Visible characters of a label once the plot writes its power of ten (2e-5 → 2·10⁻⁵).
double ShownLength(const std::string& label)
{
    const auto e = label.find('e');
    if (e == std::string::npos) return static_cast<double>(label.size());
    const bool one = label.compare(0, e, "1") == 0;
    // "10" instead of "1", or "·10" after the mantissa; the exponent is drawn smaller.
    return static_cast<double>(e) + (one ? 1.0 : 3.0) + 0.7 * static_cast<double>(label.size() - e - 1);
}

struct Candidate {
    std::vector<double> mantissas;  // within a decade, for mantissa sets
    int decimals = 0;
    int decadeStep = 0;             // > 0: every decadeStep-th decade
};

LogTickChoice Build(const Candidate& c, double lower, double upper)
{
    LogTickChoice choice;
    choice.decadeStep = c.decadeStep;
    const double lo = lower * (1.0 - kRangeTolerance), hi = upper * (1.0 + kRangeTolerance);
    const int first = static_cast<int>(std::floor(std::log10(lower))) - 1;
    const int last = static_cast<int>(std::ceil(std::log10(upper))) + 1;
    for (int k = first; k <= last; ++k) {
        const double decade = std::pow(10.0, k);
        if (c.decadeStep > 0) {
            if (c.decadeStep == 1) {
                for (int m = 2; m <= 9; ++m) {
                    if (m * decade >= lo && m * decade <= hi) choice.unlabelled.push_back(m * decade);
                }
            }
            if (decade < lo || decade > hi) continue;
            // Multiples of the step from zero, so that panning keeps the same decades.
            if (k % c.decadeStep == 0) {
                choice.labelled.push_back({decade, LabelOf(1.0, k, 0)});
            } else {
                choice.unlabelled.push_back(decade);
            }
            continue;
        }
        for (double m : c.mantissas) {
            const double v = m * decade;
            if (v >= lo && v <= hi) choice.labelled.push_back({v, LabelOf(m, k, c.decimals)});
        }
        for (int m = 1; m <= 9; ++m) {
            const double v = m * decade;
            if (v < lo || v > hi) continue;
            const bool labelled = std::any_of(c.mantissas.begin(), c.mantissas.end(),
                                              [m](double x) { return std::abs(x - m) < 1e-9; });
            if (!labelled) choice.unlabelled.push_back(v);
        }
    }
    std::sort(choice.unlabelled.begin(), choice.unlabelled.end());
    return choice;
}

// The smallest room between neighbouring labels over the room they need (≥ 1: they fit).
double Fit(const LogTickChoice& choice, double lower, double upper, const LogTickRoom& room)
{
    const double pxPerDecade = room.lengthPx / std::log10(upper / lower);
    double worst = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < choice.labelled.size(); ++i) {
        const auto& a = choice.labelled[i - 1];
        const auto& b = choice.labelled[i];
        const double have = std::log10(b.value / a.value) * pxPerDecade;
        worst = std::min(worst, have / LabelSpacingNeeded(a.label, b.label, room));
    }
    return worst;
}

}  // namespace

double LabelSpacingNeeded(const std::string& a, const std::string& b, const LogTickRoom& room)
{
    if (!room.horizontal) return room.lineHeightPx + room.gapPx;
    return 0.5 * (ShownLength(a) + ShownLength(b)) * room.charPx + room.gapPx;
}

LogTickChoice ChooseLogTicks(double lower, double upper, const LogTickRoom& room)
{
    if (!(lower > 0.0) || !(upper > lower) || !std::isfinite(upper) || !(room.lengthPx > 0.0)) return {};
    std::vector<Candidate> candidates{
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 0}, {{1, 2, 3, 5}, 0, 0}, {{1, 2, 5}, 0, 0}, {{1, 3}, 0, 0},
        {{}, 0, 1}, {{}, 0, 2}, {{}, 0, 3}, {{}, 0, 5}};
    const double decades = std::log10(upper / lower);
    for (int step = 10; step <= 2 * decades + 10; step *= 2) candidates.push_back({{}, 0, step});

    for (const Candidate& c : candidates) {
        LogTickChoice choice = Build(c, lower, upper);
        if (choice.labelled.size() >= 2 && Fit(choice, lower, upper, room) >= 1.0) return choice;
    }

    // No set fits twice (a short axis over less than a decade): of the mantissas 1…9, take
    // those that fit beside the ones taken already, decades first, then 5, 2, 3, and the rest.
    const LogTickChoice all = Build(candidates.front(), lower, upper);
    const double pxPerDecade = room.lengthPx / std::log10(upper / lower);
    LogTickChoice picked;
    for (int wanted : {1, 5, 2, 3, 4, 6, 7, 8, 9}) {
        for (const LogTick& tick : all.labelled) {
            const double mantissa = tick.value / std::pow(10.0, std::floor(std::log10(tick.value) + 1e-9));
            if (std::abs(mantissa - wanted) > 1e-6) continue;
            const bool fits = std::all_of(picked.labelled.begin(), picked.labelled.end(), [&](const LogTick& other) {
                return std::abs(std::log10(tick.value / other.value)) * pxPerDecade >= LabelSpacingNeeded(tick.label, other.label, room);
            });
            if (fits) picked.labelled.push_back(tick);
        }
    }
    if (picked.labelled.size() >= 2) {
        std::sort(picked.labelled.begin(), picked.labelled.end(), [](const LogTick& a, const LogTick& b) { return a.value < b.value; });
        for (const LogTick& tick : all.labelled) {
            const bool shown = std::any_of(picked.labelled.begin(), picked.labelled.end(), [&](const LogTick& t) { return t.value == tick.value; });
            if (!shown) picked.unlabelled.push_back(tick.value);
        }
        return picked;
    }

    // A short range that no set labels twice: mantissas in steps of 0.1, thinned out until
    // they fit.
    Candidate fine{{}, 1, 0};
    for (int i = 10; i < 100; ++i) fine.mantissas.push_back(i / 10.0);
    LogTickChoice fineAll = Build(fine, lower, upper);
    if (fineAll.labelled.size() >= 2) {
        for (std::size_t every = 1; every <= fineAll.labelled.size(); ++every) {
            LogTickChoice thinned;
            for (std::size_t i = 0; i < fineAll.labelled.size(); ++i) {
                (i % every == 0 ? thinned.labelled.push_back(fineAll.labelled[i]) : thinned.unlabelled.push_back(fineAll.labelled[i].value));
            }
            if (thinned.labelled.size() >= 2 && (Fit(thinned, lower, upper, room) >= 1.0 || thinned.labelled.size() == 2)) {
                return thinned;
            }
        }
    }
    // Both ends, with as many digits as it takes to tell them apart.
    for (int digits = 2; digits <= 17; ++digits) {
        char a[48], b[48];
        std::snprintf(a, sizeof a, "%.*g", digits, lower);
        std::snprintf(b, sizeof b, "%.*g", digits, upper);
        if (std::string(a) != b) return {{{lower, a}, {upper, b}}, {}, 0};
    }
    return {};
}

}  // namespace mt1d::render
