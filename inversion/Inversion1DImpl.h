#pragma once
// Member definitions of Inversion1D. Included by Inversion1D.cpp, which instantiates the
// engine for the three forward-model kinds, and by tests that drive it with a scripted model.

#include "inversion/Inversion1D.h"
#include "inversion/StepRules.h"

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

// Parameters the forward model will hold for `count` values in the given layout.
inline int ResultingParameterCount(int count, int invertThickness)
{
    return invertThickness == 1 ? 2 * ((count + 1) / 2) - 1 : count;
}

// Index of the first value of values[0..count−1] that is not a finite number (not positive
// and finite with `positive`), or −1.
inline int FirstUnusable(const float* values, int count, bool positive)
{
    for (int k = 0; k < count; ++k) {
        if (!std::isfinite(values[k]) || (positive && !(values[k] > 0.0f))) return k;
    }
    return -1;
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
    // A datum that is not a number would be fitted as if it were one and surface later as a
    // decomposition failure; a frequency that is not positive gives no response at all.
    if (const int k = FirstUnusable(observed, dataCount, false); k >= 0) {
        throw std::invalid_argument("observed datum " + std::to_string(k + 1) + " of " +
                                    std::to_string(dataCount) + " is not a finite number");
    }
    if (const int k = FirstUnusable(frequencies, dataCount, true); k >= 0) {
        throw std::invalid_argument("frequency " + std::to_string(k + 1) + " of " +
                                    std::to_string(dataCount) +
                                    " is not a positive finite number");
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
    Ending = mt::RunEnding::kNotRun;
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
void Inversion1D<Model>::EndRun(mt::RunEnding ending, float misfit)
{
    FinalMisfit = misfit;
    Ending = ending;
    Succeeded = mt::EndingSucceeded(ending);
    Message << mt::EndingMessage(ending, constrained_);
}

// Whether every parameter of the forward model, as the engine reads them, is finite.
template <typename Model>
bool Inversion1D<Model>::ModelIsFinite()
{
    int count = 0;
    float values[mt::kMaxSystemRows];
    ForwardModel->GetParameters(count, values);
    return FirstUnusable(values, count, false) < 0;
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
    // A sensitivity or residual that is not a number would only show as a decomposition
    // that never converges.
    if (FirstUnusable(step.work.data(), m * n, false) >= 0 ||
        FirstUnusable(Residual, DataCount, false) >= 0) {
        EndRun(mt::RunEnding::kNonFinite, FinalMisfit);
        return false;
    }

    if (Svd->Decompose(step.work.data(), m, n, step.u.data(), step.vt.data(),
                       kDecomposeTolerance, std::max(m, n) + 1) < 0) {
        EndRun(mt::RunEnding::kDecompositionFailure, FinalMisfit);
        return false;
    }
    int rank = 0;
    for (int k = 0; k < n; ++k) {
        if (static_cast<double>(step.work[std::size_t(k) * n + k]) >= kRankThreshold) ++rank;
    }
    step.rank = rank;
    if (rank == 0) {
        EndRun(mt::RunEnding::kRankZero, FinalMisfit);
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
void Inversion1D<Model>::Iterate(bool constrained)
{
    constrained_ = constrained;
    const auto repaint = [&] {
        if (constrained) LetWindowRepaint();
    };
    Iteration = 1;
    float current = ForwardModel->Misfit(DataWeight);
    FinalMisfit = current;
    if (!std::isfinite(current)) {
        EndRun(mt::RunEnding::kNonFinite, current);
        return;
    }
    if (current <= MisfitTarget) {
        EndRun(mt::RunEnding::kFittedAtStart, current);
        return;
    }
    Step step(DataCount, ParamCount);
    while (Iteration <= MaxIterations) {
        repaint();
        PrepareIteration(step);
        for (int attempt = 1;; ++attempt) {
            repaint();
            if (!ComputeStep(step, attempt > 1)) return;
            if (constrained) AdjustStepToBounds(step);
            ForwardModel->ApplyUpdate(step.d.data());
            const float trial = ForwardModel->Misfit(DataWeight);
            repaint();
            // A trial whose misfit or model is not a finite number is no better than the
            // accepted model: it is rejected like a worse one, and never kept.
            const bool finite = std::isfinite(trial) && ModelIsFinite();
            // The sixth attempt ends the run whatever its misfit; one that is not finite
            // leaves the last accepted model and its misfit.
            if (attempt > kAttemptLimit) {
                if (!finite) ForwardModel->SetParameters(ParamCount, Params);
                EndRun(mt::RunEnding::kAttemptLimit, finite ? trial : current);
                return;
            }
            if (!finite || trial > current) {
                ForwardModel->SetParameters(ParamCount, Params);
                if (constrained) {
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
            EndRun(mt::RunEnding::kConverged, current);
            return;
        }
        ++Iteration;
        mt::ScaleDamping(Damping, ParamCount, kDampingRelaxation);
        if (constrained) ForwardModel->SetParameters(ParamCount, Params);
    }
    EndRun(mt::RunEnding::kIterationLimit, current);
}

template <typename Model>
void Inversion1D<Model>::RunSvdInversion()
{
    Iterate(false);
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
    Iterate(true);
}
