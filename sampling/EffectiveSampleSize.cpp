#include "sampling/EffectiveSampleSize.h"

#include <unsupported/Eigen/FFT>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

namespace mt1d::sampling {

namespace {

constexpr std::size_t kMinValues = 4;

// γ̂_t for t = 0 … n−1 (divisor n) of the first n values of x, and their mean.
std::vector<double> Autocovariance(std::span<const double> x, double& mean)
{
    const std::size_t n = x.size();
    mean = 0.0;
    for (const double v : x) mean += v;
    mean /= static_cast<double>(n);
    std::size_t size = 1;
    while (size < 2 * n) size *= 2;  // zero padding: no wrap-around of the lags
    std::vector<double> padded(size, 0.0);
    for (std::size_t i = 0; i < n; ++i) padded[i] = x[i] - mean;
    Eigen::FFT<double> fft;
    std::vector<std::complex<double>> spectrum;
    fft.fwd(spectrum, padded);
    for (auto& s : spectrum) s = std::norm(s);
    std::vector<double> lagged;
    fft.inv(lagged, spectrum);
    lagged.resize(n);
    for (double& g : lagged) g /= static_cast<double>(n);
    return lagged;
}

double Combined(std::span<const std::span<const double>> chains)
{
    const std::size_t m = chains.size();
    std::size_t n = std::numeric_limits<std::size_t>::max();
    for (const auto& c : chains) n = std::min(n, c.size());
    if (m == 0 || n < kMinValues) return std::numeric_limits<double>::quiet_NaN();

    const double nd = static_cast<double>(n);
    std::vector<double> meanAcov(n, 0.0);
    std::vector<double> means(m);
    double w = 0.0;  // mean within-chain variance, divisor n − 1
    for (std::size_t j = 0; j < m; ++j) {
        const std::vector<double> acov = Autocovariance(chains[j].first(n), means[j]);
        for (std::size_t t = 0; t < n; ++t) meanAcov[t] += acov[t] / static_cast<double>(m);
        w += acov[0] * nd / (nd - 1.0) / static_cast<double>(m);
    }
    double varPlus = w * (nd - 1.0) / nd;
    if (m > 1) {
        double grand = 0.0;
        for (const double mu : means) grand += mu / static_cast<double>(m);
        double between = 0.0;
        for (const double mu : means) between += (mu - grand) * (mu - grand);
        varPlus += between / static_cast<double>(m - 1);
    }
    const double total = static_cast<double>(m) * nd;
    if (!(varPlus > 0.0)) return total;  // every value the same
    if (!(w > 0.0)) return 0.0;          // constant chains at different values

    const auto rho = [&](std::size_t t) { return 1.0 - (w - meanAcov[t]) / varPlus; };
    // Geyer's initial positive sequence of pair sums, made monotone as it goes.
    double sum = 0.0;       // Σ Γ_k taken
    double previous = 0.0;  // the last Γ_k taken
    for (std::size_t t = 0; t + 1 < n; t += 2) {
        double pair = rho(t) + rho(t + 1);
        if (!(pair > 0.0)) break;
        if (t > 0) pair = std::min(pair, previous);
        sum += pair;
        previous = pair;
    }
    const double tau = std::max(-1.0 + 2.0 * sum, 1.0 / std::log10(total));
    return total / tau;
}

}  // namespace

double EffectiveSampleSize(std::span<const double> chain)
{
    const std::span<const double> one[] = {chain};
    return Combined(one);
}

double CombinedEffectiveSampleSize(const std::vector<std::vector<double>>& chains)
{
    std::vector<std::span<const double>> spans(chains.begin(), chains.end());
    return Combined(spans);
}

}  // namespace mt1d::sampling
