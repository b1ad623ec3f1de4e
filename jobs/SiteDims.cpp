#include "jobs/SiteDims.h"

namespace mt1d::jobs {

std::optional<dims::DimsResult> SiteDims(const sounding::Sounding& sounding, const dims::DimsOptions& options)
{
    try {
        return dims::AnalyseDimensionality(sounding, options);
    } catch (const dims::NoTensorError&) {
        return std::nullopt;
    }
}

std::optional<DimsSummary> SummarizeDims(const sounding::Sounding& sounding, const dims::DimsOptions& options)
{
    const std::optional<dims::DimsResult> result = SiteDims(sounding, options);
    if (!result) return std::nullopt;
    return DimsSummary{result->options,     result->computedRows, result->oneDRows, result->oneDFraction,
                       result->strikeDeg, result->strikeSdDeg};
}

}  // namespace mt1d::jobs
