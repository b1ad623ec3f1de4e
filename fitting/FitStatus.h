#pragma once
// How a fit ended and which method made it. A run always returns a result; its status says
// why it stopped, and the result's message says it in words for the user.

#include <string_view>

namespace mt1d::fitting {

enum class Method { kLayered, kOccam };

enum class FitStatus {
    kConverged,         // layered: the misfit stopped decreasing at a minimum
    kMaxIterations,     // the iteration limit ended the run before it settled
    kTargetReached,     // smooth: the smoothest model found at the target RMS
    kTargetNotReached,  // smooth: the misfit stopped decreasing above the target; the best model
    kCancelled,         // the caller asked to stop; the best model so far
    kInvalidInput,      // the data or the options were refused; nothing was fitted
};

// "layered", "occam": the words the command line and its JSON use.
std::string_view ToString(Method method);

// "converged", "max-iterations", "target-reached", "target-not-reached", "cancelled",
// "invalid-input".
std::string_view ToString(FitStatus status);

}  // namespace mt1d::fitting
