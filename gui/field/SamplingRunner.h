#pragma once
// Runs the uncertainty tab's work on the thread pool: the sampling of a sounding and, when
// there is a layered fit, the equivalence ranges of that fit, one after the other.
//
// Built like FitRunner on gui/common/BackgroundRun.h: the task owns copies of its input and
// the block it shares with the run; it never calls into a widget. Destroying the runner asks
// the task to stop; the sampler then returns within its progress interval (25 ms) and the
// result is dropped.

#include "sampling/Equivalence.h"
#include "fitting/FitData.h"
#include "fitting/LayeredFit.h"
#include "sampling/Sampler.h"

#include "gui/common/BackgroundRun.h"

#include <QObject>

#include <optional>

namespace mt1d::gui::field {

struct UncertaintyRequest {
    fitting::FitData data;
    sampling::SamplingOptions options;
    // The layered fit whose equivalence ranges to find; empty: none.
    std::optional<fitting::LayeredFitResult> layered;
};

// What one run gives.
struct UncertaintyRun {
    bool cancelled = false;  // the user stopped it: the figures are partial or missing
    sampling::SamplingResult sampling;
    std::optional<sampling::EquivalenceResult> equivalence;
    earth::LayeredModel rangesModel;  // the layered model the ranges belong to
    fitting::FitData data;            // the data that were sampled
    double elapsedMs = 0.0;           // wall time of the whole task
    double samplingMs = 0.0;          // of the sampling alone
};

struct UncertaintyProgress {
    bool started = false;  // the sampler has reported
    bool ranges = false;   // sampling is done; the equivalence ranges are being found
    sampling::SamplingProgress last;
};

class SamplingRunner : public QObject {
    Q_OBJECT

public:
    // How often the owner's progress display is brought up to date, at most.
    static constexpr int kProgressIntervalMs = 25;

    explicit SamplingRunner(QObject* parent = nullptr);
    ~SamplingRunner() override;

    bool Busy() const { return run_->Busy(); }
    // Starts a run. Refused (false) while one runs.
    bool Start(UncertaintyRequest request);
    // Asks the running task to stop.
    void Cancel();
    UncertaintyProgress Progress() const;

signals:
    void progressed();
    // A task that could not run (it threw) ends as sampling refused (kInvalidInput), with why.
    void finished(const mt1d::gui::field::UncertaintyRun& run);

private:
    BackgroundRun* run_;
    TypedRun<UncertaintyProgress, UncertaintyRun> typed_;
};

}  // namespace mt1d::gui::field
