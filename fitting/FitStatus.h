#pragma once
// How a fit ended and which method made it. A run always returns a result; its status says
// why it stopped, and the result's message says it in words for the user.

#include <array>
#include <string_view>

namespace mt1d::fitting {

enum class Method { kLayered, kOccam };

enum class FitStatus {
    kConverged,         // layered: the misfit stopped decreasing at a minimum (small relative change, or an exact fit)
    kMaxIterations,     // the iteration limit ended the run before it settled
    kTargetReached,     // smooth: the smoothest model found at the target RMS
    kTargetNotReached,  // smooth: the misfit stopped decreasing above the target; the best model
    kCancelled,         // the caller asked to stop; the best model so far
    kInvalidInput,      // the data or the options were refused; nothing was fitted
    kDampingExhausted,  // layered: every step was refused until the damping passed its ceiling,
                        // while the misfit was still falling: a failure, not a minimum
    kNonFiniteMisfit,   // the misfit could not be computed (not finite) for any model tried
};

// Every status, in the order of the enumeration: for readers that map names back.
inline constexpr std::array kAllFitStatuses = {
    FitStatus::kConverged,    FitStatus::kMaxIterations, FitStatus::kTargetReached,    FitStatus::kTargetNotReached,
    FitStatus::kCancelled,    FitStatus::kInvalidInput,  FitStatus::kDampingExhausted, FitStatus::kNonFiniteMisfit,
};

// "layered", "occam": the words the command line and its JSON use.
std::string_view ToString(Method method);

// "converged", "max-iterations", "target-reached", "target-not-reached", "cancelled",
// "invalid-input", "damping-exhausted", "non-finite-misfit".
std::string_view ToString(FitStatus status);

// Whether a run that ended so reached its goal: a layered fit at a minimum, a smooth fit at
// its target. Every other status is a run that did not (a limit, a failure, a refusal).
constexpr bool GoalReached(FitStatus status)
{
    return status == FitStatus::kConverged || status == FitStatus::kTargetReached;
}

}  // namespace mt1d::fitting
