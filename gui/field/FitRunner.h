#pragma once
// Runs a window's fit on the thread pool, so that the window never waits for it.
//
// The task owns everything it touches: a copy of the window's state and a shared block with
// the cancel flag and the latest progress. It never calls into the window; the window learns
// of the end through a QFutureWatcher it owns (so a closed window hears nothing) and polls the
// progress block with a timer. Destroying the runner asks the task to stop; the task then
// ends at its next check and its result is dropped.

#include "session/SessionCommands.h"
#include "session/Session.h"

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <mutex>

namespace mt1d::gui::field {

struct FitProgress {
    bool started = false;  // some progress has been reported
    fitting::Progress last;
};

class FitRunner : public QObject {
    Q_OBJECT

public:
    // How often the window's progress indicator is brought up to date.
    static constexpr int kProgressIntervalMs = 50;

    explicit FitRunner(QObject* parent = nullptr);
    ~FitRunner() override;

    bool Busy() const { return busy_; }
    // Starts a fit of `state` as its settings ask. Refused (false) while one runs.
    bool Start(session::Session state);
    // Asks the running fit to stop; it ends with its best model so far.
    void Cancel();
    FitProgress Progress() const;

signals:
    void progressed();
    void finished(const mt1d::session::FitOutcome& outcome);

private:
    struct Shared {
        std::atomic<bool> cancel{false};
        mutable std::mutex mutex;
        FitProgress progress;
    };

    std::shared_ptr<Shared> shared_;
    QFutureWatcher<session::FitOutcome> watcher_;
    QTimer poll_;
    bool busy_ = false;
};

}  // namespace mt1d::gui::field
