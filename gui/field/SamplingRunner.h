#pragma once
// Runs the uncertainty tab's work on the thread pool: the sampling of a sounding and, when
// there is a layered fit, the equivalence ranges of that fit, one after the other.
//
// Built like FitRunner: the task owns copies of its input and a shared block with the cancel
// flag and the latest progress; it never calls into a widget. The owner hears of the end
// through a QFutureWatcher it owns (a destroyed runner hears nothing) and polls the progress
// with a timer. Destroying the runner asks the task to stop; the sampler then returns within
// its progress interval (25 ms) and the result is dropped.

#include "sampling/Equivalence.h"
#include "fitting/FitData.h"
#include "fitting/LayeredFit.h"
#include "sampling/Sampler.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <mutex>
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
    // How often the owner's progress display is brought up to date.
    static constexpr int kProgressIntervalMs = 25;

    explicit SamplingRunner(QObject* parent = nullptr);
    ~SamplingRunner() override;

    bool Busy() const { return busy_; }
    // Starts a run. Refused (false) while one runs.
    bool Start(UncertaintyRequest request);
    // Asks the running task to stop.
    void Cancel();
    UncertaintyProgress Progress() const;

signals:
    void progressed();
    void finished(const mt1d::gui::field::UncertaintyRun& run);

private:
    struct Shared {
        std::atomic<bool> cancel{false};
        mutable std::mutex mutex;
        UncertaintyProgress progress;
    };

    std::shared_ptr<Shared> shared_;
    QFutureWatcher<UncertaintyRun> watcher_;
    QTimer poll_;
    bool busy_ = false;
};

}  // namespace mt1d::gui::field
