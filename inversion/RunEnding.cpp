#include "inversion/RunEnding.h"

namespace mt {

std::string_view EndingMessage(RunEnding ending, bool constrained)
{
    switch (ending) {
    case RunEnding::kNotRun:
        return "";
    case RunEnding::kFittedAtStart:
        return constrained ? "拟合差达到要求，反演结束." : "数据拟合差达到精度要求。反演完成！";
    case RunEnding::kConverged:
        return constrained ? "模型修正量小于指定的阈值，反演结束." : "模型迭代步长过小。反演完成！";
    case RunEnding::kIterationLimit:
        return "迭代次数超限.\n";
    case RunEnding::kAttemptLimit:
        return constrained ? "反演结束，但初始模型不合适." : "Initial model not appropriate.";
    case RunEnding::kDecompositionFailure:
        return "奇异值分解错误.";
    case RunEnding::kRankZero:
        return "灵敏度矩阵秩为零,可能是模型不正确.\n";
    case RunEnding::kNonFinite:
        return "拟合差或模型参数不再是有限数，反演停止于上一个可用模型. "
               "(the misfit or a model value stopped being a finite number; the run stopped at "
               "the last usable model)";
    }
    return "";
}

std::string_view EndingName(RunEnding ending)
{
    switch (ending) {
    case RunEnding::kNotRun: return "not_run";
    case RunEnding::kFittedAtStart: return "fitted_at_start";
    case RunEnding::kConverged: return "converged";
    case RunEnding::kIterationLimit: return "iteration_limit";
    case RunEnding::kAttemptLimit: return "attempt_limit";
    case RunEnding::kDecompositionFailure: return "decomposition_failure";
    case RunEnding::kRankZero: return "rank_zero";
    case RunEnding::kNonFinite: return "non_finite";
    }
    return "not_run";
}

}  // namespace mt
