#include "lci/ProfileProblem.h"

#include "lci/SiteThreads.h"
#include "fitting/Misfit.h"

#include <cmath>
#include <limits>

namespace mt1d::lci {

ProfileProblem::ProfileProblem(std::vector<const fitting::FitData*> sites, SiteParameters parameters,
                               fitting::RoughnessKind vertical, std::vector<double> linkWeights,
                               double lateralWeight, std::size_t threads)
    : sites_(std::move(sites)),
      parameters_(std::move(parameters)),
      kind_(vertical),
      linkWeights_(std::move(linkWeights)),
      lateralWeight_(lateralWeight),
      threads_(threads)
{
    const auto p = static_cast<Eigen::Index>(parameters_.Count());
    verticalOperator_ = Eigen::MatrixXd::Zero(p, p);
    if (!parameters_.IsLayered()) {
        const Eigen::MatrixXd d = fitting::RoughnessOperator(parameters_.Layers(), kind_);
        verticalOperator_ = d.transpose() * d;
        hasVertical_ = true;
    }
    for (const auto* s : sites_) values_ += s->Count();
    normal_.resize(sites_.size());
    rhs_.resize(sites_.size());
}

ProfileScore ProfileProblem::Score(const Eigen::VectorXd& x)
{
    const auto p = static_cast<Eigen::Index>(Unknowns());
    ProfileScore score;
    score.chi2.assign(sites_.size(), 0.0);
    ForEachSite(sites_.size(), threads_, [&](std::size_t s) {
        fitting::Misfit misfit(*sites_[s]);
        const auto model = parameters_.Model(x.data() + static_cast<Eigen::Index>(s) * p);
        score.chi2[s] = misfit.Evaluate(model.resistivity, model.thickness);
    });
    forwardRuns_ += sites_.size();
    double total = 0.0;
    for (double c : score.chi2) total += c;
    score.rms = std::isfinite(total) ? fitting::Rms(total, values_) : std::numeric_limits<double>::infinity();
    for (std::size_t s = 0; s < sites_.size(); ++s) score.vertical += SiteRoughness(x, s);
    for (std::size_t k = 0; k + 1 < sites_.size(); ++k) {
        const auto a = static_cast<Eigen::Index>(k) * p;
        score.lateral += linkWeights_[k] * (x.segment(a + p, p) - x.segment(a, p)).squaredNorm();
    }
    score.regularisation = score.vertical + lateralWeight_ * score.lateral;
    return score;
}

double ProfileProblem::SiteRoughness(const Eigen::VectorXd& x, std::size_t s) const
{
    if (!hasVertical_) return 0.0;
    const std::size_t p = Unknowns();
    return fitting::Roughness({x.data() + s * p, p}, kind_);
}

bool ProfileProblem::Linearise(const Eigen::VectorXd& x)
{
    const auto p = static_cast<Eigen::Index>(Unknowns());
    std::vector<char> finite(sites_.size(), 1);
    ForEachSite(sites_.size(), threads_, [&](std::size_t s) {
        fitting::Misfit misfit(*sites_[s]);
        const double* xs = x.data() + static_cast<Eigen::Index>(s) * p;
        const auto model = parameters_.Model(xs);
        const double chi2 = misfit.EvaluateWithJacobian(model.resistivity, model.thickness);
        Eigen::MatrixXd j;
        parameters_.ChainRule(misfit.Jacobian(), xs, j);
        if (!std::isfinite(chi2) || !j.allFinite()) {
            finite[s] = 0;
            return;
        }
        const Eigen::Map<const Eigen::VectorXd> xk(xs, p);
        normal_[s].noalias() = j.transpose() * j;
        rhs_[s].noalias() = j.transpose() * (misfit.Residuals() + j * xk);
    });
    jacobianRuns_ += sites_.size();
    for (char f : finite) {
        if (!f) return false;
    }
    return true;
}

double ProfileProblem::Balance() const
{
    double data = 0.0;
    for (const auto& b : normal_) data += b.trace();
    double rough = static_cast<double>(sites_.size()) * verticalOperator_.trace();
    for (double w : linkWeights_) rough += 2.0 * lateralWeight_ * w * static_cast<double>(Unknowns());
    if (!(data > 0.0) || !(rough > 0.0)) return 0.0;
    return std::log10(data / rough);
}

std::optional<Eigen::VectorXd> ProfileProblem::Candidate(double multiplier)
{
    const std::size_t sites = sites_.size();
    const auto p = static_cast<Eigen::Index>(Unknowns());
    blocks_.resize(sites);
    coupling_.resize(sites > 0 ? sites - 1 : 0);
    ForEachSite(sites, threads_, [&](std::size_t s) {
        Eigen::MatrixXd& a = blocks_[s];
        a = normal_[s];
        if (hasVertical_) a.noalias() += multiplier * verticalOperator_;
        double tie = 0.0;
        if (s > 0) tie += linkWeights_[s - 1];
        if (s + 1 < sites) tie += linkWeights_[s];
        a.diagonal().array() += multiplier * lateralWeight_ * tie;
    });
    for (std::size_t k = 0; k + 1 < sites; ++k) {
        coupling_[k] = Eigen::VectorXd::Constant(p, -multiplier * lateralWeight_ * linkWeights_[k]);
    }
    if (!solver_.Factorize(blocks_, coupling_)) return std::nullopt;
    Eigen::VectorXd b(static_cast<Eigen::Index>(sites) * p);
    for (std::size_t s = 0; s < sites; ++s) b.segment(static_cast<Eigen::Index>(s) * p, p) = rhs_[s];
    Eigen::VectorXd x = solver_.Solve(b);
    if (!x.allFinite()) return std::nullopt;
    for (std::size_t s = 0; s < sites; ++s) parameters_.Legalise(x.data() + static_cast<Eigen::Index>(s) * p);
    return x;
}

}  // namespace mt1d::lci
