#include "gui/field/FitRunner.h"

#include <QtConcurrent/QtConcurrentRun>

namespace mt1d::gui::field {

FitRunner::FitRunner(QObject* parent) : QObject(parent)
{
    poll_.setInterval(kProgressIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &FitRunner::progressed);
    connect(&watcher_, &QFutureWatcher<session::FitOutcome>::finished, this, [this] {
        poll_.stop();
        busy_ = false;
        const session::FitOutcome outcome = watcher_.result();
        emit finished(outcome);
    });
}

FitRunner::~FitRunner()
{
    // The task keeps its own copy of the shared block; it only needs telling to stop.
    if (shared_) shared_->cancel.store(true);
    watcher_.disconnect();
}

bool FitRunner::Start(session::Session state)
{
    if (busy_) return false;
    shared_ = std::make_shared<Shared>();
    busy_ = true;
    std::shared_ptr<Shared> shared = shared_;
    watcher_.setFuture(QtConcurrent::run([shared, state = std::move(state)] {
        fitting::RunControl control;
        control.cancel = &shared->cancel;
        control.progress = [shared](const fitting::Progress& p) {
            const std::lock_guard lock(shared->mutex);
            shared->progress.started = true;
            shared->progress.last = p;
        };
        return session::RunFit(state, control);
    }));
    poll_.start();
    return true;
}

void FitRunner::Cancel()
{
    if (shared_) shared_->cancel.store(true);
}

FitProgress FitRunner::Progress() const
{
    if (!shared_) return {};
    const std::lock_guard lock(shared_->mutex);
    return shared_->progress;
}

}  // namespace mt1d::gui::field
