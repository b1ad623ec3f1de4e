#include "fitting/FitStatus.h"

namespace mt1d::fitting {

std::string_view ToString(Method method)
{
    switch (method) {
    case Method::kLayered: return "layered";
    case Method::kOccam: return "occam";
    }
    return "unknown";
}

std::string_view ToString(FitStatus status)
{
    switch (status) {
    case FitStatus::kConverged: return "converged";
    case FitStatus::kMaxIterations: return "max-iterations";
    case FitStatus::kTargetReached: return "target-reached";
    case FitStatus::kTargetNotReached: return "target-not-reached";
    case FitStatus::kCancelled: return "cancelled";
    case FitStatus::kInvalidInput: return "invalid-input";
    case FitStatus::kDampingExhausted: return "damping-exhausted";
    case FitStatus::kNonFiniteMisfit: return "non-finite-misfit";
    }
    return "unknown";
}

}  // namespace mt1d::fitting
