#pragma once
// The posterior probability of each number of layers (the half-space counted) as bars.

#include "sampling/SamplingResult.h"

#include <qcustomplot.h>

namespace mt1d::gui::field {

class LayerCountPlot : public QCustomPlot {
    Q_OBJECT

public:
    explicit LayerCountPlot(QWidget* parent = nullptr);

    // Shows the result's histogram; a result without samples clears it.
    void SetResult(const sampling::SamplingResult& result);
    void ClearResult();

    QCPBars* Bars() const { return bars_; }
    // The line above the bars: the most probable count and R-hat, red when R-hat warns.
    QCPTextElement* Title() const { return title_; }

private:
    QCPBars* bars_;
    QCPTextElement* title_;
};

}  // namespace mt1d::gui::field
