#include "lci/ProfileRun.h"

#include "fitting/Misfit.h"
#include "fitting/MultiplierSearch.h"
#include "fitting/OccamFit.h"

#include <cmath>
#include <sstream>

namespace mt1d::lci {

using fitting::FitStatus;

ProfileRun::ProfileRun(ProfileProblem& problem, std::vector<std::size_t> valuesPerSite, const LciOptions& options,
                       const fitting::RunControl& control)
    : problem_(problem), o_(options), control_(control), sites_(std::move(valuesPerSite))
{
}

ProfileState ProfileRun::Score(Eigen::VectorXd x, double multiplier)
{
    ProfileState s;
    s.score = problem_.Score(x);
    s.x = std::move(x);
    s.multiplier = multiplier;
    return s;
}

double ProfileRun::CandidateRms(double log10Mu)
{
    const double mu = std::pow(10.0, log10Mu);
    auto x = problem_.Candidate(mu);
    cache_.emplace_back(log10Mu, x ? Score(std::move(*x), mu) : ProfileState{});
    return cache_.back().second.Rms();
}

ProfileState ProfileRun::Candidate(double log10Mu) const
{
    for (const auto& entry : cache_) {
        if (entry.first == log10Mu) return entry.second;
    }
    return ProfileState{};
}

void ProfileRun::Record(std::size_t iteration, const ProfileState& s)
{
    AcceptedModel a;
    a.entry = {iteration, s.Rms(), s.score.vertical, s.score.lateral, s.multiplier};
    for (std::size_t k = 0; k < problem_.Sites(); ++k) {
        a.siteRms.push_back(fitting::Rms(s.score.chi2[k], sites_[k]));
        a.siteRoughness.push_back(problem_.SiteRoughness(s.x, k));
    }
    history_.push_back(std::move(a));
}

std::string ProfileRun::Summary(const ProfileState& s) const
{
    const RunEnding& e = ending_;
    std::ostringstream o;
    o.precision(4);
    const bool atTarget = s.Rms() <= e.target;
    if (e.status == FitStatus::kCancelled) {
        o << "cancelled; the profile's models so far have RMS " << s.Rms() << ", roughness " << s.Roughness();
    } else if (atTarget) {
        if (e.status == FitStatus::kMaxIterations) {
            o << "stopped at the limit of " << e.maxIterations << " iterations at the target RMS " << e.target
              << " (RMS " << s.Rms() << ", roughness " << s.Roughness() << ") before the models stopped smoothing";
        } else {
            o << "reached the target RMS " << e.target << " over the profile with the smoothest models found: RMS "
              << s.Rms() << ", roughness " << s.Roughness();
        }
    } else {
        o << "the target RMS " << e.target << " was not reached over the profile";
        if (e.status == FitStatus::kMaxIterations) o << " within the limit of " << e.maxIterations << " iterations";
        if (e.singular) o << " (a site's derivatives were not finite)";
        if (e.smallestRms) {
            o << ": the misfit stopped falling at RMS " << *e.smallestRms << "; the smoothest models near it have RMS "
              << s.Rms() << ", roughness " << s.Roughness();
        } else {
            o << ": RMS " << s.Rms() << ", roughness " << s.Roughness();
        }
    }
    o << " after " << e.iterations << " iteration" << (e.iterations == 1 ? "" : "s");
    return o.str();
}

ProfileState ProfileRun::Fit(const Eigen::VectorXd& start)
{
    using fitting::LargestWithin;
    using fitting::MultiplierSample;
    using fitting::SmallestRms;
    const double target = o_.targetRms;
    const double count = static_cast<double>(problem_.ValueCount());
    const double slack = o_.chi2SlackPerSite * static_cast<double>(problem_.Sites());
    ending_.target = target;
    ending_.maxIterations = o_.maxIterations;

    ProfileState current = Score(start, 0.0);
    Record(0, current);
    fitting::Progress progress;
    progress.method = o_.form == LciForm::kSmooth ? fitting::Method::kOccam : fitting::Method::kLayered;

    double level = target;
    std::size_t accepted = 0;
    double log10Mu = 0.0;
    std::vector<ProfileState> visited{current};
    bool linearised = false;
    // As the Occam fit: when the RMS stops falling above the target, relax the level once to
    // the smallest χ² plus the slack and go on from the smoothest model that meets it.
    const auto stalled = [&](const ProfileState& at) {
        if (ending_.smallestRms || slack <= 0.0) return false;
        ending_.smallestRms = at.Rms();
        level = std::sqrt((at.Rms() * at.Rms() * count + slack) / count);
        const ProfileState* smoothest = &current;
        for (const auto& v : visited) {
            if (v.Rms() <= level && v.Roughness() < smoothest->Roughness()) smoothest = &v;
        }
        if (smoothest != &current) {
            current = *smoothest;
            linearised = false;
            if (current.multiplier > 0.0) log10Mu = std::log10(current.multiplier);
            ++accepted;
            Record(accepted, current);
        }
        return true;
    };
    bool finished = false;
    fitting::SearchRange range;
    const auto rmsAt = [this](double x) { return CandidateRms(x); };
    for (std::size_t iteration = 1; iteration <= o_.maxIterations && !finished; ++iteration) {
        if (control_.Cancelled()) {
            ending_.status = FitStatus::kCancelled;
            break;
        }
        if (!linearised) {
            cache_.clear();
            if (!problem_.Linearise(current.x)) {
                ending_.singular = true;
                ending_.status = FitStatus::kTargetNotReached;
                break;
            }
        }
        linearised = true;
        if (iteration == 1) {
            const double centre = problem_.Balance();
            range = {centre - 8.0, centre + 8.0};
            log10Mu = centre;
        }
        const bool wasAtLevel = current.Rms() <= level;
        const auto settle = [&] {
            ending_.status = ending_.smallestRms ? FitStatus::kTargetNotReached : FitStatus::kTargetReached;
            finished = true;
        };
        MultiplierSample chosen;
        ProfileState next;
        if (wasAtLevel) {
            // Phase 2: the largest multiplier that holds the level.
            const MultiplierSample here{log10Mu, rmsAt(log10Mu)};
            if (here.rms <= level) {
                chosen = LargestWithin(rmsAt, here, level, range);
                next = Candidate(chosen.log10Mu);
            } else {
                const MultiplierSample least = SmallestRms(rmsAt, log10Mu, range);
                if (least.rms <= level) {
                    chosen = LargestWithin(rmsAt, least, level, range);
                    next = Candidate(chosen.log10Mu);
                }
            }
            if (next.Empty() || !(next.Roughness() < current.Roughness())) {
                // Step towards the smoother models of the last multiplier as far as the level
                // allows (R is convex, so any such step smooths).
                const ProfileState smoother = Candidate(log10Mu);
                next = ProfileState{};
                chosen = {log10Mu, smoother.Rms()};
                if (!smoother.Empty() && smoother.Roughness() < current.Roughness()) {
                    double fraction = 1.0;
                    for (std::size_t k = 0; k < fitting::kStepCuts && next.Empty(); ++k) {
                        fraction *= 0.5;
                        ProfileState trial = Score(current.x + fraction * (smoother.x - current.x), smoother.multiplier);
                        if (trial.Rms() <= level && trial.Roughness() < current.Roughness()) next = std::move(trial);
                    }
                }
                if (next.Empty()) {
                    settle();
                    break;
                }
            }
        } else {
            // Phase 1: the smallest misfit, or the smoothest models at the level once there.
            chosen = SmallestRms(rmsAt, log10Mu, range);
            if (chosen.rms <= level) chosen = LargestWithin(rmsAt, chosen, level, range);
            next = Candidate(chosen.log10Mu);
            if (!next.Empty() && !(next.Rms() < current.Rms())) {
                const ProfileState cut = std::move(next);
                next = ProfileState{};
                double fraction = 1.0;
                for (std::size_t k = 0; k < fitting::kStepCuts && !(next.Rms() < current.Rms()); ++k) {
                    fraction *= 0.5;
                    next = Score(current.x + fraction * (cut.x - current.x), cut.multiplier);
                }
            }
            if (!(next.Rms() < current.Rms())) {
                if (!stalled(current)) {
                    ending_.status = FitStatus::kTargetNotReached;
                    break;
                }
                continue;
            }
        }

        const ProfileState previous = std::move(current);
        current = std::move(next);
        visited.push_back(current);
        linearised = false;
        log10Mu = chosen.log10Mu;
        ++accepted;
        Record(accepted, current);
        progress.iteration = accepted;
        progress.rms = progress.bestRms = current.Rms();
        progress.roughness = current.Roughness();
        progress.multiplier = current.multiplier;
        control_.Report(progress);

        if (current.Rms() <= level) {
            if (wasAtLevel &&
                previous.Roughness() - current.Roughness() <= fitting::kOccamRoughnessTolerance * previous.Roughness()) {
                settle();
            }
        } else if (previous.Rms() - current.Rms() <= fitting::kOccamRmsTolerance * previous.Rms() && !stalled(current)) {
            ending_.status = FitStatus::kTargetNotReached;
            finished = true;
        }
    }
    ending_.iterations = accepted;
    return current;
}

}  // namespace mt1d::lci
