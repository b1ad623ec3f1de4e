#pragma once
// The Occam run over a whole profile (LciFit.h says what it does): the iterations, the
// multiplier searches and the models they accept, on a ProfileProblem.

#include "lci/LciOptions.h"
#include "lci/LciResult.h"
#include "lci/ProfileProblem.h"
#include "fitting/FitStatus.h"
#include "fitting/RunControl.h"

#include <Eigen/Dense>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mt1d::lci {

// One model of the profile with its scores; empty (rms +∞) when there is none.
struct ProfileState {
    Eigen::VectorXd x;
    ProfileScore score;
    double multiplier = 0.0;

    bool Empty() const { return x.size() == 0; }
    double Rms() const { return Empty() ? std::numeric_limits<double>::infinity() : score.rms; }
    double Roughness() const { return score.regularisation; }
};

// What the run knows when it ends, for its message.
struct RunEnding {
    fitting::FitStatus status = fitting::FitStatus::kMaxIterations;
    std::size_t iterations = 0;
    double target = 1.0;
    std::size_t maxIterations = 0;
    std::optional<double> smallestRms;  // once the target was given up as out of reach
    bool singular = false;              // a linearisation could not be made
};

// Per accepted model: the profile's entry and every site's RMS and roughness (profile order).
struct AcceptedModel {
    ProfileHistoryEntry entry;
    std::vector<double> siteRms, siteRoughness;
};

class ProfileRun {
public:
    // `valuesPerSite` in profile order, as the problem holds the sites.
    ProfileRun(ProfileProblem& problem, std::vector<std::size_t> valuesPerSite, const LciOptions& options,
               const fitting::RunControl& control);

    // Runs from the legal unknowns `start`; returns the final models.
    ProfileState Fit(const Eigen::VectorXd& start);

    const RunEnding& End() const { return ending_; }
    const std::vector<AcceptedModel>& History() const { return history_; }
    // Why the run ended with `final`, in words.
    std::string Summary(const ProfileState& final) const;

private:
    ProfileState Score(Eigen::VectorXd x, double multiplier);
    double CandidateRms(double log10Mu);  // scores x(10^log10Mu) and keeps it
    ProfileState Candidate(double log10Mu) const;
    void Record(std::size_t iteration, const ProfileState& s);

    ProfileProblem& problem_;
    const LciOptions& o_;
    const fitting::RunControl& control_;
    std::vector<std::size_t> sites_;  // values per site, profile order
    std::vector<std::pair<double, ProfileState>> cache_;
    std::vector<AcceptedModel> history_;
    RunEnding ending_;
};

}  // namespace mt1d::lci
