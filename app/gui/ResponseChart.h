#pragma once
// One sounding curve against period: a chart view with a titled chart, a logarithmic
// period axis at the bottom, a logarithmic or linear value axis at the left and one line
// series without legend. The view owns the chart; the chart owns series and axes.

#include <QChartView>
#include <QList>
#include <QPointF>

class QLineSeries;
class QAbstractAxis;

namespace mt1d::gui {

class ResponseChart : public QChartView {
    Q_OBJECT

public:
    enum class ValueScale { Logarithmic, Linear };

    ResponseChart(const QString& title, const QString& periodTitle, const QString& valueTitle,
                  ValueScale valueScale, const QColor& lineColour, QWidget* parent = nullptr);

    QLineSeries* Series() const { return series_; }

    // Replaces the curve and fits both axes to it.
    void ShowCurve(const QList<QPointF>& points);

private:
    void FitAxes(const QList<QPointF>& points);

    ValueScale valueScale_;
    QLineSeries* series_;
    QAbstractAxis* periodAxis_;
    QAbstractAxis* valueAxis_;
};

}  // namespace mt1d::gui
