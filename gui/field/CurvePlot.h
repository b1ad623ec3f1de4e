#pragma once
// One sounding curve against period: apparent resistivity (log–log) or impedance phase in
// degrees (log period). Observed points with error bars (filled where fitted, hollow where the
// user excluded the row), a red square around each point of a row the dimensionality analysis
// finds not 1-D, and the response of each model as a line.
//
// Error bars: the phase bar is φ ± δφ. The ρa bar spans ρa·10^(±σ) with σ = δρa/(ρa·ln 10),
// the error the fits weigh log10 ρa with, so that it is symmetric on the log axis and never
// reaches zero.

#include "gui/field/ModelLines.h"

#include <qcustomplot.h>

#include <vector>

namespace mt1d::gui::field {

struct ObservedPoint {
    double periodS = 0.0;
    double value = 0.0;  // Ω·m or degrees
    double low = 0.0;    // lower end of the error bar
    double high = 0.0;   // upper end
    bool excluded = false;
    bool notOneD = false;  // the phase tensor says the earth is not 1-D at this period
};

class CurvePlot : public QCustomPlot {
    Q_OBJECT

public:
    enum class Quantity { kRho, kPhase };

    explicit CurvePlot(Quantity quantity, QWidget* parent = nullptr);

    Quantity Kind() const { return quantity_; }

    void SetObserved(const std::vector<ObservedPoint>& points);
    // The response of a model at the given periods; empty hides the line.
    void SetLine(ModelLine line, const std::vector<double>& periods, const std::vector<double>& values);
    // Ranges that take in every point, bar and line.
    void Rescale();

    QCPGraph* Fitted() const { return fitted_; }
    QCPGraph* Excluded() const { return excluded_; }
    QCPGraph* NotOneD() const { return notOneD_; }
    QCPErrorBars* FittedBars() const { return fittedBars_; }
    QCPErrorBars* ExcludedBars() const { return excludedBars_; }
    QCPGraph* Line(ModelLine line) const { return lines_[static_cast<std::size_t>(line)]; }

private:
    Quantity quantity_;
    QCPGraph* fitted_;
    QCPGraph* excluded_;
    QCPGraph* notOneD_;
    QCPErrorBars* fittedBars_;
    QCPErrorBars* excludedBars_;
    std::array<QCPGraph*, 3> lines_{};
    std::vector<ObservedPoint> observed_;
};

}  // namespace mt1d::gui::field
