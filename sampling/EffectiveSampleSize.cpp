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

// A chain's mean and autocovariances γ̂_t, t = 0 … n−1.
struct Autocovariances {
    double mean = 0.0;
    std::vector<double> acov;
};

Autocovariances Of(std::span<const double> x)
{
    Autocovariances a;
    a.acov = Autocovariance(x, a.mean);
    return a;
}

// ESS of m chains of n values each from their autocovariances (BDA3 §11.5, Geyer's sequence).
double FromAutocovariances(const std::vector<const Autocovariances*>& chains)
{
    const std::size_t m = chains.size();
    const std::size_t n = m == 0 ? 0 : chains.front()->acov.size();
    if (m == 0 || n < kMinValues) return std::numeric_limits<double>::quiet_NaN();

    const double nd = static_cast<double>(n);
    std::vector<double> meanAcov(n, 0.0);
    double w = 0.0;  // mean within-chain variance, divisor n − 1
    for (const Autocovariances* c : chains) {
        for (std::size_t t = 0; t < n; ++t) meanAcov[t] += c->acov[t] / static_cast<double>(m);
        w += c->acov[0] * nd / (nd - 1.0) / static_cast<double>(m);
    }
    double varPlus = w * (nd - 1.0) / nd;
    if (m > 1) {
        double grand = 0.0;
        for (const Autocovariances* c : chains) grand += c->mean / static_cast<double>(m);
        double between = 0.0;
        for (const Autocovariances* c : chains) between += (c->mean - grand) * (c->mean - grand);
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
    if (chain.size() < kMinValues) return std::numeric_limits<double>::quiet_NaN();
    const Autocovariances a = Of(chain);
    return FromAutocovariances({&a});
}

double CombinedEffectiveSampleSize(const std::vector<std::vector<double>>& chains)
{
    return EffectiveSampleSizes(chains).combined;
}

ChainsEss EffectiveSampleSizes(const std::vector<std::vector<double>>& chains)
{
    ChainsEss out;
    std::size_t n = std::numeric_limits<std::size_t>::max();
    for (const auto& c : chains) n = std::min(n, c.size());
    std::vector<Autocovariances> whole(chains.size());
    std::vector<Autocovariances> cut(chains.size());
    std::vector<const Autocovariances*> common;
    for (std::size_t j = 0; j < chains.size(); ++j) {
        if (chains[j].size() >= kMinValues) {
            whole[j] = Of(chains[j]);
            out.chains.push_back(FromAutocovariances({&whole[j]}));
        } else {
            out.chains.push_back(std::numeric_limits<double>::quiet_NaN());
        }
        if (n < kMinValues) continue;
        if (chains[j].size() == n) {
            common.push_back(&whole[j]);
        } else {
            cut[j] = Of(std::span<const double>(chains[j]).first(n));
            common.push_back(&cut[j]);
        }
    }
    out.combined = n < kMinValues || chains.empty() ? std::numeric_limits<double>::quiet_NaN()
                                                    : FromAutocovariances(common);
    return out;
}

}  // namespace mt1d::sampling
