#pragma once
// One apparent-resistivity and phase curve of a sounding for one mode: what the fits, the
// sampler, the batch and the plots read.
//
// Units and conventions: frequency in Hz, period in s, apparent resistivity ρa in Ω·m,
// impedance phase φ in degrees in the first quadrant (e^{+iωt}; the yx phase shifted by
// 180°), errors one standard error in the unit of their value. Rows run from the highest
// frequency to the lowest. Every value is finite, also in rows that are not usable (those
// hold 0 where nothing is known, and say whether their phase is known), so a curve never
// carries a NaN.

#include <string>
#include <vector>

namespace mt1d::sounding {

// Which impedance a curve is derived from: Zxy, Zyx, the determinant
// sqrt(Zxx·Zyy − Zxy·Zyx), or the Berdichevsky average (Zxy − Zyx)/2.
enum class Mode { kXy, kYx, kDet, kBerd };

struct CurveRow {
    double frequencyHz = 0.0;
    double periodS = 0.0;
    double rhoOhmM = 0.0;
    double rhoErrOhmM = 0.0;
    double phaseDeg = 0.0;
    double phaseErrDeg = 0.0;
    bool usable = false;
    std::string reason;  // why the row is not usable; empty when it is
    // Whether phaseDeg holds a phase: always in a usable row; in an unusable one only when
    // the phase is known (0 is a phase, so the value alone cannot tell).
    bool phaseKnown = false;
};

struct Curve {
    Mode mode = Mode::kDet;
    double floorPercent = 5.0;         // error floor in percent of |Z|
    std::vector<CurveRow> rows;        // highest frequency first
    std::vector<std::string> notes;    // warnings and reasons, for the user
};

}  // namespace mt1d::sounding
