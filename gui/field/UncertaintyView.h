#pragma once
// The uncertainty tab of a sounding window: samples the posterior of the window's data
// (sampling/Sampler.h) and shows it beside the fits.
//
// Controls: samples, chains, the most layers a model may have, the seed, run and cancel, a
// progress bar and a line with the samples done, the acceptance and the current misfit.
// Plots: the posterior density against depth with P10/P50/P90, the smooth and layered fits and
// the equivalence ranges of the layered fit, the interface probability beside it, and the
// layer-count histogram. R-hat is shown under the plots, with a warning at or above 1.1.
//
// The work runs on a SamplingRunner; the tab never waits for it, and destroying the tab
// cancels it. A cancelled run leaves the previous result on show. A result computed from data
// that have since changed (mode, floor, rows) stays on show, marked as such; equivalence
// ranges are drawn only while the layered fit is the one they were found for.

#include "gui/field/LayerCountPlot.h"
#include "gui/field/PosteriorPlot.h"
#include "gui/field/SamplingRunner.h"
#include "session/Session.h"

#include <QWidget>

#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace mt1d::gui::field {

class UncertaintyView : public QWidget {
    Q_OBJECT

public:
    explicit UncertaintyView(QWidget* parent = nullptr);
    ~UncertaintyView() override;

    // The window's state: the data to sample and the fits to draw.
    void SetSession(const session::Session& state);

    // Starts a run with the settings of the controls, as the run button does; false when
    // refused (a run going on, or data that cannot be sampled: the reason is shown).
    bool Run();
    void Cancel();
    bool Busy() const { return Runner->Busy(); }

    // The run on show, if any.
    const std::optional<UncertaintyRun>& Shown() const { return shown_; }
    // Whether the data have changed since the run on show.
    bool ShownIsStale() const { return stale_; }
    // The options the controls ask for.
    sampling::SamplingOptions Options() const;

    // Writes the tab's plots as one figure (.png, .svg, .pdf); an empty string, or what went
    // wrong.
    QString ExportFigure(const QString& file, const QString& caption = {});

    // Controls and plots, for the tests that drive them.
    QSpinBox* SamplesBox;
    QSpinBox* ChainsBox;
    QSpinBox* MaxLayersBox;
    QSpinBox* SeedBox;
    QPushButton* RunButton;
    QPushButton* CancelButton;
    QProgressBar* ProgressBar;
    QLabel* StatusLabel;
    QLabel* RhatLabel;
    PosteriorPlot* Posterior;
    LayerCountPlot* LayerCounts;
    SamplingRunner* Runner;

signals:
    // A progress report has been shown.
    void progressShown();
    // A run has ended (completed, cancelled or refused) and the tab shows its outcome.
    void runFinished();

protected:
    void changeEvent(QEvent* event) override;  // the summary again in the new language

private:
    void ShowProgress();
    void RunDone(const UncertaintyRun& run);
    void ShowRun();
    void ShowRanges();
    void SetBusy(bool busy);

    fitting::SelectedData data_;
    std::optional<earth::LayeredModel> layered_;
    std::optional<session::FitOutcome> layeredOutcome_;
    std::optional<UncertaintyRun> shown_;
    bool stale_ = false;
};

}  // namespace mt1d::gui::field
