#pragma once
// One sounding curve against period: apparent resistivity (log–log) or impedance phase in
// degrees (log period). Observed points with error bars (filled where fitted, hollow where the
// user excluded the row), a red square around each point of a row the dimensionality analysis
// finds not 1-D, and the response of each model as a line.
//
// The user edits the data where they are drawn: a click on a point asks to leave its row out
// of fitting or take it back (pointClicked), a rectangle dragged over points asks to leave all
// of them out (rowsSelected). The plot only says which rows; the window decides.
//
// Error bars: the phase bar is φ ± δφ. The ρa bar spans ρa·10^(±σ) with σ = δρa/(ρa·ln 10),
// the error the fits weigh log10 ρa with, so that it is symmetric on the log axis and never
// reaches zero.

#include "gui/field/ModelLines.h"

#include <qcustomplot.h>

#include <QRubberBand>

#include <cstddef>
#include <optional>
#include <vector>

namespace mt1d::gui::field {

struct ObservedPoint {
    double periodS = 0.0;
    double value = 0.0;  // Ω·m or degrees
    double low = 0.0;    // lower end of the error bar
    double high = 0.0;   // upper end
    bool excluded = false;
    bool notOneD = false;  // the phase tensor says the earth is not 1-D at this period
    std::size_t row = 0;   // the row of the curve the point stands for
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

    // The row of the point nearest to a pixel of the widget, within kPickPixels; none else.
    std::optional<std::size_t> RowAt(QPoint pixel) const;
    // The rows of the points inside a rectangle of pixels, ascending.
    std::vector<std::size_t> RowsIn(const QRect& pixels) const;
    // The pixel a point is drawn at.
    QPointF PixelOf(const ObservedPoint& point) const;
    const std::vector<ObservedPoint>& Observed() const { return observed_; }

    static constexpr double kPickPixels = 8.0;
    static constexpr int kClickPixels = 4;  // a press and release closer than this are a click

    QCPGraph* Fitted() const { return fitted_; }
    QCPGraph* Excluded() const { return excluded_; }
    QCPGraph* NotOneD() const { return notOneD_; }
    QCPErrorBars* FittedBars() const { return fittedBars_; }
    QCPErrorBars* ExcludedBars() const { return excludedBars_; }
    QCPGraph* Line(ModelLine line) const { return lines_[static_cast<std::size_t>(line)]; }
    QCPGraph* CutHigh() const { return cutHigh_; }  // marks of bars cut at the top
    QCPGraph* CutLow() const { return cutLow_; }    // … at the bottom

    // The pixels of the points and of their bars inside the axis rect (what a legend must not cover).
    std::vector<QPointF> DataPixels() const;

    static constexpr double kBarReachDecades = 0.5;
    static constexpr double kBarReachDegrees = 15.0;

signals:
    void pointClicked(std::size_t row);
    void rowsSelected(const std::vector<std::size_t>& rows);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The legend's place follows from where the data are in this very layout.
    void updateLayout() override;

private:
    Quantity quantity_;
    QCPGraph* fitted_;
    QCPGraph* excluded_;
    QCPGraph* notOneD_;
    QCPErrorBars* fittedBars_;
    QCPErrorBars* excludedBars_;
    QCPGraph* cutHigh_;
    QCPGraph* cutLow_;
    std::array<QCPGraph*, 3> lines_{};
    std::vector<ObservedPoint> observed_;
    std::optional<QPoint> pressedAt_;
    QRubberBand* band_ = nullptr;
};

}  // namespace mt1d::gui::field
