#pragma once
// The printable report of one site as a description of its two pages, with no drawing in it:
// every text, every number and every point the pages show. render/ReportPainter.h lays it on
// A4 pages with Qt; tests read it here.
//
// Page 1: a heading (the site, its location, the mode, each fit's method and RMS), the
// apparent resistivity and the phase against period (observed points with their error bars,
// hollow where left out of the fit, and the response of each fit), and the models against
// depth with the depth of investigation.
// Page 2: each fit's model as a table, with the error factor of each resistivity and thickness
// (×/÷ 10^sd) and its range, and for layered fits the equivalence ranges of the conductance
// (h/ρ, for thin conductors) and the transverse resistance (h·ρ, for thin resistors); the
// options each fit was run with; the program and its version.
//
// Error bars as the window draws them: ρa·10^(±σ) with σ = δρa/(ρa·ln 10), and φ ± δφ.

#include "jobs/FitRecord.h"
#include "sounding/Curve.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::report {

struct PagePoint {
    double periodS = 0.0;
    double value = 0.0;
    double low = 0.0;
    double high = 0.0;
    bool excluded = false;
};

// A fit's response or its model, named as the legend names it.
struct PageFit {
    std::string name;
    std::vector<double> periodS, rhoOhmM, phaseDeg;  // response
    std::vector<double> resistivityOhmM, thicknessM;  // model (thickness one shorter)
};

struct PageTable {
    std::string title;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

struct ReportPage {
    std::string title;
    std::vector<std::string> heading;  // lines under the title
    std::vector<PagePoint> rho, phase;
    std::vector<PageFit> fits;
    double depthOfInvestigationM = 0.0;  // 0: not known
    std::vector<PageTable> tables;       // page 2
    std::vector<std::string> options;    // page 2, one line each
    std::string footer;                  // on both pages: program, version
    int pageCount = 2;
};

struct ReportInput {
    std::vector<jobs::FitRecord> fits;            // of one site; at least one
    std::optional<sounding::Curve> curve;         // the data; empty: the pages say why
    std::vector<std::size_t> excludedRows;        // rows of the curve left out of the fits
    std::string dataNote;                         // why there are no data, when there are none
};

// A factor 10^sd beyond this says nothing of the value: the table shows it as unresolved.
inline constexpr double kUnresolvedLog10Sd = 3.0;

// Throws std::invalid_argument when there is no fit.
ReportPage MakeReportPage(const ReportInput& input);

// Every line of text of the pages in reading order (what pdftotext gives back, less layout).
std::vector<std::string> PageText(const ReportPage& page);

// "mt1d 0.1.0".
std::string ProgramAndVersion();

}  // namespace mt1d::report
