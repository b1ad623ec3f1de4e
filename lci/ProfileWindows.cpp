#include "lci/ProfileWindows.h"

#include "lci/LciFit.h"
#include "lci/SiteParameters.h"
#include "fitting/OccamMesh.h"

#include <algorithm>
#include <sstream>

namespace mt1d::lci {

namespace {

using fitting::FitStatus;

// Window sizes for `sites` sites: the fewest windows of at most `size` sites that overlap by
// `overlap`, sizes differing by at most one.
std::vector<std::size_t> WindowSizes(std::size_t sites, std::size_t size, std::size_t overlap)
{
    if (sites <= size) return {sites};
    const std::size_t step = size - overlap;
    const std::size_t count = (sites - overlap + step - 1) / step;
    const std::size_t total = sites + (count - 1) * overlap;
    std::vector<std::size_t> sizes(count, total / count);
    for (std::size_t w = 0; w < total % count; ++w) ++sizes[w];
    return sizes;
}

int Severity(FitStatus s)
{
    switch (s) {
    case FitStatus::kCancelled: return 3;
    case FitStatus::kMaxIterations: return 2;
    case FitStatus::kTargetNotReached: return 1;
    default: return 0;
    }
}

}  // namespace

WindowPlan SplitProfile(const std::vector<ProfileSite>& sites, const LciOptions& options,
                        std::size_t windowSites, std::size_t overlap)
{
    WindowPlan plan;
    const ResolvedOptions resolved = ResolveOptions(sites, options);
    if (!resolved.Ok()) {
        plan.error = resolved.error;
        return plan;
    }
    plan.options = resolved.options;
    if (overlap == 0) {
        plan.error = "windows must overlap by at least one site to be joined";
        return plan;
    }
    if (windowSites <= overlap) {
        plan.error = "a window of " + std::to_string(windowSites) + " sites cannot overlap its neighbour by " +
                     std::to_string(overlap);
        return plan;
    }
    const auto order = ProfileOrder(sites);
    const auto sizes = WindowSizes(sites.size(), windowSites, overlap);
    std::size_t first = 0;
    for (std::size_t w = 0; w < sizes.size(); ++w) {
        // Every window but the ends needs a site of its own between its overlaps.
        const std::size_t shared = (w > 0 ? overlap : 0) + (w + 1 < sizes.size() ? overlap : 0);
        if (sizes[w] <= shared) {
            plan.windows.clear();
            plan.error = "windows of " + std::to_string(windowSites) + " sites overlapping by " +
                         std::to_string(overlap) + " leave a window no site of its own; give longer windows " +
                         "(at least " + std::to_string(3 * overlap + 1) + " sites)";
            return plan;
        }
        ProfileWindow window;
        window.sites.assign(order.begin() + static_cast<std::ptrdiff_t>(first),
                            order.begin() + static_cast<std::ptrdiff_t>(first + sizes[w]));
        plan.windows.push_back(std::move(window));
        first += sizes[w] - overlap;
    }
    return plan;
}

std::vector<ProfileSite> WindowSites(const std::vector<ProfileSite>& sites, const WindowPlan& plan, std::size_t w)
{
    std::vector<ProfileSite> out;
    for (std::size_t i : plan.windows.at(w).sites) out.push_back(sites[i]);
    return out;
}

LciOptions WindowOptions(const WindowPlan& plan, std::size_t w)
{
    LciOptions o = plan.options;
    if (!o.startModels.empty()) {
        o.startModels.clear();
        for (std::size_t i : plan.windows.at(w).sites) o.startModels.push_back(plan.options.startModels[i]);
    }
    return o;
}

ProfileFitResult JoinWindows(const std::vector<ProfileSite>& sites, const WindowPlan& plan,
                             const std::vector<ProfileFitResult>& results)
{
    ProfileFitResult refused;
    refused.form = plan.options.form;
    if (!plan.Ok()) {
        refused.message = plan.error;
        return refused;
    }
    if (results.size() != plan.windows.size()) {
        refused.message = "the join needs " + std::to_string(plan.windows.size()) + " window results, got " +
                          std::to_string(results.size());
        return refused;
    }
    const LciOptions& o = plan.options;
    const SiteParameters parameters = o.form == LciForm::kLayered
                                          ? SiteParameters::Layered(o.layers)
                                          : SiteParameters::Smooth(fitting::ThicknessesOf(o.mesh.layerTops));
    for (std::size_t w = 0; w < results.size(); ++w) {
        const auto& r = results[w];
        const std::string name = "window " + std::to_string(w + 1);
        if (r.status == FitStatus::kInvalidInput) {
            refused.message = name + " was not fitted: " + r.message;
            return refused;
        }
        if (r.form != o.form || r.sites.size() != plan.windows[w].sites.size()) {
            refused.message = name + ": its result does not belong to this window (" + std::to_string(r.sites.size()) +
                              " sites for " + std::to_string(plan.windows[w].sites.size()) + ")";
            return refused;
        }
        for (const auto& s : r.sites) {
            if (s.model.LayerCount() != parameters.Layers()) {
                refused.message = name + ": its models have " + std::to_string(s.model.LayerCount()) +
                                  " layers, not " + std::to_string(parameters.Layers());
                return refused;
            }
        }
    }

    // Blend the unknowns site by site; remember which window weighs most at each site.
    const auto p = static_cast<Eigen::Index>(parameters.Count());
    std::vector<Eigen::VectorXd> blended(sites.size(), Eigen::VectorXd::Zero(p));
    std::vector<double> heaviest(sites.size(), -1.0);
    std::vector<const SiteFit*> source(sites.size(), nullptr);
    const std::size_t windows = plan.windows.size();
    for (std::size_t w = 0; w < windows; ++w) {
        const auto& members = plan.windows[w].sites;
        const std::size_t n = members.size();
        // Overlap sizes with the neighbours, from the shared sites.
        const auto sharedWith = [&](const ProfileWindow& other) {
            std::size_t count = 0;
            for (std::size_t i : members) count += std::count(other.sites.begin(), other.sites.end(), i);
            return count;
        };
        const std::size_t left = w > 0 ? sharedWith(plan.windows[w - 1]) : 0;
        const std::size_t right = w + 1 < windows ? sharedWith(plan.windows[w + 1]) : 0;
        for (std::size_t k = 0; k < n; ++k) {
            double weight = 1.0;
            if (k < left) weight = static_cast<double>(k + 1) / static_cast<double>(left + 1);
            if (k + right >= n) weight = static_cast<double>(n - k) / static_cast<double>(right + 1);
            const std::size_t i = members[k];
            const SiteFit& fit = results[w].sites[k];
            blended[i] += weight * parameters.Unknowns(fit.model);
            if (weight > heaviest[i]) {
                heaviest[i] = weight;
                source[i] = &fit;
            }
        }
    }
    std::vector<earth::LayeredModel> models(sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i) models[i] = parameters.Model(blended[i].data());

    ProfileFitResult joined = DescribeProfile(sites, o, models);
    joined.status = FitStatus::kTargetReached;
    for (const auto& r : results) {
        if (Severity(r.status) > Severity(joined.status)) joined.status = r.status;
        joined.iterations = std::max(joined.iterations, r.iterations);
        joined.forwardRuns += r.forwardRuns;
        joined.jacobianRuns += r.jacobianRuns;
    }
    std::ostringstream m;
    m.precision(4);
    m << "joined " << windows << " window" << (windows == 1 ? "" : "s") << " of " << sites.size()
      << " sites: RMS " << joined.rms << " over the profile";
    for (std::size_t w = 0; w < windows; ++w) {
        if (results[w].status != FitStatus::kTargetReached) {
            m << "; window " << w + 1 << ": " << results[w].message;
        }
    }
    joined.message = m.str();
    for (std::size_t i = 0; i < sites.size(); ++i) {
        auto& report = joined.sites[i].report;
        const auto& from = source[i]->report;
        report.status = from.status;
        report.iterations = from.iterations;
        report.history = from.history;
        std::ostringstream s;
        s.precision(4);
        s << "site RMS " << report.rms << " in a laterally constrained fit joined from " << windows << " windows; "
          << from.message;
        report.message = s.str();
    }
    return joined;
}

}  // namespace mt1d::lci
