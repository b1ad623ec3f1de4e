#include "sampling/SamplingResult.h"

namespace mt1d::sampling {

std::string_view ToString(SamplingStatus status)
{
    switch (status) {
    case SamplingStatus::kCompleted: return "completed";
    case SamplingStatus::kCancelled: return "cancelled";
    case SamplingStatus::kInvalidInput: return "invalid-input";
    }
    return "unknown";
}

std::size_t SamplingResult::LayerCountMode() const
{
    std::size_t mode = 0;
    double best = 0.0;
    for (const auto& c : layerCount) {
        if (c.probability > best) {
            best = c.probability;
            mode = c.layers;
        }
    }
    return mode;
}

}  // namespace mt1d::sampling
