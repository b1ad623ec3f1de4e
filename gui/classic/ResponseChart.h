#pragma once
// One sounding curve against period, drawn with QCustomPlot: a title above the plot, a
// logarithmic period axis at the bottom, a logarithmic or linear value axis at the left, the
// curve as a solid line and, after an inversion, the fitted response as a dashed line. The
// legend appears only while the fitted response is shown. No zooming or dragging.

#include <QList>
#include <QPointF>
#include <QString>

#include <qcustomplot.h>

namespace mt1d::gui {

class ResponseChart : public QCustomPlot {
    Q_OBJECT

public:
    enum class ValueScale { Logarithmic, Linear };

    // Legend names of the two lines.
    // Legend names of the two lines (their Chinese sources; shown through Ui::tr).
    static constexpr char kCurveNameText[] = QT_TRANSLATE_NOOP("mt1d::gui::Ui", "正演响应");
    static constexpr char kFittedNameText[] = QT_TRANSLATE_NOOP("mt1d::gui::Ui", "反演拟合");
    static inline const QString kCurveName = QString::fromUtf8(kCurveNameText);
    static inline const QString kFittedName = QString::fromUtf8(kFittedNameText);

    ResponseChart(const QString& title, const QString& periodTitle, const QString& valueTitle,
                  ValueScale valueScale, const QColor& lineColour, QWidget* parent = nullptr);

    QCPGraph* Series() const { return series_; }
    QCPGraph* FittedSeries() const { return fitted_; }
    QCPTextElement* Title() const { return title_; }

    // Replaces the curve and the fitted response (none when empty), fits both axes to the
    // two and redraws.
    void ShowCurves(const QList<QPointF>& curve, const QList<QPointF>& fitted = {});
    // Changes the chart's title and the value axis' title, shown from the next ShowCurves.
    void SetTitles(const QString& title, const QString& valueTitle);

private:
    void FitAxes();

    ValueScale valueScale_;
    QCPTextElement* title_;
    QCPGraph* series_;
    QCPGraph* fitted_;
};

// The points of a graph in the plot's order (ascending period).
QList<QPointF> GraphPoints(const QCPGraph& graph);

}  // namespace mt1d::gui
