#include "lci/SiteParameters.h"

#include <algorithm>
#include <cmath>

namespace mt1d::lci {

SiteParameters SiteParameters::Smooth(std::vector<double> thickness)
{
    SiteParameters p;
    p.layers_ = thickness.size() + 1;
    p.thickness_ = std::move(thickness);
    return p;
}

SiteParameters SiteParameters::Layered(std::size_t layers)
{
    SiteParameters p;
    p.layered_ = true;
    p.layers_ = std::max<std::size_t>(layers, 1);
    return p;
}

earth::LayeredModel SiteParameters::Model(const double* x) const
{
    earth::LayeredModel m;
    m.resistivity.resize(layers_);
    for (std::size_t j = 0; j < layers_; ++j) m.resistivity[j] = std::pow(10.0, x[j]);
    if (!layered_) {
        m.thickness = thickness_;
        return m;
    }
    double above = 0.0;
    for (std::size_t k = 1; k < layers_; ++k) {
        const double z = std::pow(10.0, x[layers_ + k - 1]);
        m.thickness.push_back(z - above);
        above = z;
    }
    return m;
}

Eigen::VectorXd SiteParameters::Unknowns(const earth::LayeredModel& model) const
{
    Eigen::VectorXd x(static_cast<Eigen::Index>(Count()));
    for (std::size_t j = 0; j < layers_; ++j) x[static_cast<Eigen::Index>(j)] = std::log10(model.resistivity[j]);
    if (layered_) {
        double z = 0.0;
        for (std::size_t k = 1; k < layers_; ++k) {
            z += model.thickness[k - 1];
            x[static_cast<Eigen::Index>(layers_ + k - 1)] = std::log10(z);
        }
    }
    return x;
}

void SiteParameters::Legalise(double* x) const
{
    for (std::size_t j = 0; j < layers_; ++j) {
        // NaN fails both comparisons of std::clamp; send it to the lower end.
        x[j] = std::isnan(x[j]) ? kLciMinLog10Rho : std::clamp(x[j], kLciMinLog10Rho, kLciMaxLog10Rho);
    }
    if (!layered_) return;
    const double lowest = std::log10(kLciMinDepthM), deepest = std::log10(kLciMaxDepthM);
    const double step = std::log10(1.0 + kLciMinLayerFraction);
    for (std::size_t k = 1; k < layers_; ++k) {
        double& z = x[layers_ + k - 1];
        z = std::isnan(z) ? lowest : std::clamp(z, lowest, deepest);
        if (k > 1) z = std::max(z, x[layers_ + k - 2] + step);
    }
}

void SiteParameters::ChainRule(const Eigen::MatrixXd& kernel, const double* x, Eigen::MatrixXd& out) const
{
    const auto rows = kernel.rows();
    const auto l = static_cast<Eigen::Index>(layers_);
    out.resize(rows, static_cast<Eigen::Index>(Count()));
    out.leftCols(l) = kernel.leftCols(l);
    if (!layered_) return;
    std::vector<double> z(layers_, 0.0);  // z[0] = 0: the surface
    for (std::size_t k = 1; k < layers_; ++k) z[k] = std::pow(10.0, x[layers_ + k - 1]);
    for (std::size_t k = 1; k < layers_; ++k) {
        const auto col = static_cast<Eigen::Index>(layers_ + k - 1);
        const double above = z[k] - z[k - 1];  // h_{k−1}
        out.col(col) = (z[k] / above) * kernel.col(l + static_cast<Eigen::Index>(k) - 1);
        if (k + 1 < layers_) {
            const double below = z[k + 1] - z[k];  // h_k
            out.col(col) -= (z[k] / below) * kernel.col(l + static_cast<Eigen::Index>(k));
        }
    }
}

}  // namespace mt1d::lci
