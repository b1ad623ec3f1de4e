#pragma once
// How an inversion run ended, as a value, with the one table of the engine's message texts.
//
// The engines write the message of their ending into Inversion1D::Message exactly as it has
// always read (Chinese, one English text among them); callers decide on the ending value and
// the summary, never on the text.

#include <string_view>

namespace mt {

enum class RunEnding {
    kNotRun,                // no run yet
    kFittedAtStart,         // the starting misfit was already at or below the target
    kConverged,             // the step became small, or the misfit fell below the target
    kIterationLimit,        // MaxIterations iterations were accepted without converging
    kAttemptLimit,          // the sixth attempt of one iteration ended the run
    kDecompositionFailure,  // the singular value decomposition did not converge
    kRankZero,              // no singular value reached the rank threshold
    kNonFinite,             // the accepted model's misfit, residuals or sensitivities are
                            // not finite numbers (a trial that is not finite is only rejected)
};

// Whether the engine counts the ending as a success (Inversion1D::Succeeded). The iteration
// limit counts as one: the model is the best the run found.
constexpr bool EndingSucceeded(RunEnding ending)
{
    return ending == RunEnding::kFittedAtStart || ending == RunEnding::kConverged ||
           ending == RunEnding::kIterationLimit;
}

// The engine's message for an ending. The fitted-at-start, converged and attempt-limit
// endings read differently for the constrained method. Empty for kNotRun.
std::string_view EndingMessage(RunEnding ending, bool constrained);

// A short English name for machine-readable output: "fitted_at_start", "converged",
// "iteration_limit", "attempt_limit", "decomposition_failure", "rank_zero", "non_finite",
// "not_run".
std::string_view EndingName(RunEnding ending);

// What a caller needs to know about a finished run.
struct RunSummary {
    RunEnding ending = RunEnding::kNotRun;
    bool succeeded = false;
    int iterations = 0;   // the engine's Iteration
    float misfit = 0.0f;  // the engine's FinalMisfit
};

}  // namespace mt
