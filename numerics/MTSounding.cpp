#include "numerics/MTSounding.h"

#include "numerics/MTMath.h"
#include "numerics/Notice.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

using mt::kMaxFrequencies;
using mt::kMaxLayers;
using mt::kMaxParameters;

[[noreturn]] void Refuse(const std::string& what)
{
    throw std::length_error(what);
}

void CheckBlockSize(int size, const char* what)
{
    if (size < 1) {
        throw std::invalid_argument(std::string(what) + " must hold at least 1 datum, got " +
                                    std::to_string(size));
    }
    if (size > kMaxFrequencies) {
        Refuse(std::string(what) + " holds " + std::to_string(size) + " data; at most " +
               std::to_string(kMaxFrequencies) + " fit");
    }
}

// Σ w·r² over float terms, the way the phase and joint misfits accumulate it.
float RootMeanSquare(float sum, int numFreq)
{
    return static_cast<float>(std::sqrt(sum / static_cast<float>(2 * numFreq)));
}

// ln|ρobs/ρcalc| with the ratio taken in float first; or the plain difference.
float AppResResidual(float observed, float calculated, bool logMode)
{
    if (logMode) {
        const float ratio = observed / calculated;
        return static_cast<float>(std::log(std::fabs(static_cast<double>(ratio))));
    }
    return observed - calculated;
}

}  // namespace

VantorelBase::VantorelBase() : NumLayers(1), Resistivity{}, Thickness{}
{
    Resistivity[0] = 100.0;
    Thickness[0] = 100.0;
}

TMTSounding::TMTSounding()
    : InvertThickness(1), LogMode(true), Jacobian{}, NumFreq(0), Frequency{}, ObsAppRes{},
      ObsPhase{}, CalcAppRes{}, CalcPhase{}
{
}

void TMTSounding::SetOptions(int invertThickness, bool logMode)
{
    InvertThickness = invertThickness;
    LogMode = logMode;
}

void TMTSounding::SetParameters(int count, const float* values)
{
    if (count < 1) {
        throw std::invalid_argument("a model needs at least 1 parameter, got " +
                                    std::to_string(count));
    }
    const int layers = InvertThickness == 1 ? (count + 1) / 2 : count;
    if (layers > kMaxLayers) {
        Refuse(std::to_string(count) + " parameters make " + std::to_string(layers) +
               " layers; at most " + std::to_string(kMaxLayers) + " layers fit");
    }
    NumLayers = layers;
    if (InvertThickness == 1) {
        for (int k = 0; k < layers; ++k) Resistivity[k] = values[k];
        for (int k = layers; k < count; ++k) Thickness[k - layers] = values[k];
    } else {
        for (int k = 0; k < count; ++k) {
            Resistivity[k] = values[k];
            Thickness[k] = values[count + k];
        }
    }
    ComputeResponse();
}

void TMTSounding::ApplyUpdate(const float* delta)
{
    const int n = NumLayers;
    for (int k = 0; k < n; ++k) {
        Resistivity[k] = std::exp(std::log(std::fabs(Resistivity[k])) + delta[k]);
    }
    if (InvertThickness == 1) {
        for (int k = 0; k < n - 1; ++k) {
            Thickness[k] = std::exp(std::log(std::fabs(Thickness[k])) + delta[n + k]);
        }
    }
    ComputeResponse();
}

void TMTSounding::GetParameters(int& count, float* values)
{
    const int n = NumLayers;
    count = ParameterCount();
    for (int k = 0; k < n; ++k) values[k] = static_cast<float>(Resistivity[k]);
    for (int k = 0; k < n - 1; ++k) values[n + k] = static_cast<float>(Thickness[k]);
}

void TMTSounding::ComputeResponse()
{
    if (NumLayers < 1 || NumLayers > kMaxLayers || NumFreq < 0 || NumFreq > kMaxFrequencies) {
        Refuse("model of " + std::to_string(NumLayers) + " layers at " +
               std::to_string(NumFreq) + " frequencies is outside 1.." +
               std::to_string(kMaxLayers) + " layers and 0.." +
               std::to_string(kMaxFrequencies) + " frequencies");
    }
    for (int k = 0; k < NumFreq; ++k) {
        const mt::Complex s = mt::PropagationCoefficient(Frequency[k]);
        // Work from the top of the half-space, where the normalised impedance is 1, up to
        // the surface, one layer at a time.
        mt::Complex r(1.0, 0.0);
        // The propagation constant of the layer below is the one the previous step used.
        mt::Complex kb = std::sqrt(s / Resistivity[NumLayers - 1]);
        for (int j = NumLayers - 2; j >= 0; --j) {
            const mt::Complex kj = std::sqrt(s / Resistivity[j]);
            const mt::Complex u = (kj / kb) * r;
            const mt::Complex a = mt::GuardedAtanh(u);
            r = mt::Tanh(kj * Thickness[j] + a);
            kb = kj;
        }
        CalcAppRes[k] = static_cast<float>(std::norm(r) * Resistivity[0]);
        CalcPhase[k] = static_cast<float>(2.0 * std::arg(r) - mt::kQuarterPi);
    }
}

int TMTSounding::ParameterCount() const
{
    return InvertThickness == 1 ? 2 * NumLayers - 1 : NumLayers;
}

double& TMTSounding::ParameterSlot(int column)
{
    return column < NumLayers ? Resistivity[column] : Thickness[column - NumLayers];
}

void TMTSounding::FillSensitivities(int rows, float* const* rowSource, const bool* logRow,
                                    float step, const float* weights)
{
    const int columns = ParameterCount();
    if (columns > kMaxParameters) {
        Refuse(std::to_string(columns) + " parameters need sensitivity columns; at most " +
               std::to_string(kMaxParameters) + " fit");
    }
    if (rows < 0 || rows > kMaxFrequencies) {
        Refuse(std::to_string(rows) + " data rows; at most " +
               std::to_string(kMaxFrequencies) + " fit");
    }
    float base[kMaxFrequencies];
    float minus[kMaxFrequencies];
    float plus[kMaxFrequencies];
    for (int i = 0; i < rows; ++i) base[i] = *rowSource[i];

    for (int j = 0; j < columns; ++j) {
        double& parameter = ParameterSlot(j);
        const float t = static_cast<float>(parameter);
        parameter = (1 - step) * t;
        ComputeResponse();
        for (int i = 0; i < rows; ++i) minus[i] = *rowSource[i];
        parameter = (1 + step) * t;
        ComputeResponse();
        for (int i = 0; i < rows; ++i) plus[i] = *rowSource[i];
        for (int i = 0; i < rows; ++i) {
            const float entry = logRow[i] ? ((plus[i] - minus[i]) / base[i]) / (2 * step)
                                          : (plus[i] - minus[i]) / (2 * t * step);
            Jacobian[i][j] = entry * weights[i];
        }
        parameter = t;
    }
    for (int i = 0; i < rows; ++i) *rowSource[i] = base[i];
}

// ---------------------------------------------------------------- TMTRes

void TMTRes::SetData(int, const int* blockSizes, const float* frequencies, const float* observed)
{
    CheckBlockSize(blockSizes[0], "the apparent-resistivity block");
    NumFreq = blockSizes[0];
    for (int k = 0; k < NumFreq; ++k) {
        Frequency[k] = frequencies[k];
        ObsAppRes[k] = observed[k];
    }
}

void TMTRes::GetResponse(float* out)
{
    std::copy(CalcAppRes, CalcAppRes + NumFreq, out);
    std::copy(CalcPhase, CalcPhase + NumFreq, out + NumFreq);
}

void TMTRes::ComputeSensitivities(const float* weights)
{
    float* rows[kMaxFrequencies];
    bool logRow[kMaxFrequencies];
    for (int i = 0; i < NumFreq; ++i) {
        rows[i] = &CalcAppRes[i];
        logRow[i] = LogMode;
    }
    FillSensitivities(NumFreq, rows, logRow, PerturbationStep, weights);
}

void TMTRes::Residuals(float* out, const float* weights)
{
    for (int i = 0; i < NumFreq; ++i) {
        out[i] = AppResResidual(ObsAppRes[i], CalcAppRes[i], LogMode) * weights[i];
    }
}

float TMTRes::Misfit(const float* weights)
{
    float sum = 0.0f;
    for (int i = 0; i < NumFreq; ++i) {
        const float weighted = AppResResidual(ObsAppRes[i], CalcAppRes[i], LogMode) * weights[i];
        sum += weighted * weighted;
    }
    return RootMeanSquare(sum, NumFreq);
}

// ---------------------------------------------------------------- TMTPhase

void TMTPhase::SetData(int, const int* blockSizes, const float* frequencies, const float* observed)
{
    CheckBlockSize(blockSizes[0], "the phase block");
    NumFreq = blockSizes[0];
    for (int k = 0; k < NumFreq; ++k) {
        Frequency[k] = frequencies[k];
        ObsPhase[k] = observed[k];
    }
}

void TMTPhase::ComputeSensitivities(const float* weights)
{
    ComputeResponse();
    float* rows[kMaxFrequencies];
    bool logRow[kMaxFrequencies];
    for (int i = 0; i < NumFreq; ++i) {
        rows[i] = &CalcPhase[i];
        logRow[i] = false;
    }
    FillSensitivities(NumFreq, rows, logRow, PerturbationStep, weights);
}

void TMTPhase::Residuals(float* out, const float* weights)
{
    for (int i = 0; i < NumFreq; ++i) {
        out[i] = (ObsPhase[i] - CalcPhase[i]) * weights[i];
    }
}

float TMTPhase::Misfit(const float* weights)
{
    float sum = 0.0f;
    for (int i = 0; i < NumFreq; ++i) {
        const float r = ObsPhase[i] - CalcPhase[i];
        sum += weights[i] * (r * r);
    }
    return RootMeanSquare(sum, NumFreq);
}

// ---------------------------------------------------------------- TMTResPhase

TMTResPhase::TMTResPhase() : NumRes(0), NumPhase(0) {}

void TMTResPhase::SetData(int blockCount, const int* blockSizes, const float* frequencies,
                          const float* observed)
{
    if (blockCount != 2) {
        mt::ShowNotice("错误提示...", "数据设置不正确。");
        return;
    }
    CheckBlockSize(blockSizes[0], "the apparent-resistivity block");
    CheckBlockSize(blockSizes[1], "the phase block");
    if (blockSizes[0] + blockSizes[1] > kMaxFrequencies) {
        Refuse("the two blocks hold " + std::to_string(blockSizes[0] + blockSizes[1]) +
               " data; at most " + std::to_string(kMaxFrequencies) + " fit");
    }
    // The response is computed at the frequencies of the longer block; datum k of either
    // block is compared with response entry k.
    NumFreq = std::max(blockSizes[0], blockSizes[1]);
    const float* source = NumFreq == blockSizes[0] ? frequencies : frequencies + blockSizes[0];
    std::copy(source, source + NumFreq, Frequency);
    NumRes = blockSizes[0];
    std::copy(observed, observed + NumRes, ObsAppRes);
    NumPhase = blockSizes[1];
    std::copy(observed + NumRes, observed + NumRes + NumPhase, ObsPhase);
}

void TMTResPhase::ComputeSensitivities(const float* weights)
{
    float* rows[kMaxFrequencies];
    bool logRow[kMaxFrequencies];
    for (int i = 0; i < NumRes; ++i) {
        rows[i] = &CalcAppRes[i];
        logRow[i] = LogMode;
    }
    for (int i = 0; i < NumPhase; ++i) {
        rows[NumRes + i] = &CalcPhase[i];
        logRow[NumRes + i] = false;
    }
    FillSensitivities(NumRes + NumPhase, rows, logRow, PerturbationStep, weights);
}

void TMTResPhase::Residuals(float* out, const float* weights)
{
    for (int i = 0; i < NumRes; ++i) {
        out[i] = AppResResidual(ObsAppRes[i], CalcAppRes[i], LogMode) * weights[i];
    }
    for (int i = 0; i < NumPhase; ++i) {
        out[NumRes + i] = (ObsPhase[i] - CalcPhase[i]) * weights[NumRes + i];
    }
}

float TMTResPhase::Misfit(const float* weights)
{
    float resSum = 0.0f;
    for (int i = 0; i < NumRes; ++i) {
        const float r = AppResResidual(ObsAppRes[i], CalcAppRes[i], LogMode);
        resSum += weights[i] * (r * r);
    }
    float phaseSum = 0.0f;
    for (int i = 0; i < NumPhase; ++i) {
        const float r = ObsPhase[i] - CalcPhase[i];
        phaseSum += weights[NumRes + i] * (r * r);
    }
    return RootMeanSquare(resSum, NumFreq) + RootMeanSquare(phaseSum, NumFreq);
}
