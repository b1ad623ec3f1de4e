#pragma once
// The smooth log-bounded transform that keeps a bounded parameter inside its bounds while the
// solver moves freely. The parameter x is log10 of a resistivity or thickness and a < x < b
// its bounds in the same unit; the solver works with
//     u = ln((x − a) / (b − x)),    x = a + (b − a) / (1 + e^{−u}),
//     dx/du = (x − a)(b − x) / (b − a),
// which is the identity's slope/4 at the centre and flattens towards either bound.

namespace mt1d::fitting {

struct LogBounds {
    double lower = 0.0;  // log10 of the lower bound
    double upper = 0.0;  // log10 of the upper bound
};

// Keeps x this fraction of the bound range inside the bounds before mapping it, so that a
// start on a bound maps to a finite u.
inline constexpr double kBoundMargin = 1e-9;

double ToUnbounded(double x, LogBounds bounds);
double FromUnbounded(double u, LogBounds bounds);
// dx/du at the parameter value x.
double BoundSlope(double x, LogBounds bounds);

}  // namespace mt1d::fitting
