#pragma once
// The damping schedule of the Levenberg–Marquardt step (Nielsen 1999). The step solves
// (JᵀJ + λ·D) δ = Jᵀr with D the diagonal of JᵀJ, and the gain ratio ρ compares the actual
// decrease of χ² with the decrease the linear model predicted:
//     accepted step (ρ > 0):  λ ← λ · max(1/3, 1 − (2ρ − 1)³),  ν ← 2
//     rejected step:          λ ← λ · ν,                        ν ← 2ν
// λ never falls below kMinLambda; once it passes its ceiling (kMaxLambda unless the caller
// names another) no step can make progress.

namespace mt1d::fitting {

inline constexpr double kInitialLambda = 1e-3;
inline constexpr double kMinLambda = 1e-12;
inline constexpr double kMaxLambda = 1e16;

class Damping {
public:
    explicit Damping(double initial = kInitialLambda, double ceiling = kMaxLambda)
        : lambda_(initial), ceiling_(ceiling)
    {
    }

    double Lambda() const { return lambda_; }
    double Nu() const { return nu_; }
    bool Exhausted() const { return lambda_ > ceiling_; }

    void Accept(double gainRatio);
    void Reject();

private:
    double lambda_;
    double ceiling_;
    double nu_ = 2.0;
};

}  // namespace mt1d::fitting
