#pragma once
// The dimensionality tab of a sounding window (维度): is the earth under the sounding 1-D,
// frequency by frequency? The phase-tensor ellipses against period, filled by the skew angle
// β, with β, the ellipticity and the strike below them (error bars of one standard error,
// threshold lines dashed), a line with the share of 1-D rows and the site's strike, the
// thresholds to change, a button that leaves every row that is not 1-D out of fitting, and the
// frame of the tensor: an angle to rotate it to, or the site's strike at one click, so that xy
// and yx become the two modes of a 2-D earth.
//
// The tab analyses the sounding itself (dims::AnalyseDimensionality, well under a
// millisecond) and draws DimsFigure.h's figure of it; the window does the exclusion through
// its session, so that ticking a row or undoing brings it back, and the rotation likewise. A sounding of ρa and phase only has no
// tensor: the tab says so and shows nothing else.

#include "dims/Dimensionality.h"
#include "gui/field/DimsFigure.h"
#include "sounding/Sounding.h"

#include <QWidget>

#include <optional>

class QCPAxisRect;
class QCPColorScale;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace mt1d::gui::field {

class DimsView : public QWidget {
    Q_OBJECT

public:
    explicit DimsView(QWidget* parent = nullptr);

    // Analyses the sounding with the thresholds of the boxes and draws it.
    void SetSounding(const sounding::Sounding& sounding);
    // Shows the frame the window's tensor is in (degrees clockwise from north; empty: the
    // file's own), without asking for a rotation.
    void SetRotation(std::optional<double> rotationDeg);

    // The analysis on show; empty for a sounding without tensor.
    const std::optional<dims::DimsResult>& Result() const { return result_; }
    const DimsFigure& Figure() const { return figure_; }
    dims::DimsOptions Options() const;

    // Writes the plots as a figure (.png, .svg, .pdf); an empty string, or what went wrong.
    QString ExportFigure(const QString& file, const QString& caption = {});

    QDoubleSpinBox* MaxSkewBox;
    QDoubleSpinBox* MaxEllipticityBox;
    QLabel* SummaryLabel;
    QLabel* NoteLabel;  // shown for a sounding without tensor
    QPushButton* ExcludeButton;
    QDoubleSpinBox* RotationBox;  // the frame to rotate to, clockwise from north
    QPushButton* StrikeButton;    // rotates to the site's strike
    QCustomPlot* Plot;
    QCPAxisRect* EllipseRect;
    QCPAxisRect* BetaRect;
    QCPAxisRect* EllipticityRect;
    QCPAxisRect* StrikeRect;
    QCPColorScale* BetaScale;

signals:
    // A new analysis is on show (a new sounding or new thresholds).
    void analysed();
    // The user asks to leave out the rows that are not 1-D.
    void excludeRequested();
    // The user asks to rotate the tensor into this frame (degrees clockwise from north).
    void rotateRequested(double rotationDeg);

protected:
    void changeEvent(QEvent* event) override;  // the summary and buttons in the new language

private:
    void Analyse();
    void Draw();

    std::optional<sounding::Sounding> sounding_;
    std::optional<dims::DimsResult> result_;
    DimsFigure figure_;
    QString noTensor_;
    bool settingRotation_ = false;
};

}  // namespace mt1d::gui::field
