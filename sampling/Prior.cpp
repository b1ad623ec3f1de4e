#include "sampling/Prior.h"

#include "fitting/NiblettBostick.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace mt1d::sampling {

namespace {

bool PositiveFinite(double v) { return std::isfinite(v) && v > 0.0; }

std::string Number(double v)
{
    std::ostringstream s;
    s << v;
    return s.str();
}

std::string CheckPair(const char* what, const char* unit, double low, double high)
{
    if (!PositiveFinite(low) || !PositiveFinite(high)) {
        return std::string(what) + " bounds (" + Number(low) + " to " + Number(high) + " " + unit +
               ") must be finite and positive";
    }
    if (!(low < high)) {
        return std::string(what) + " bounds: the lower bound " + Number(low) + " " + unit +
               " is not below the upper bound " + Number(high) + " " + unit;
    }
    return {};
}

PriorFromData Finish(const PriorOptions& o, double minDepth, double maxDepth)
{
    PriorFromData out;
    if (o.maxInterfaces > kMaxInterfacesLimit) {
        out.error = "at most " + std::to_string(kMaxInterfacesLimit) + " interfaces, not " +
                    std::to_string(o.maxInterfaces);
        return out;
    }
    out.error = CheckPair("depth", "m", minDepth, maxDepth);
    if (out.error.empty()) out.error = CheckPair("resistivity", "ohm-m", o.minRhoOhmM, o.maxRhoOhmM);
    if (!out.Ok()) return out;
    out.prior.maxInterfaces = o.maxInterfaces;
    out.prior.minLog10Depth = std::log10(minDepth);
    out.prior.maxLog10Depth = std::log10(maxDepth);
    out.prior.minLog10Rho = std::log10(o.minRhoOhmM);
    out.prior.maxLog10Rho = std::log10(o.maxRhoOhmM);
    return out;
}

}  // namespace

DepthRange DefaultDepthRange(const fitting::FitData& data)
{
    DepthRange range;
    std::size_t highest = 0;
    for (std::size_t i = 0; i < data.FrequencyCount(); ++i) {
        if (data.frequencies[i] > data.frequencies[highest]) highest = i;
        range.maxM = std::max(range.maxM, fitting::SkinDepth(data.rhoA[i], data.frequencies[i]));
    }
    if (data.FrequencyCount() > 0) {
        range.minM = kShallowSkinDepthFraction *
                     fitting::SkinDepth(data.rhoA[highest], data.frequencies[highest]);
    }
    return range;
}

PriorFromData MakePrior(const fitting::FitData& data, const PriorOptions& options)
{
    if (data.FrequencyCount() == 0) {
        PriorFromData out;
        out.error = "nothing to sample: no data";
        return out;
    }
    const DepthRange range = DefaultDepthRange(data);
    return Finish(options, options.minDepthM.value_or(range.minM),
                  options.maxDepthM.value_or(range.maxM));
}

PriorFromData MakePrior(const PriorOptions& options)
{
    if (!options.minDepthM || !options.maxDepthM) {
        PriorFromData out;
        out.error = "without data the depth bounds must be given";
        return out;
    }
    return Finish(options, *options.minDepthM, *options.maxDepthM);
}

}  // namespace mt1d::sampling
