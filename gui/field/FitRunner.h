#pragma once
// Runs a window's fit on the thread pool, so that the window never waits for it.
//
// The task owns everything it touches: a copy of the window's state and the block it shares
// with the run (gui/common/BackgroundRun.h says how they keep apart). The window learns of
// the end through finished() and shows the progress on progressed(), both on its own thread.
// Destroying the runner asks the task to stop; the task then ends at its next check and its
// result is dropped.

#include "gui/common/BackgroundRun.h"
#include "session/SessionCommands.h"
#include "session/Session.h"

#include <QObject>

namespace mt1d::gui::field {

struct FitProgress {
    bool started = false;  // some progress has been reported
    fitting::Progress last;
};

class FitRunner : public QObject {
    Q_OBJECT

public:
    // How often the window's progress indicator is brought up to date, at most.
    static constexpr int kProgressIntervalMs = 50;

    explicit FitRunner(QObject* parent = nullptr);
    ~FitRunner() override;

    bool Busy() const { return run_->Busy(); }
    // Starts a fit of `state` as its settings ask (or from its table). Refused (false) while
    // one runs.
    bool Start(session::Session state, session::FitStart start = session::FitStart::kSettings);
    // Starts the search for the fewest layers that reach the target (session::RunFewestLayers).
    bool StartFewestLayers(session::Session state);
    // Asks the running fit to stop; it ends with its best model so far.
    void Cancel();
    FitProgress Progress() const;

signals:
    void progressed();
    // A fit that could not run (it threw) ends as a refused one: kInvalidInput, with why.
    void finished(const mt1d::session::FitOutcome& outcome);

private:
    BackgroundRun* run_;
    TypedRun<fitting::Progress, session::FitOutcome> typed_;
    fitting::Method method_ = fitting::Method::kOccam;  // of the fit going on
    sounding::Mode mode_ = sounding::Mode::kDet;
};

}  // namespace mt1d::gui::field
