#pragma once
// One sounding as read from a file: where it was measured, and per frequency either the full
// impedance tensor or apparent resistivity and phase, each with its errors where the file
// gives them. The readers (EdiReader.h, OccamReader.h, ColumnReader.h, EmtfXmlReader.h,
// JFormatReader.h, ZongeAvgReader.h, or SoundingFile.h for any of them) build it;
// CurveDerivation.h turns it into the curve of one mode; EdiWriter.h and EmtfXmlWriter.h
// write it out again.
//
// Conventions:
// - impedances in EDI field units (mV/km)/nT, so that ρa = 0.2·T·|Z|² Ω·m with T in s;
// - time dependence e^{+iωt}: a file written with e^{−iωt} is conjugated on reading (see
//   Sounding::conjugated);
// - the tensor of a row is expressed in a frame whose x axis points rotationDeg clockwise
//   from north (geographic north unless the survey says otherwise), y 90° further;
// - phases in degrees; ρa/φ rows hold the yx phase in the first quadrant (near +45°);
// - rows run from the highest frequency to the lowest, every frequency positive and
//   distinct, except rows whose frequency is unusable (not a positive finite number), which
//   come last.

#include "sounding/Curve.h"
#include "sounding/ImpedanceErrors.h"

#include <array>
#include <complex>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mt1d::sounding {

// The four tensor elements, as array indices.
enum class Component { kXx = 0, kXy = 1, kYx = 2, kYy = 3 };

// The two elements of the tipper (vertical magnetic transfer function, Hz = Tx·Hx + Ty·Hy),
// as array indices.
enum class TipperComponent { kX = 0, kY = 1 };

struct ImpedanceElement {
    std::optional<std::complex<double>> value;  // (mV/km)/nT; empty when the file has none
    // The variance as the file gives it ((mV/km)/nT)², read with the sounding's
    // varianceConvention (ImpedanceErrors.h: sqrt(variance/2) or sqrt(variance) for each
    // part). Empty when the file gives none, or gives zero, a negative value or a
    // missing-value mark: none of these is a perfect datum.
    std::optional<double> variance;
};

// One tipper element: dimensionless, in the frame of its row (e^{+iωt}, z positive down).
// Kept so that conversions between file formats carry it; no curve uses it.
struct TipperElement {
    std::optional<std::complex<double>> value;
    std::optional<double> variance;  // of the complex value; empty as for ImpedanceElement
};

struct TensorRow {
    double frequencyHz = 0.0;
    double rotationDeg = 0.0;
    std::array<ImpedanceElement, 4> z;
    std::array<TipperElement, 2> tipper;  // empty when the file has none

    ImpedanceElement& operator[](Component c) { return z[static_cast<std::size_t>(c)]; }
    const ImpedanceElement& operator[](Component c) const { return z[static_cast<std::size_t>(c)]; }
};

// Apparent resistivity and phase of one mode at one frequency, with one standard error each.
// Any of the four may be absent.
struct RhoPhaseValue {
    std::optional<double> rhoOhmM;
    std::optional<double> rhoErrOhmM;
    std::optional<double> phaseDeg;
    std::optional<double> phaseErrDeg;

    bool Empty() const { return !rhoOhmM && !phaseDeg; }
};

struct RhoPhaseRow {
    double frequencyHz = 0.0;
    double rotationDeg = 0.0;
    std::array<RhoPhaseValue, 4> byMode;  // indexed by Mode: xy, yx, det, berd

    RhoPhaseValue& operator[](Mode m) { return byMode[static_cast<std::size_t>(m)]; }
    const RhoPhaseValue& operator[](Mode m) const { return byMode[static_cast<std::size_t>(m)]; }
};

struct Location {
    std::optional<double> latitudeDeg;   // north positive
    std::optional<double> longitudeDeg;  // east positive, in (−180°, 180°]
    std::optional<double> elevationM;
};

struct Site {
    std::string name;  // DATAID (EDI), or the file name without its folder and extension
    Location location;
    // Header fields as written (EDI HEAD: DATAID, ACQBY, ACQDATE, …), UTF-8.
    std::vector<std::pair<std::string, std::string>> header;
    std::vector<std::string> info;  // free text (EDI INFO lines), UTF-8
};

// What a file held, which decides how its rows are read.
enum class SourceFormat {
    kEdiImpedance,  // EDI with impedance blocks (ZXXR …)
    kEdiSpectra,    // EDI with cross-spectra; the impedances are computed from them
    kEdiRhoPhase,   // EDI with apparent resistivity and phase blocks only
    kOccamData,     // Occam 1D data file (EMData)
    kColumns,       // column text
    kEmtfXml,       // EMTF XML (EmtfXmlReader.h)
    kJFormat,       // Jones J-format, impedance or ρa/φ blocks (JFormatReader.h)
    kZongeAvg,      // Zonge MTEdit AVG (ZongeAvgReader.h)
};

enum class DataKind { kImpedance, kRhoPhase };

struct Sounding {
    std::string sourceName;  // the file as the user named it
    SourceFormat format = SourceFormat::kEdiImpedance;
    Site site;
    DataKind kind = DataKind::kImpedance;
    std::vector<TensorRow> tensor;      // filled when kind == kImpedance
    std::vector<RhoPhaseRow> rhoPhase;  // filled when kind == kRhoPhase

    // The file used the other time convention (xy phases between −90° and 0°): every value
    // was conjugated (ρa/φ rows: phases negated) on reading.
    bool conjugated = false;
    // ρa/φ files: the yx phases were stored in the first quadrant already and kept as they
    // are (false: stored near −135° and shifted by 180° on reading, or no yx data).
    bool yxPhaseStoredFirstQuadrant = false;
    // How the impedance variances are read: detected from the file's own ρa/φ error blocks
    // where it has them, else as the user asked, else the default (see the notes).
    VarianceConvention varianceConvention = kDefaultVarianceConvention;
    // Warnings and remarks for the user, in the order they arose.
    std::vector<std::string> notes;

    std::size_t RowCount() const { return kind == DataKind::kImpedance ? tensor.size() : rhoPhase.size(); }
    double FrequencyHz(std::size_t row) const
    {
        return kind == DataKind::kImpedance ? tensor[row].frequencyHz : rhoPhase[row].frequencyHz;
    }
};

}  // namespace mt1d::sounding
