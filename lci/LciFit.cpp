#include "lci/LciFit.h"

#include "lci/LateralWeights.h"
#include "lci/ProfileProblem.h"
#include "lci/ProfileRun.h"
#include "lci/SiteThreads.h"
#include "fitting/LayeredFit.h"
#include "fitting/Misfit.h"
#include "fitting/NiblettBostick.h"
#include "fitting/OccamMesh.h"
#include "fitting/StartModels.h"

#include <cmath>
#include <sstream>

namespace mt1d::lci {

namespace {

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

}  // namespace

ProfileFitResult DescribeProfile(const std::vector<ProfileSite>& sites, const LciOptions& resolved,
                                 const std::vector<earth::LayeredModel>& models)
{
    const LciOptions& o = resolved;
    const auto order = ProfileOrder(sites);
    const auto distances = OrderedDistancesKm(sites);
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
    const auto distances = OrderedDistancesKm(sites);
    std::vector<const fitting::FitData*> data;
    for (std::size_t i : order) data.push_back(&sites[i].data);
    const SiteParameters parameters = ParametersOf(o);
    ProfileProblem problem(data, parameters, o.roughness,
                           LinkWeights(distances, *o.lateral.referenceDistanceKm, o.lateral.distancePower),
                           *o.lateral.weight, ThreadCount(o.threads));

    std::vector<std::size_t> counts;
    for (const auto* d : data) counts.push_back(d->Count());
    ProfileRun run(problem, std::move(counts), o, control);
    const ProfileState final = run.Fit(StartOf(sites, order, o, parameters, control));

    const auto p = static_cast<Eigen::Index>(parameters.Count());
    std::vector<earth::LayeredModel> models(sites.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        models[order[k]] = parameters.Model(final.x.data() + static_cast<Eigen::Index>(k) * p);
    }
    ProfileFitResult result = DescribeProfile(sites, o, models);
    const RunEnding& ending = run.End();
    result.status = ending.status;
    result.message = run.Summary(final);
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
