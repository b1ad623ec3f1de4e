#include "lci/LciFit.h"

#include "lci/LateralWeights.h"
#include "lci/ProfileProblem.h"
#include "lci/SiteThreads.h"
#include "fitting/LayeredFit.h"
#include "fitting/Misfit.h"
#include "fitting/MultiplierSearch.h"
#include "fitting/NiblettBostick.h"
#include "fitting/OccamFit.h"
#include "fitting/StartModels.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <sstream>

namespace mt1d::lci {

namespace {

using fitting::FitStatus;

std::string Number(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string SiteName(std::size_t index) { return "site " + std::to_string(index + 1); }

std::string CheckSites(const std::vector<ProfileSite>& sites)
{
    if (sites.empty()) return "a profile needs at least one site";
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const auto& d = sites[i].data;
        if (d.Count() == 0) return SiteName(i) + ": nothing to fit: no data values";
        if (d.sigmas.size() != d.Count() || d.kernelRows.size() != d.Count() ||
            d.rhoA.size() != d.FrequencyCount() || d.phaseDeg.size() != d.FrequencyCount()) {
            return SiteName(i) + ": the fit data are incomplete (select them with fitting::SelectData)";
        }
        if (!std::isfinite(sites[i].distanceKm)) {
            return SiteName(i) + ": the distance along the profile must be finite, not " + Number(sites[i].distanceKm);
        }
    }
    return {};
}

std::string CheckOptions(const LciOptions& o)
{
    if (!std::isfinite(o.targetRms) || o.targetRms <= 0.0) return "the target RMS must be finite and positive";
    if (!std::isfinite(o.chi2SlackPerSite) || o.chi2SlackPerSite < 0.0) {
        return "the chi-square slack must be finite and not negative";
    }
    if (o.form == LciForm::kLayered && o.startModels.empty() && o.starts && *o.starts < 1) {
        return "the sites' own layered fits need at least one start";
    }
    const auto& l = o.lateral;
    if (l.weight && (!std::isfinite(*l.weight) || *l.weight < 0.0)) {
        return "the lateral weight must be finite and not negative, not " + Number(*l.weight);
    }
    if (l.referenceDistanceKm && (!std::isfinite(*l.referenceDistanceKm) || *l.referenceDistanceKm <= 0.0)) {
        return "the reference distance must be finite and positive, not " + Number(*l.referenceDistanceKm) + " km";
    }
    if (!std::isfinite(l.distancePower) || l.distancePower < 0.0) {
        return "the distance power must be finite and not negative, not " + Number(l.distancePower);
    }
    return {};
}

std::string CheckStartModels(const std::vector<ProfileSite>& sites, const LciOptions& o)
{
    if (o.startModels.empty()) return {};
    if (o.startModels.size() != sites.size()) {
        return "starting models: " + std::to_string(o.startModels.size()) + " for " + std::to_string(sites.size()) +
               " sites";
    }
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const auto& m = o.startModels[i];
        if (m.resistivity.size() != o.layers || m.thickness.size() + 1 != o.layers) {
            return SiteName(i) + ": the starting model has " + std::to_string(m.resistivity.size()) +
                   " resistivities and " + std::to_string(m.thickness.size()) + " thicknesses; " +
                   std::to_string(o.layers) + " layers need " + std::to_string(o.layers) + " and " +
                   std::to_string(o.layers - 1);
        }
        for (double v : m.resistivity) {
            if (!std::isfinite(v) || v <= 0.0) return SiteName(i) + ": a starting resistivity is not finite and positive";
        }
        for (double v : m.thickness) {
            if (!std::isfinite(v) || v <= 0.0) return SiteName(i) + ": a starting thickness is not finite and positive";
        }
    }
    return {};
}

// The smooth form's layer tops, shared by every site: the user's, or from the shallowest top
// and the deepest bottom the sites' own meshes would take.
fitting::Mesh SharedMesh(const std::vector<ProfileSite>& sites, const fitting::MeshOptions& options)
{
    if (!options.layerTops.empty()) return fitting::SmoothMesh(sites.front().data, options);
    double top = std::numeric_limits<double>::infinity(), bottom = 0.0;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        fitting::Mesh own = fitting::SmoothMesh(sites[i].data, options);
        if (!own.Ok()) {
            own.error = SiteName(i) + ": " + own.error;
            return own;
        }
        top = std::min(top, own.tops[1]);
        bottom = std::max(bottom, own.tops.back());
    }
    fitting::MeshOptions shared = options;
    shared.topDepthM = top;
    shared.bottomDepthM = bottom;
    return fitting::SmoothMesh(sites.front().data, shared);
}

std::vector<double> DistancesInOrder(const std::vector<ProfileSite>& sites, const std::vector<std::size_t>& order)
{
    std::vector<double> d;
    for (std::size_t i : order) d.push_back(sites[i].distanceKm);
    return d;
}

SiteParameters ParametersOf(const LciOptions& o)
{
    if (o.form == LciForm::kLayered) return SiteParameters::Layered(o.layers);
    return SiteParameters::Smooth(fitting::ThicknessesOf(o.mesh.layerTops));
}

// Start 0 of the layered fit's starts (StartModels.h): interfaces evenly in log depth across
// the site's Niblett–Bostick profile.
earth::LayeredModel StartZero(const fitting::FitData& data, std::size_t layers)
{
    const auto start = fitting::SeededStarts(fitting::NiblettBostick(data), layers, 1, 1).front();
    earth::LayeredModel m;
    for (std::size_t j = 0; j < layers; ++j) m.resistivity.push_back(std::pow(10.0, start[j]));
    for (std::size_t j = layers; j < start.size(); ++j) m.thickness.push_back(std::pow(10.0, start[j]));
    return m;
}

// One model of the profile with its scores; empty (rms +∞) when there is none.
struct State {
    Eigen::VectorXd x;
    ProfileScore score;
    double multiplier = 0.0;

    bool Empty() const { return x.size() == 0; }
    double Rms() const { return Empty() ? std::numeric_limits<double>::infinity() : score.rms; }
    double Roughness() const { return score.regularisation; }
};

// The starting unknowns of every site, in profile order. The layered form's own fits of the
// sites run on the threads and see only the caller's cancellation.
Eigen::VectorXd StartOf(const std::vector<ProfileSite>& sites, const std::vector<std::size_t>& order,
                        const LciOptions& o, const SiteParameters& parameters, const fitting::RunControl& control)
{
    const auto p = static_cast<Eigen::Index>(parameters.Count());
    Eigen::VectorXd x(static_cast<Eigen::Index>(order.size()) * p);
    fitting::RunControl quiet;
    quiet.cancel = control.cancel;
    ForEachSite(order.size(), ThreadCount(o.threads), [&](std::size_t k) {
        const auto& data = sites[order[k]].data;
        Eigen::VectorXd xs;
        if (o.form == LciForm::kSmooth) {
            // A uniform earth at the geometric mean of the site's ρa, as the Occam fit starts.
            double mean = 0.0;
            for (double r : data.rhoA) mean += std::log10(r);
            xs = Eigen::VectorXd::Constant(p, mean / static_cast<double>(data.rhoA.size()));
        } else if (!o.startModels.empty()) {
            xs = parameters.Unknowns(o.startModels[order[k]]);
        } else {
            fitting::LayeredOptions own;
            own.layers = o.layers;
            own.starts = o.starts;
            own.seed = o.seed;
            const auto fit = fitting::FitLayered(data, own, quiet);
            // Without a model (the site has fewer values than unknowns, or the run was cancelled
            // first): start 0, for the neighbours to tie.
            xs = fit.model.LayerCount() == o.layers ? parameters.Unknowns(fit.model)
                                                    : parameters.Unknowns(StartZero(data, o.layers));
        }
        parameters.Legalise(xs.data());
        x.segment(static_cast<Eigen::Index>(k) * p, p) = xs;
    });
    return x;
}

// What the run knows when it ends, for its message.
struct Ending {
    FitStatus status = FitStatus::kMaxIterations;
    std::size_t iterations = 0;
    double target = 1.0;
    std::size_t maxIterations = 0;
    std::optional<double> smallestRms;  // once the target was given up as out of reach
    bool singular = false;              // a linearisation could not be made
};

std::string Summary(const Ending& e, const State& s)
{
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

// Per accepted model: the profile's entry and every site's RMS and roughness (profile order).
struct Accepted {
    ProfileHistoryEntry entry;
    std::vector<double> siteRms, siteRoughness;
};

class Run {
public:
    Run(ProfileProblem& problem, std::vector<std::size_t> valuesPerSite, const LciOptions& o,
        const fitting::RunControl& control)
        : problem_(problem), o_(o), control_(control), sites_(std::move(valuesPerSite))
    {
    }

    State Fit(const Eigen::VectorXd& start);
    const Ending& End() const { return ending_; }
    const std::vector<Accepted>& History() const { return history_; }

private:
    State Score(Eigen::VectorXd x, double multiplier)
    {
        State s;
        s.score = problem_.Score(x);
        s.x = std::move(x);
        s.multiplier = multiplier;
        return s;
    }

    double CandidateRms(double log10Mu)
    {
        const double mu = std::pow(10.0, log10Mu);
        auto x = problem_.Candidate(mu);
        cache_.emplace_back(log10Mu, x ? Score(std::move(*x), mu) : State{});
        return cache_.back().second.Rms();
    }

    State Candidate(double log10Mu) const
    {
        for (const auto& entry : cache_) {
            if (entry.first == log10Mu) return entry.second;
        }
        return State{};
    }

    void Record(std::size_t iteration, const State& s)
    {
        Accepted a;
        a.entry = {iteration, s.Rms(), s.score.vertical, s.score.lateral, s.multiplier};
        for (std::size_t k = 0; k < problem_.Sites(); ++k) {
            a.siteRms.push_back(fitting::Rms(s.score.chi2[k], sites_[k]));
            a.siteRoughness.push_back(problem_.SiteRoughness(s.x, k));
        }
        history_.push_back(std::move(a));
    }

    ProfileProblem& problem_;
    const LciOptions& o_;
    const fitting::RunControl& control_;
    std::vector<std::size_t> sites_;  // values per site, profile order
    std::vector<std::pair<double, State>> cache_;
    std::vector<Accepted> history_;
    Ending ending_;
};

State Run::Fit(const Eigen::VectorXd& start)
{
    using fitting::LargestWithin;
    using fitting::MultiplierSample;
    using fitting::SmallestRms;
    const double target = o_.targetRms;
    const double count = static_cast<double>(problem_.ValueCount());
    const double slack = o_.chi2SlackPerSite * static_cast<double>(problem_.Sites());
    ending_.target = target;
    ending_.maxIterations = o_.maxIterations;

    State current = Score(start, 0.0);
    Record(0, current);
    fitting::Progress progress;
    progress.method = o_.form == LciForm::kSmooth ? fitting::Method::kOccam : fitting::Method::kLayered;

    double level = target;
    std::size_t accepted = 0;
    double log10Mu = 0.0;
    std::vector<State> visited{current};
    bool linearised = false;
    // As the Occam fit: when the RMS stops falling above the target, relax the level once to
    // the smallest χ² plus the slack and go on from the smoothest model that meets it.
    const auto stalled = [&](const State& at) {
        if (ending_.smallestRms || slack <= 0.0) return false;
        ending_.smallestRms = at.Rms();
        level = std::sqrt((at.Rms() * at.Rms() * count + slack) / count);
        const State* smoothest = &current;
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
        State next;
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
                const State smoother = Candidate(log10Mu);
                next = State{};
                chosen = {log10Mu, smoother.Rms()};
                if (!smoother.Empty() && smoother.Roughness() < current.Roughness()) {
                    double fraction = 1.0;
                    for (std::size_t k = 0; k < fitting::kStepCuts && next.Empty(); ++k) {
                        fraction *= 0.5;
                        State trial = Score(current.x + fraction * (smoother.x - current.x), smoother.multiplier);
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
                const State cut = std::move(next);
                next = State{};
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

        const State previous = std::move(current);
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

}  // namespace

std::vector<std::size_t> ProfileOrder(const std::vector<ProfileSite>& sites)
{
    std::vector<std::size_t> order(sites.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sites[a].distanceKm < sites[b].distanceKm; });
    return order;
}

ResolvedOptions ResolveOptions(const std::vector<ProfileSite>& sites, const LciOptions& options)
{
    ResolvedOptions r;
    r.options = options;
    LciOptions& o = r.options;
    if (r.error = CheckSites(sites); !r.error.empty()) return r;
    if (r.error = CheckOptions(o); !r.error.empty()) return r;
    double verticalTrace = 0.0;
    std::size_t unknowns = 0;
    if (o.form == LciForm::kSmooth) {
        const fitting::Mesh mesh = SharedMesh(sites, o.mesh);
        if (!mesh.Ok()) {
            r.error = mesh.error;
            return r;
        }
        o.mesh.layerTops = mesh.tops;
        unknowns = mesh.tops.size();
        const Eigen::MatrixXd d = fitting::RoughnessOperator(unknowns, o.roughness);
        verticalTrace = (d.transpose() * d).trace();
    } else {
        if (o.layers < 1 || o.layers > kMaxLciLayers) {
            r.error = "a layered profile fit takes 1 to " + std::to_string(kMaxLciLayers) + " layers, not " +
                      std::to_string(o.layers);
            return r;
        }
        if (r.error = CheckStartModels(sites, o); !r.error.empty()) return r;
        unknowns = 2 * o.layers - 1;
    }
    const auto distances = DistancesInOrder(sites, ProfileOrder(sites));
    const double reference = o.lateral.referenceDistanceKm.value_or(MedianSpacingKm(distances));
    o.lateral.referenceDistanceKm = reference;
    if (!o.lateral.weight) {
        const auto w = LinkWeights(distances, reference, o.lateral.distancePower);
        o.lateral.weight = EqualTraceLateralWeight(sites.size(), verticalTrace, unknowns, w);
    }
    return r;
}

ProfileFitResult DescribeProfile(const std::vector<ProfileSite>& sites, const LciOptions& resolved,
                                 const std::vector<earth::LayeredModel>& models)
{
    const LciOptions& o = resolved;
    const auto order = ProfileOrder(sites);
    const auto distances = DistancesInOrder(sites, order);
    const double reference = o.lateral.referenceDistanceKm.value_or(MedianSpacingKm(distances));
    const double weight = o.lateral.weight.value_or(1.0);
    const auto links = LinkWeights(distances, reference, o.lateral.distancePower);
    const SiteParameters parameters =
        o.form == LciForm::kLayered ? SiteParameters::Layered(o.layers) : SiteParameters::Smooth(models.front().thickness);

    ProfileFitResult result;
    result.form = o.form;
    result.lateralWeight = weight;
    result.referenceDistanceKm = reference;
    result.distancePower = o.lateral.distancePower;
    result.sites.resize(sites.size());
    std::vector<double> chi2(sites.size());
    ForEachSite(sites.size(), ThreadCount(o.threads), [&](std::size_t i) {
        const auto& data = sites[i].data;
        const auto& model = models[i];
        SiteFit& site = result.sites[i];
        auto& report = site.report;
        report.method = o.form == LciForm::kSmooth ? fitting::Method::kOccam : fitting::Method::kLayered;
        report.mode = data.mode;
        fitting::Misfit misfit(data);
        chi2[i] = misfit.Evaluate(model.resistivity, model.thickness);
        report.rms = fitting::Rms(chi2[i], data.Count());
        report.targetReached = report.rms <= o.targetRms;
        if (o.form == LciForm::kSmooth) {
            std::vector<double> log10Rho;
            for (double r : model.resistivity) log10Rho.push_back(std::log10(r));
            report.roughness = fitting::Roughness(log10Rho, o.roughness);
        }
        report.layers = fitting::ReportLayers(model);
        report.response = fitting::ModelResponse(model, data.frequencies);
        report.niblettBostick = fitting::NiblettBostick(data);
        report.depthOfInvestigationM = fitting::DepthOfInvestigation(report.niblettBostick);
        site.model = model;
        for (const auto& layer : report.layers) site.layerTops.push_back(layer.topM);
        site.distanceKm = sites[i].distanceKm;
        site.valuesFitted = data.Count();
    });

    double total = 0.0;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        total += chi2[i];
        result.valuesFitted += sites[i].data.Count();
        if (o.form == LciForm::kSmooth) result.verticalRoughness += *result.sites[i].report.roughness;
    }
    result.rms = fitting::Rms(total, result.valuesFitted);
    result.targetReached = result.rms <= o.targetRms;
    for (std::size_t k = 0; k + 1 < order.size(); ++k) {
        const Eigen::VectorXd a = parameters.Unknowns(models[order[k]]);
        const Eigen::VectorXd b = parameters.Unknowns(models[order[k + 1]]);
        result.lateralRoughness += links[k] * (b - a).squaredNorm();
    }
    for (std::size_t k = 0; k < order.size(); ++k) {
        double sum = 0.0;
        std::size_t n = 0;
        if (k > 0) sum += links[k - 1], ++n;
        if (k + 1 < order.size()) sum += links[k], ++n;
        result.sites[order[k]].lateralWeight = n > 0 ? weight * sum / static_cast<double>(n) : 0.0;
    }
    if (o.form == LciForm::kSmooth) result.layerTops = result.sites.front().layerTops;
    return result;
}

ProfileFitResult FitProfile(const std::vector<ProfileSite>& sites, const LciOptions& options,
                            const fitting::RunControl& control)
{
    const ResolvedOptions resolved = ResolveOptions(sites, options);
    if (!resolved.Ok()) {
        ProfileFitResult result;
        result.form = options.form;
        result.message = resolved.error;
        return result;
    }
    const LciOptions& o = resolved.options;
    const auto order = ProfileOrder(sites);
    const auto distances = DistancesInOrder(sites, order);
    std::vector<const fitting::FitData*> data;
    for (std::size_t i : order) data.push_back(&sites[i].data);
    const SiteParameters parameters = ParametersOf(o);
    ProfileProblem problem(data, parameters, o.roughness,
                           LinkWeights(distances, *o.lateral.referenceDistanceKm, o.lateral.distancePower),
                           *o.lateral.weight, ThreadCount(o.threads));

    std::vector<std::size_t> counts;
    for (const auto* d : data) counts.push_back(d->Count());
    Run run(problem, std::move(counts), o, control);
    const State final = run.Fit(StartOf(sites, order, o, parameters, control));

    const auto p = static_cast<Eigen::Index>(parameters.Count());
    std::vector<earth::LayeredModel> models(sites.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        models[order[k]] = parameters.Model(final.x.data() + static_cast<Eigen::Index>(k) * p);
    }
    ProfileFitResult result = DescribeProfile(sites, o, models);
    const Ending& ending = run.End();
    result.status = ending.status;
    result.message = Summary(ending, final);
    result.iterations = ending.iterations;
    result.multiplier = final.multiplier;
    result.forwardRuns = problem.ForwardRuns();
    result.jacobianRuns = problem.JacobianRuns();
    for (const auto& a : run.History()) result.history.push_back(a.entry);
    for (std::size_t k = 0; k < order.size(); ++k) {
        auto& report = result.sites[order[k]].report;
        report.status = ending.status;
        report.iterations = ending.iterations;
        std::ostringstream m;
        m.precision(4);
        m << "site RMS " << report.rms << " in a laterally constrained fit of " << sites.size() << " sites: "
          << result.message;
        report.message = m.str();
        for (const auto& a : run.History()) {
            fitting::HistoryEntry h{a.entry.iteration, a.siteRms[k], std::nullopt, a.entry.multiplier};
            if (o.form == LciForm::kSmooth) h.roughness = a.siteRoughness[k];
            report.history.push_back(h);
        }
    }
    return result;
}

}  // namespace mt1d::lci
