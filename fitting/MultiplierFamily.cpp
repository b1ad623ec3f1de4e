#include "fitting/MultiplierFamily.h"

#include <algorithm>
#include <cmath>

namespace mt1d::fitting {

namespace {

// A leading diagonal entry of R_A below this fraction of H's size means the data do not see
// that unpenalised direction: the reduction would divide by rounding.
constexpr double kBlindDirection = 1e-10;

}  // namespace

MultiplierFamily::MultiplierFamily(const Eigen::MatrixXd& roughness)
{
    n_ = roughness.cols();
    r_ = roughness.rows();
    k_ = n_ - r_;
    if (r_ == 0 || k_ <= 0) return;
    l_ = Eigen::MatrixXd::Zero(n_, n_);
    for (Eigen::Index i = 0; i < k_; ++i) l_(i, i) = 1.0;
    l_.bottomRows(r_) = roughness;
    for (Eigen::Index i = 0; i < n_; ++i) {
        if (!(std::abs(l_(i, i)) > 0.0)) return;
        for (Eigen::Index c = 0; c < n_; ++c) {
            if (l_(i, c) == 0.0) continue;
            if (c > i) return;  // not lower triangular
            band_ = std::max(band_, i - c);
        }
    }
    banded_ = true;
}

bool MultiplierFamily::Prepare(const Eigen::Ref<const Eigen::MatrixXd>& j, const Eigen::Ref<const Eigen::VectorXd>& d)
{
    if (!banded_ || j.cols() != n_) return false;
    const Eigen::Index rows = j.rows();
    // H L = J, column by column from the last: H_c = (J_c − Σ_{i>c} H_i L(i, c)) / L(c, c).
    h_.resize(rows, n_);
    for (Eigen::Index c = n_ - 1; c >= 0; --c) {
        h_.col(c) = j.col(c);
        for (Eigen::Index i = c + 1; i <= std::min(c + band_, n_ - 1); ++i) {
            if (l_(i, c) != 0.0) h_.col(c) -= l_(i, c) * h_.col(i);
        }
        h_.col(c) /= l_(c, c);
    }
    const Eigen::HouseholderQR<Eigen::MatrixXd> qr(h_.leftCols(k_));
    ra_ = qr.matrixQR().topRows(k_).triangularView<Eigen::Upper>();
    const double scale = h_.norm();
    for (Eigen::Index i = 0; i < k_; ++i) {
        if (!(std::abs(ra_(i, i)) > kBlindDirection * scale)) return false;
    }
    qa_ = qr.householderQ() * Eigen::MatrixXd::Identity(rows, k_);
    x_ = h_.rightCols(r_);
    x_ -= qa_ * (qa_.transpose() * x_);
    d_ = d;

    dataSpace_ = rows < r_;
    Eigen::MatrixXd g;
    if (dataSpace_) {
        g.setZero(rows, rows);
        g.selfadjointView<Eigen::Lower>().rankUpdate(x_);
    } else {
        g.setZero(r_, r_);
        g.selfadjointView<Eigen::Lower>().rankUpdate(x_.transpose());
    }
    tri_.compute(g);
    alpha_ = tri_.diagonal();
    beta_ = tri_.subDiagonal();
    if (dataSpace_) {
        c_ = tri_.matrixQ().transpose() * (d_ - qa_ * (qa_.transpose() * d_));
    } else {
        c_ = tri_.matrixQ().transpose() * (x_.transpose() * d_);
    }
    return c_.allFinite() && alpha_.allFinite() && beta_.allFinite();
}

bool MultiplierFamily::Solve(double mu, Eigen::VectorXd& m)
{
    // (T + μI) w = c by the LDLᵀ of a symmetric tridiagonal matrix.
    const Eigen::Index s = alpha_.size();
    w_.resize(s);
    pivots_.resize(s);
    for (Eigen::Index i = 0; i < s; ++i) {
        double pivot = alpha_[i] + mu;
        double rhs = c_[i];
        if (i > 0) {
            const double factor = beta_[i - 1] / pivots_[i - 1];
            pivot -= factor * beta_[i - 1];
            rhs -= factor * w_[i - 1];
        }
        if (!(pivot > 0.0) || !std::isfinite(pivot)) return false;
        pivots_[i] = pivot;
        w_[i] = rhs;
    }
    for (Eigen::Index i = s - 1; i >= 0; --i) {
        w_[i] /= pivots_[i];
        if (i + 1 < s) w_[i] -= beta_[i] / pivots_[i] * w_[i + 1];
    }
    const Eigen::VectorXd qw = tri_.matrixQ() * w_;
    y_ = dataSpace_ ? Eigen::VectorXd(x_.transpose() * qw) : qw;

    // a = R_A⁻¹ Q_Aᵀ (d − K y), with K = H's right columns.
    const Eigen::VectorXd rest = d_ - h_.rightCols(r_) * y_;
    const Eigen::VectorXd a = ra_.triangularView<Eigen::Upper>().solve(qa_.transpose() * rest);

    // m = L⁻¹ (a, y), forward over the band.
    z_.resize(n_);
    z_.head(k_) = a;
    z_.tail(r_) = y_;
    m.resize(n_);
    for (Eigen::Index i = 0; i < n_; ++i) {
        double v = z_[i];
        for (Eigen::Index c = std::max<Eigen::Index>(0, i - band_); c < i; ++c) v -= l_(i, c) * m[c];
        m[i] = v / l_(i, i);
    }
    return m.allFinite();
}

}  // namespace mt1d::fitting
