#include "gui/common/BackgroundRun.h"

#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace mt1d::gui {

void RunChannel::Notify()
{
    const std::lock_guard lock(mutex);
    if (!notified_) Post(false);
}

std::string RunChannel::Failure() const
{
    const std::lock_guard lock(mutex);
    return failure_;
}

void RunChannel::Post(bool end)
{
    if (!receiver_) return;  // the run is gone: nobody listens
    if (!end) notified_ = true;
    BackgroundRun* run = receiver_;
    const std::uint64_t generation = generation_;
    // Queued: the lambda runs on the run's thread, and not at all once the run is destroyed
    // (a QObject takes its waiting calls with it); the run clears receiver_ under our lock
    // before that, so `run` is alive here.
    QMetaObject::invokeMethod(
        run, [run, generation, end] { end ? run->End(generation) : run->Deliver(generation); }, Qt::QueuedConnection);
}

BackgroundRun::BackgroundRun(int intervalMs, OnDestroy onDestroy, QObject* parent)
    : QObject(parent), onDestroy_(onDestroy)
{
    throttle_.setSingleShot(true);
    throttle_.setInterval(intervalMs);
    connect(&throttle_, &QTimer::timeout, this, &BackgroundRun::ThrottleOver);
}

BackgroundRun::~BackgroundRun()
{
    throttle_.stop();
    if (!channel_) return;
    {
        const std::lock_guard lock(channel_->mutex);
        channel_->receiver_ = nullptr;
    }
    channel_->RequestStop();
    if (onDestroy_ == OnDestroy::kWait) future_.waitForFinished();
}

bool BackgroundRun::Start(std::shared_ptr<RunChannel> channel, std::function<void()> task)
{
    if (busy_) return false;
    if (channel_) {
        // The earlier task has ended; should it still be returning, it posts nothing more.
        const std::lock_guard lock(channel_->mutex);
        channel_->receiver_ = nullptr;
    }
    ++generation_;
    {
        const std::lock_guard lock(channel->mutex);
        channel->receiver_ = this;
        channel->generation_ = generation_;
    }
    channel_ = channel;
    busy_ = true;
    endPending_ = false;
    future_ = QtConcurrent::run([channel = std::move(channel), task = std::move(task)] {
        std::string failure;
        try {
            task();
        } catch (const std::exception& e) {
            failure = e.what();
            if (failure.empty()) failure = "the task failed";
        } catch (...) {
            failure = "the task failed";
        }
        const std::lock_guard lock(channel->mutex);
        channel->failure_ = std::move(failure);
        channel->Post(true);
    });
    return true;
}

void BackgroundRun::Cancel()
{
    if (busy_ && channel_) channel_->RequestStop();
}

void BackgroundRun::Deliver(std::uint64_t generation)
{
    if (generation != generation_ || !busy_) return;
    // Within an interval of the last progressed(): the news stays marked (the task posts no
    // more) and ThrottleOver shows it.
    if (throttle_.isActive()) return;
    {
        const std::lock_guard lock(channel_->mutex);
        channel_->notified_ = false;
    }
    throttle_.start();
    EmitProgress();
}

void BackgroundRun::ThrottleOver()
{
    if (!busy_) return;
    bool news = false;
    {
        const std::lock_guard lock(channel_->mutex);
        news = std::exchange(channel_->notified_, false);
    }
    if (!news) return;
    throttle_.start();
    EmitProgress();
}

void BackgroundRun::EmitProgress()
{
    ++emitting_;
    emit progressed();
    --emitting_;
    if (emitting_ == 0 && endPending_) {
        endPending_ = false;
        // From the event loop, not from here: our caller may be a handler's event processing.
        const std::uint64_t generation = generation_;
        QMetaObject::invokeMethod(this, [this, generation] { End(generation); }, Qt::QueuedConnection);
    }
}

void BackgroundRun::End(std::uint64_t generation)
{
    if (generation != generation_ || !busy_) return;
    if (emitting_ > 0) {
        endPending_ = true;
        return;
    }
    throttle_.stop();
    busy_ = false;
    emit finished();
}

}  // namespace mt1d::gui
