#include "gui/field/SamplingRunner.h"

#include <QtConcurrent/QtConcurrentRun>

#include <chrono>

namespace mt1d::gui::field {

namespace {

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

SamplingRunner::SamplingRunner(QObject* parent) : QObject(parent)
{
    poll_.setInterval(kProgressIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &SamplingRunner::progressed);
    connect(&watcher_, &QFutureWatcher<UncertaintyRun>::finished, this, [this] {
        poll_.stop();
        busy_ = false;
        const UncertaintyRun run = watcher_.result();
        emit finished(run);
    });
}

SamplingRunner::~SamplingRunner()
{
    // The task holds its own reference to the shared block; it only needs telling to stop.
    if (shared_) shared_->cancel.store(true);
    watcher_.disconnect();
}

bool SamplingRunner::Start(UncertaintyRequest request)
{
    if (busy_) return false;
    shared_ = std::make_shared<Shared>();
    busy_ = true;
    std::shared_ptr<Shared> shared = shared_;
    watcher_.setFuture(QtConcurrent::run([shared, request = std::move(request)] {
        const auto started = std::chrono::steady_clock::now();
        UncertaintyRun run;
        sampling::SamplingControl control;
        control.cancel = &shared->cancel;
        control.progress = [shared](const sampling::SamplingProgress& p) {
            const std::lock_guard lock(shared->mutex);
            shared->progress.started = true;
            shared->progress.last = p;
        };
        run.sampling = sampling::Sample(request.data, request.options, control);
        run.samplingMs = MsSince(started);
        if (request.layered && run.sampling.status == sampling::SamplingStatus::kCompleted) {
            {
                const std::lock_guard lock(shared->mutex);
                shared->progress.ranges = true;
            }
            fitting::RunControl rangesControl;
            rangesControl.cancel = &shared->cancel;
            run.equivalence = sampling::EquivalenceRanges(*request.layered, request.data, {}, rangesControl);
            run.rangesModel = request.layered->model;
        }
        run.cancelled = shared->cancel.load();
        run.data = request.data;
        run.elapsedMs = MsSince(started);
        return run;
    }));
    poll_.start();
    return true;
}

void SamplingRunner::Cancel()
{
    if (shared_) shared_->cancel.store(true);
}

UncertaintyProgress SamplingRunner::Progress() const
{
    if (!shared_) return {};
    const std::lock_guard lock(shared_->mutex);
    return shared_->progress;
}

}  // namespace mt1d::gui::field
