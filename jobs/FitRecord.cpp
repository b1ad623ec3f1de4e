#include "jobs/FitRecord.h"

namespace mt1d::jobs {

FitRecord MakeFitRecord(const SiteSummary& site, const DataOptions& curve, const FitOptions& settings,
                        const fitting::FitData& data, const fitting::LayeredFitResult& fit)
{
    FitRecord record{site, curve, settings, data.Count(), {}, fit.report, fit.products, {}, std::nullopt};
    if (fit.report.status != fitting::FitStatus::kInvalidInput) record.correlation = fit.uncertainty.correlation;
    return record;
}

FitRecord MakeFitRecord(const SiteSummary& site, const DataOptions& curve, const FitOptions& settings,
                        const fitting::FitData& data, const fitting::OccamFitResult& fit)
{
    return FitRecord{site, curve, settings, data.Count(), {}, fit.report, {}, {}, std::nullopt};
}

std::vector<std::string> CorrelationParameterNames(std::size_t layers)
{
    std::vector<std::string> names;
    for (std::size_t j = 1; j <= layers; ++j) names.push_back("log10_rho_" + std::to_string(j));
    for (std::size_t j = 1; j < layers; ++j) names.push_back("log10_thickness_" + std::to_string(j));
    return names;
}

}  // namespace mt1d::jobs
