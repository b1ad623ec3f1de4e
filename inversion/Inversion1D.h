#pragma once
// Damped least-squares inversion of MT data for a layered model.
//
// Inversion1D<Model> owns one forward model of kind Model (TMTRes, TMTPhase or
// TMTResPhase), which holds the observed data and the current layered model, and one
// MathClass for the singular value decomposition. A run linearises the response once per
// iteration, stacks the weighted sensitivities on one damping row per parameter, solves
// the stacked system through a truncated SVD and applies the solution multiplicatively
// (p ← p·e^d). A step that raises the misfit is undone and retried with more damping.
//
// Contract on Model: SetOptions, SetData, SetParameters, ApplyUpdate, GetParameters,
// Residuals, Misfit, ComputeSensitivities and the public Jacobian, as in MTSounding.h.
//
// How a run ended is data, never an exception: Ending (see RunEnding.h), Succeeded,
// FinalMisfit, Iteration and one message appended to Message; Summary() gathers them. The
// constructor refuses a configuration that does not fit the fixed arrays (std::length_error,
// std::invalid_argument), and observed data or frequencies that are not finite
// (std::invalid_argument), before writing anything. A run never keeps a model whose misfit or
// values are not finite numbers. A trial step that leads to one is no better than the
// accepted model and is rejected like any worse trial (the damping is raised and the step
// retried; the attempt limit ends the run on the last accepted model). Only when the accepted
// model itself gives a misfit, residual or sensitivity that is not finite (from the start,
// for instance) does the run end with RunEnding::kNonFinite.
//
//     const int sizes[1] = {41};
//     Inversion1D<TMTRes> engine(1, sizes, freq, appRes, 5, start, 1, true);
//     engine.SetStepThreshold(0.01f);
//     engine.SetBounds(5, upper, lower);
//     engine.RunConstrainedInversion();
//     engine.GetResult(iterations, misfit);
//     engine.GetModel(count, result);

#include "numerics/MTSounding.h"
#include "inversion/MathClass.h"
#include "inversion/RunEnding.h"

#include <functional>
#include <memory>
#include <sstream>

template <typename Model>
class Inversion1D {
public:
    Inversion1D(int blockCount, const int* blockSizes, const float* frequencies,
                const float* observed, int paramCount, const float* startModel,
                int invertThickness, bool logMode);
    ~Inversion1D();
    Inversion1D(const Inversion1D&) = delete;
    Inversion1D& operator=(const Inversion1D&) = delete;

    void SetStepThreshold(float value);
    // With count == ParamCount copies the bounds; otherwise installs [0.001, 100000].
    void SetBounds(int count, const float* upper, const float* lower);
    // Copies DataCount damping values.
    void SetDamping(const float* values);
    // Copies DataCount data weights.
    void SetDataWeights(const float* values);

    // Unbounded damped iteration; raises the damping by one slot's value per rejection.
    void RunSvdInversion();
    // Bounded iteration: pulls the start inside the bounds, cuts steps at the bounds,
    // multiplies the damping by 5 per rejection and calls ProcessMessages at the start of
    // every iteration, before every decomposition and after every trial misfit.
    void RunConstrainedInversion();

    void GetResult(int& iterations, float& misfit);
    // How the last run ended, with its iteration count and misfit.
    mt::RunSummary Summary() const { return {Ending, Succeeded, Iteration, FinalMisfit}; }
    // The forward model's current parameters: the result model of the last run.
    void GetModel(int& count, float* values);

    int InvertThickness;
    bool LogMode;
    float FinalMisfit;
    int Iteration;
    float Damping[mt::kMaxSystemRows];
    std::unique_ptr<Model> ForwardModel;
    int MaxIterations;
    float MisfitTarget;
    float StepThreshold;
    bool Succeeded;
    mt::RunEnding Ending;
    int DataCount;
    int ParamCount;
    float Params[mt::kMaxSystemRows];
    float UpperBound[mt::kMaxSystemRows];
    float LowerBound[mt::kMaxSystemRows];
    float Residual[mt::kMaxSystemRows];
    float Sensitivity[mt::kMaxSystemRows][mt::kMaxSystemRows];
    float DataWeight[mt::kMaxSystemRows];
    std::unique_ptr<MathClass> Svd;
    std::ostringstream Message;

    // Lets the window repaint during a constrained run; empty by default.
    std::function<void()> ProcessMessages;

private:
    class Step;
    void Iterate(bool constrained);
    void PrepareIteration(Step& step);
    bool ComputeStep(Step& step, bool restoreData);
    void AdjustStepToBounds(Step& step) const;
    int SmallComponents(const Step& step) const;
    bool ModelIsFinite();
    void EndRun(mt::RunEnding ending, float misfit);
    void LetWindowRepaint();

    bool constrained_ = false;  // the method of the run under way, for its messages
};

extern template class Inversion1D<TMTRes>;
extern template class Inversion1D<TMTPhase>;
extern template class Inversion1D<TMTResPhase>;
