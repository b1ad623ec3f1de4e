#pragma once
// How many dimensions the earth under a sounding looks like, frequency by frequency, from its
// impedance tensor: the phase tensor's invariants (PhaseTensor.h) with the errors of β, the
// ellipticity and the strike (ErrorPropagation.h), the Swift and Bahr skews (Skew.h), a 1-D
// flag per frequency, and the site's strike (CircularMean.h).
//
// A frequency is 1-D when |β| ≤ maxSkewDeg and the ellipticity ≤ maxEllipticity (3° and 0.1
// unless set). With withinErrors, it is 1-D also when the excess over each threshold is no
// more than errorMultiple standard errors (for rows whose file gives errors). A frequency is
// 2-D when its |β| passes but its ellipticity does not: a phase tensor elongated along a
// strike. The site's strike is the error-weighted (1/σ²) mean of the strikes of the 2-D rows,
// modulo 90°, with their circular standard deviation (their spread, not the error of the
// mean); weights are equal when some 2-D row has no error.
//
// Angles in the result (α, strike) are clockwise from north: the frame of each row
// (TensorRow::rotationDeg) is added to the angles measured in it. They therefore stay the same
// when the tensor is rotated on reading (ReadOptions::rotateToDeg), and a strike θ is the
// angle to rotate to (--rotate θ) to bring x along the strike or across it. α is given in
// (−90°, 90°], the strike in [0°, 90°).
//
// Rows follow the sounding's rows (highest frequency first). A row lacking an element has
// only its frequency and a note; a row whose Re Z is singular has its skews but no phase
// tensor, and a note. Files written with e^{−iωt} were conjugated by the reader.

#include "dims/PhaseTensor.h"
#include "sounding/Sounding.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mt1d::dims {

struct DimsOptions {
    double maxSkewDeg = 3.0;      // largest |β| of a 1-D row, degrees
    double maxEllipticity = 0.1;  // largest ellipticity of a 1-D row
    bool withinErrors = false;    // also 1-D within errorMultiple standard errors of both
    double errorMultiple = 2.0;

    friend bool operator==(const DimsOptions&, const DimsOptions&) = default;
};

struct DimsRow {
    std::optional<double> frequencyHz;  // empty when the file's is not a positive number
    std::optional<double> periodS;
    std::optional<double> phiMaxDeg;  // arctan Φmax: the impedance phase over a 1-D earth
    std::optional<double> phiMinDeg;  // arctan Φmin
    std::optional<double> alphaDeg;   // from north, (−90°, 90°]; empty when Φmax = Φmin
    std::optional<double> betaDeg;    // (−90°, 90°]
    std::optional<double> betaSdDeg;  // one standard error; empty without the file's errors
    std::optional<double> strikeDeg;  // α − β from north, [0°, 90°)
    std::optional<double> strikeSdDeg;
    std::optional<double> ellipticity;
    std::optional<double> ellipticitySd;
    std::optional<double> swiftSkew;
    std::optional<double> bahrSkew;
    std::optional<bool> oneD;  // empty when there is no phase tensor
    bool twoD = false;         // |β| passes, the ellipticity does not
    std::string note;          // why values are missing ("Zxx missing"); empty when none are
    std::string notOneD;       // why the row is not 1-D ("skew 5.2° > 3°"); empty when it is
};

struct DimsResult {
    DimsOptions options;
    std::vector<DimsRow> rows;          // the sounding's rows, highest frequency first
    std::size_t computedRows = 0;       // rows with a 1-D verdict
    std::size_t oneDRows = 0;
    std::size_t twoDRows = 0;
    std::optional<double> oneDFraction;  // oneDRows / computedRows; empty when none computed
    std::optional<double> strikeDeg;     // the site's strike from north, [0°, 90°); empty without 2-D rows
    std::optional<double> strikeSdDeg;
    bool strikeWeighted = false;         // 1/σ² weights (false: equal weights)
    std::vector<std::string> notes;      // the reader's notes, then the analysis's
};

// A sounding of apparent resistivity and phase only: there is no tensor to analyse. What the
// command line turns into a refusal (exit status 2).
class NoTensorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws NoTensorError for a sounding without impedance tensor and std::invalid_argument for
// thresholds or an error multiple that are negative or not finite.
DimsResult AnalyseDimensionality(const sounding::Sounding& sounding, const DimsOptions& options = {});

}  // namespace mt1d::dims
