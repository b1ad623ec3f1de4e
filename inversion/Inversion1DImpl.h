#pragma once
// Member definitions of Inversion1D. Included by Inversion1D.cpp, which instantiates the
// engine for the three forward-model kinds, and by tests that drive it with a scripted model.

#include "Inversion1D.h"
#include "StepRules.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace mt::engine {

inline constexpr float kDefaultDamping = 0.005f;
inline constexpr float kDecomposeTolerance = 1e-7f;
inline constexpr double kRankThreshold = 0.00001;      // singular values below it are left out
inline constexpr float kSmallComponent = 0.01f;        // a step component this small counts as converged
inline constexpr int kAttemptLimit = 5;                // the attempt after the fifth rejection ends the run
inline constexpr double kDampingRelaxation = 0.4;      // after every accepted iteration
inline constexpr double kConstrainedDampingRaise = 5.0;

inline constexpr char kFittedAtStartSvd[] = "数据拟合差达到精度要求。反演完成！";
inline constexpr char kConvergedSvd[] = "模型迭代步长过小。反演完成！";
inline constexpr char kAttemptLimitSvd[] = "Initial model not appropriate.";
inline constexpr char kFittedAtStartConstrained[] = "拟合差达到要求，反演结束.";
inline constexpr char kConvergedConstrained[] = "模型修正量小于指定的阈值，反演结束.";
inline constexpr char kAttemptLimitConstrained[] = "反演结束，但初始模型不合适.";
inline constexpr char kIterationLimit[] = "迭代次数超限.\n";
inline constexpr char kDecompositionFailure[] = "奇异值分解错误.";
inline constexpr char kRankFailure[] = "灵敏度矩阵秩为零,可能是模型不正确.\n";

// Parameters the forward model will hold for `count` values in the given layout.
inline int ResultingParameterCount(int count, int invertThickness)
{
    return invertThickness == 1 ? 2 * ((count + 1) / 2) - 1 : count;
}

}  // namespace mt::engine

// The work arrays of one run, sized from its system: m = DataCount + ParamCount rows and
// n = ParamCount columns. Released on every way out of the run.
using namespace mt::engine;  // NOLINT: the engine's own constants

template <typename Model>
class Inversion1D<Model>::Step {
public:
    Step(int dataCount, int paramCount)
        : m(dataCount + paramCount), n(paramCount), work(std::size_t(m) * n),
          u(std::size_t(m) * m), vt(std::size_t(n) * n), saved(std::size_t(dataCount) * n), d(n)
    {
    }

    const int m;
    const int n;
    std::vector<float> work;   // the stacked system, overwritten by the decomposition
    std::vector<float> u;      // left singular vectors, one per column
    std::vector<float> vt;     // right singular vectors, one per row
    std::vector<float> saved;  // the iteration's weighted sensitivities
    std::vector<float> d;      // the step in natural-log units
    int rank = 0;
};

template <typename Model>
Inversion1D<Model>::Inversion1D(int blockCount, const int* blockSizes, const float* frequencies,
                                const float* observed, int paramCount, const float* startModel,
                                int invertThickness, bool logMode)
{
    if (blockCount < 1) {
        throw std::invalid_argument("an inversion needs at least 1 data block, got " +
                                    std::to_string(blockCount));
    }
    int dataCount = 0;
    for (int b = 0; b < blockCount; ++b) {
        if (blockSizes[b] < 1) {
            throw std::invalid_argument("data block " + std::to_string(b) +
                                        " must hold at least 1 datum, got " +
                                        std::to_string(blockSizes[b]));
        }
        dataCount += std::min(blockSizes[b], mt::kMaxSystemRows + 1);
    }
    if (paramCount < 1) {
        throw std::invalid_argument("an inversion needs at least 1 parameter, got " +
                                    std::to_string(paramCount));
    }
    const int params = ResultingParameterCount(paramCount, invertThickness);
    if (params > mt::kMaxParameters) {
        throw std::length_error(std::to_string(params) + " parameters exceed the limit of " +
                                std::to_string(mt::kMaxParameters));
    }
    if (dataCount + params > mt::kMaxSystemRows) {
        throw std::length_error(std::to_string(dataCount) + " data plus " +
                                std::to_string(params) + " parameters exceed the limit of " +
                                std::to_string(mt::kMaxSystemRows) + " rows");
    }

    InvertThickness = invertThickness;
    LogMode = logMode;
    FinalMisfit = 0.0f;
    Iteration = 0;
    MaxIterations = 20;
    MisfitTarget = 0.0001f;
    StepThreshold = 0.001f;
    std::fill(std::begin(Damping), std::end(Damping), kDefaultDamping);
    Succeeded = false;
    DataCount = dataCount;
    std::fill(std::begin(DataWeight), std::end(DataWeight), 0.0f);
    std::fill(DataWeight, DataWeight + DataCount, 1.0f);
    std::fill(std::begin(Params), std::end(Params), 0.0f);
    std::fill(std::begin(UpperBound), std::end(UpperBound), 0.0f);
    std::fill(std::begin(LowerBound), std::end(LowerBound), 0.0f);
    std::fill(std::begin(Residual), std::end(Residual), 0.0f);
    std::fill(&Sensitivity[0][0], &Sensitivity[0][0] + sizeof Sensitivity / sizeof(float), 0.0f);

    ForwardModel = std::make_unique<Model>();
    ForwardModel->SetOptions(InvertThickness, LogMode);
    ForwardModel->SetData(blockCount, blockSizes, frequencies, observed);
    ForwardModel->SetParameters(paramCount, startModel);
    ForwardModel->GetParameters(ParamCount, Params);
    Svd = std::make_unique<MathClass>();
}

template <typename Model>
Inversion1D<Model>::~Inversion1D() = default;

template <typename Model>
void Inversion1D<Model>::SetStepThreshold(float value)
{
    StepThreshold = value;
}

template <typename Model>
void Inversion1D<Model>::SetBounds(int count, const float* upper, const float* lower)
{
    if (count == ParamCount) {
        std::copy(upper, upper + count, UpperBound);
        std::copy(lower, lower + count, LowerBound);
        return;
    }
    std::fill(UpperBound, UpperBound + ParamCount, 100000.0f);
    std::fill(LowerBound, LowerBound + ParamCount, 0.001f);
}

template <typename Model>
void Inversion1D<Model>::SetDamping(const float* values)
{
    std::copy(values, values + DataCount, Damping);
}

template <typename Model>
void Inversion1D<Model>::SetDataWeights(const float* values)
{
    std::copy(values, values + DataCount, DataWeight);
}

template <typename Model>
void Inversion1D<Model>::GetResult(int& iterations, float& misfit)
{
    iterations = Iteration;
    misfit = FinalMisfit;
}

template <typename Model>
void Inversion1D<Model>::GetModel(int& count, float* values)
{
    ForwardModel->GetParameters(count, values);
}

template <typename Model>
void Inversion1D<Model>::EndRun(bool succeeded, float misfit, const char* message)
{
    FinalMisfit = misfit;
    Succeeded = succeeded;
    Message << message;
}

template <typename Model>
void Inversion1D<Model>::LetWindowRepaint()
{
    if (ProcessMessages) ProcessMessages();
}

// Weighted residuals and sensitivities of the current model, once per iteration.
template <typename Model>
void Inversion1D<Model>::PrepareIteration(Step& step)
{
    const int n = ParamCount;
    ForwardModel->Residuals(Residual, DataWeight);
    ForwardModel->ComputeSensitivities(DataWeight);
    for (int i = 0; i < DataCount; ++i) {
        for (int k = 0; k < n; ++k) {
            Sensitivity[i][k] = ForwardModel->Jacobian[i][k];
            step.saved[std::size_t(i) * n + k] = Sensitivity[i][k];
        }
    }
}

// Solves the data rows stacked on the damping rows by a truncated SVD. Returns false
// when the run has ended on a decomposition or rank failure.
template <typename Model>
bool Inversion1D<Model>::ComputeStep(Step& step, bool restoreData)
{
    const int m = step.m;
    const int n = step.n;
    if (restoreData) {
        for (int i = 0; i < DataCount; ++i) {
            std::copy_n(&step.saved[std::size_t(i) * n], n, Sensitivity[i]);
        }
    }
    for (int k = 0; k < n; ++k) {
        float* row = Sensitivity[DataCount + k];
        std::fill(row, row + n, 0.0f);
        row[k] = Damping[k];
        Residual[DataCount + k] = 0.0f;
    }
    for (int i = 0; i < m; ++i) {
        std::copy_n(Sensitivity[i], n, &step.work[std::size_t(i) * n]);
    }

    if (Svd->Decompose(step.work.data(), m, n, step.u.data(), step.vt.data(),
                       kDecomposeTolerance, std::max(m, n) + 1) < 0) {
        EndRun(false, FinalMisfit, kDecompositionFailure);
        return false;
    }
    int rank = 0;
    for (int k = 0; k < n; ++k) {
        if (static_cast<double>(step.work[std::size_t(k) * n + k]) >= kRankThreshold) ++rank;
    }
    step.rank = rank;
    if (rank == 0) {
        EndRun(false, FinalMisfit, kRankFailure);
        return false;
    }

    // d = V·Σ⁺·Uᵀ·b over the first `rank` singular triplets, G = V·Σ⁺·Uᵀ formed first;
    // every sum in float, in increasing order of its index.
    std::vector<float> g(std::size_t(n) * m);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < m; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < rank; ++k) {
                const float sk = step.work[std::size_t(k) * n + k];
                sum += (step.vt[std::size_t(k) * n + i] / sk) * step.u[std::size_t(j) * m + k];
            }
            g[std::size_t(i) * m + j] = sum;
        }
    }
    for (int i = 0; i < n; ++i) {
        float sum = 0.0f;
        for (int j = 0; j < m; ++j) sum += g[std::size_t(i) * m + j] * Residual[j];
        step.d[i] = sum;
    }
    return true;
}

// Shortens each component that would carry its parameter past the bound it moves towards
// (or brings a parameter beyond that bound back onto it) and zeroes components no larger
// than StepThreshold.
template <typename Model>
void Inversion1D<Model>::AdjustStepToBounds(Step& step) const
{
    for (int k = 0; k < ParamCount; ++k) {
        step.d[k] = mt::BoundedStepComponent(step.d[k], Params[k], UpperBound[k], LowerBound[k],
                                             StepThreshold, LogMode);
    }
}

template <typename Model>
int Inversion1D<Model>::SmallComponents(const Step& step) const
{
    int count = 0;
    for (int k = 0; k < ParamCount; ++k) {
        if (std::fabs(step.d[k]) <= kSmallComponent) ++count;
    }
    return count;
}

// The two methods share one iteration. The constrained one lets the window repaint at
// three points, cuts every step at the bounds, raises the whole damping by 5 after a
// rejection and re-sets the model after every iteration; the singular value method adds one
// slot's damping to every slot after a rejection.
template <typename Model>
void Inversion1D<Model>::Iterate(const RunRules& rules)
{
    const auto repaint = [&] {
        if (rules.constrained) LetWindowRepaint();
    };
    Iteration = 1;
    float current = ForwardModel->Misfit(DataWeight);
    FinalMisfit = current;
    if (current <= MisfitTarget) {
        EndRun(true, current, rules.fittedAtStart);
        return;
    }
    Step step(DataCount, ParamCount);
    while (Iteration <= MaxIterations) {
        repaint();
        PrepareIteration(step);
        for (int attempt = 1;; ++attempt) {
            repaint();
            if (!ComputeStep(step, attempt > 1)) return;
            if (rules.constrained) AdjustStepToBounds(step);
            ForwardModel->ApplyUpdate(step.d.data());
            const float trial = ForwardModel->Misfit(DataWeight);
            repaint();
            // The sixth attempt ends the run whatever its misfit.
            if (attempt > kAttemptLimit) {
                EndRun(false, trial, rules.attemptLimit);
                return;
            }
            if (trial > current) {
                ForwardModel->SetParameters(ParamCount, Params);
                if (rules.constrained) {
                    mt::ScaleDamping(Damping, ParamCount, kConstrainedDampingRaise);
                } else {
                    mt::RaiseDampingAfterRejection(Damping, ParamCount, attempt);
                }
                continue;
            }
            ForwardModel->GetParameters(ParamCount, Params);
            current = trial;
            FinalMisfit = current;
            break;
        }
        if (SmallComponents(step) == step.rank || current < MisfitTarget) {
            EndRun(true, current, rules.converged);
            return;
        }
        ++Iteration;
        mt::ScaleDamping(Damping, ParamCount, kDampingRelaxation);
        if (rules.constrained) ForwardModel->SetParameters(ParamCount, Params);
    }
    EndRun(true, current, kIterationLimit);
}

template <typename Model>
void Inversion1D<Model>::RunSvdInversion()
{
    Iterate({kFittedAtStartSvd, kConvergedSvd, kAttemptLimitSvd, false});
}

template <typename Model>
void Inversion1D<Model>::RunConstrainedInversion()
{
    for (int k = 0; k < ParamCount; ++k) {
        // Also replaces a parameter that is not a number.
        if (LowerBound[k] > Params[k] || !(Params[k] <= UpperBound[k])) {
            Params[k] = (UpperBound[k] + LowerBound[k]) * 0.5f;
        }
    }
    ForwardModel->SetParameters(ParamCount, Params);
    Iterate({kFittedAtStartConstrained, kConvergedConstrained, kAttemptLimitConstrained, true});
}
