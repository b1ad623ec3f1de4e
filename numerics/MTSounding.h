#pragma once
// One-dimensional magnetotelluric forward model of a horizontally layered earth.
//
// A model of N layers (the last one a half-space) has a resistivity ρ per layer (ohm-m) and
// a thickness per layer above the half-space (m). At each frequency f (Hz) the normalised
// impedance R is carried from the top of the half-space up to the surface,
//     R ← tanh(k_j·h_j + atanh((k_j / k_{j+1})·R)),  k_j = sqrt(−iωμ0 / ρ_j),
// starting from R = 1, and gives the apparent resistivity ρa = |R|²·ρ_0 and the phase
// 2·arg(R) − π/4 (radians). Layer parameters and all complex work are double precision;
// frequencies, data, responses, weights and sensitivities are float.
//
// The three kinds differ in the data they are compared with: TMTRes (apparent
// resistivity), TMTPhase (phase) and TMTResPhase (a block of apparent resistivities
// followed by a block of phases). Members are public: the inversion engines read the
// response and the sensitivity matrix directly.
//
// Capacities are checked at every entry point: an operation that would read or write
// outside its arrays throws std::length_error or std::invalid_argument before it changes
// anything.

#include "numerics/Capacity.h"

class VantorelBase {
public:
    VantorelBase();

    int NumLayers;                             // N, the half-space included
    double Resistivity[mt::kMaxLayers];        // ohm-m, index 0 = top layer
    double Thickness[mt::kMaxLayers];          // m; entry N−1 (the half-space) is never read
};

class TMTSounding : public VantorelBase {
public:
    TMTSounding();
    virtual ~TMTSounding() = default;

    // Parameter layout (1: N resistivities then N−1 thicknesses; else resistivities only)
    // and whether apparent-resistivity residuals and sensitivities are logarithmic.
    void SetOptions(int invertThickness, bool logMode);

    // Stores a parameter vector as the layered model and recomputes the response.
    // With InvertThickness 1, count values give N = (count + 1) / 2 layers (2N − 1 and 2N
    // both give N); otherwise N = count and 2·count values are read (resistivities, then
    // thicknesses).
    virtual void SetParameters(int count, const float* values);

    // Multiplies every parameter by exp(delta[k]) (p ← exp(ln|p| + delta[k])) and
    // recomputes the response. Thicknesses change only with InvertThickness 1.
    virtual void ApplyUpdate(const float* delta);

    // Returns the parameter count (2N − 1 with InvertThickness 1, else N) and writes
    // N resistivities followed by N − 1 thicknesses (2N − 1 floats in either layout).
    virtual void GetParameters(int& count, float* values);

    // Computes CalcAppRes and CalcPhase at the NumFreq frequencies.
    void ComputeResponse();

    int InvertThickness;
    bool LogMode;
    float Jacobian[mt::kMaxFrequencies][mt::kMaxParameters];  // row = datum, column = parameter
    int NumFreq;
    float Frequency[mt::kMaxFrequencies];    // Hz
    float ObsAppRes[mt::kMaxFrequencies];    // ohm-m
    float ObsPhase[mt::kMaxFrequencies];     // radians
    float CalcAppRes[mt::kMaxFrequencies];   // ohm-m
    float CalcPhase[mt::kMaxFrequencies];    // radians

protected:
    // Number of parameter columns of the current layout: 2N − 1 or N.
    int ParameterCount() const;
    double& ParameterSlot(int column);
    // Central differences shared by the three kinds. Data row i is the response value
    // *rowSource[i]; rows flagged in logRow take the derivative of ln ρa with respect to
    // ln p, the others the derivative with respect to p. Each entry is multiplied by
    // weights[i]. Every parameter is perturbed by ±step relative to its float value and
    // left at that float value; the data rows are restored afterwards.
    void FillSensitivities(int rows, float* const* rowSource, const bool* logRow, float step,
                           const float* weights);
};

// Fits apparent resistivity: one datum per frequency.
class TMTRes : public TMTSounding {
public:
    // blockSizes[0] frequencies and observed apparent resistivities; blockCount is not used.
    void SetData(int blockCount, const int* blockSizes, const float* frequencies,
                 const float* observed);
    // CalcAppRes[0..NumFreq−1] followed by CalcPhase[0..NumFreq−1].
    void GetResponse(float* out);
    virtual void ComputeSensitivities(const float* weights);
    void Residuals(float* out, const float* weights);
    // sqrt(Σ (w·r)² / (2·NumFreq)).
    float Misfit(const float* weights);

    static constexpr float PerturbationStep = 0.005f;
};

// Fits phase: one datum per frequency.
class TMTPhase : public TMTSounding {
public:
    void SetData(int blockCount, const int* blockSizes, const float* frequencies,
                 const float* observed);
    virtual void ComputeSensitivities(const float* weights);
    void Residuals(float* out, const float* weights);
    // sqrt(Σ w·r² / (2·NumFreq)).
    float Misfit(const float* weights);

    static constexpr float PerturbationStep = 0.005f;
};

// Fits a block of apparent resistivities followed by a block of phases.
class TMTResPhase : public TMTSounding {
public:
    TMTResPhase();
    // Exactly two blocks; any other count shows the notice "数据设置不正确。" and stores
    // nothing. The response is computed at the frequencies of the longer block.
    void SetData(int blockCount, const int* blockSizes, const float* frequencies,
                 const float* observed);
    virtual void ComputeSensitivities(const float* weights);
    void Residuals(float* out, const float* weights);
    // sqrt(Σres w·r² / (2·NumFreq)) + sqrt(Σphase w·r² / (2·NumFreq)).
    float Misfit(const float* weights);

    int NumRes;
    int NumPhase;

    static constexpr float PerturbationStep = 0.0005f;
};
