#pragma once
// One piece of work on the thread pool, owned by a window: the fits of a sounding window, the
// sampling of its uncertainty tab, the batch behind 打开测区….
//
// What keeps the windows safe while the work runs:
// - the task owns everything it touches: copies of its input and a shared block (RunChannel)
//   with the stop request, its latest progress and its result. It never calls into a widget
//   and never holds a pointer to a QObject of the owner's, smart or not;
// - its news reaches the GUI thread only as queued calls on the BackgroundRun, which lives
//   there: at most one call is waiting at any time (reports in between only overwrite the
//   block), and progressed() comes at most once per `intervalMs`;
// - the BackgroundRun tells the block when it is destroyed (under the block's lock), so that
//   a task that runs on posts nothing to it afterwards;
// - finished() never comes while a progressed() handler is on the stack. A handler may
//   process events (a modal QProgressDialog::setValue does); had the end been handled in
//   there, it could delete what the handler was still using. Such an end waits, and comes
//   from the event loop once every handler has returned. After finished(), no progressed();
// - a task that throws ends like any other, its result missing and Failure() saying why.
// Destroying the run asks the task to stop and, with OnDestroy::kWait, waits for it (a task
// that writes files the owner reads next); with kLeave the task ends on its own, with its
// copies, and its result is dropped.

#include <QFuture>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>

namespace mt1d::gui {

class BackgroundRun;

// The block a task shares with its run. `cancel` is for the fitting and sampling engines,
// `stop` for the batch; a stop request sets both. Typed runs keep their progress and result
// in a derived block, under `mutex`.
class RunChannel {
public:
    virtual ~RunChannel() = default;

    std::atomic<bool> cancel{false};
    std::stop_source stop;
    mutable std::mutex mutex;

    void RequestStop()
    {
        cancel.store(true);
        stop.request_stop();
    }
    // From the task, with `mutex` not held: there is news for the owner.
    void Notify();
    // Why the task gave no result ("" when it did), once finished() has come.
    std::string Failure() const;

private:
    friend class BackgroundRun;
    void Post(bool end);  // with `mutex` held

    BackgroundRun* receiver_ = nullptr;  // null once the run is gone
    std::uint64_t generation_ = 0;
    bool notified_ = false;  // a call to the run is waiting, or progressed() is held back
    std::string failure_;
};

class BackgroundRun : public QObject {
    Q_OBJECT

public:
    enum class OnDestroy { kLeave, kWait };

    BackgroundRun(int intervalMs, OnDestroy onDestroy, QObject* parent = nullptr);
    ~BackgroundRun() override;

    bool Busy() const { return busy_; }
    // Runs `task` on the global thread pool with `channel` as its block; refused (false)
    // while a task runs.
    bool Start(std::shared_ptr<RunChannel> channel, std::function<void()> task);
    // Asks the running task to stop; its end still comes through finished().
    void Cancel();

signals:
    void progressed();
    void finished();

private:
    friend class RunChannel;
    void Deliver(std::uint64_t generation);
    void End(std::uint64_t generation);
    void ThrottleOver();
    void EmitProgress();

    std::shared_ptr<RunChannel> channel_;
    QFuture<void> future_;
    QTimer throttle_;
    OnDestroy onDestroy_;
    std::uint64_t generation_ = 0;
    bool busy_ = false;
    int emitting_ = 0;         // progressed() handlers on the stack
    bool endPending_ = false;  // the task ended while one was
};

// A run with a typed progress report and result, both kept in the block it shares.
template <typename Progress, typename Result>
class TypedRun {
public:
    struct Block : RunChannel {
        bool reported = false;
        Progress progress{};
        std::optional<Result> result;

        // From the task: `p` is the latest progress.
        void Report(const Progress& p)
        {
            Change([&](Progress& latest) { latest = p; });
        }
        // From the task: `change` edits the latest progress.
        template <typename F>
        void Change(F&& change)
        {
            {
                const std::lock_guard lock(mutex);
                reported = true;
                change(progress);
            }
            Notify();
        }
    };

    explicit TypedRun(BackgroundRun* run) : run_(run) {}

    // `work` runs on the pool with the block and returns the result.
    bool Start(std::function<Result(Block&)> work)
    {
        auto block = std::make_shared<Block>();
        const bool started = run_->Start(block, [block = block.get(), work = std::move(work)] {
            Result result = work(*block);
            const std::lock_guard lock(block->mutex);
            block->result = std::move(result);
        });
        if (started) block_ = std::move(block);
        return started;
    }

    // Whether the task has reported, and its latest report.
    std::pair<bool, Progress> Latest() const
    {
        if (!block_) return {false, Progress{}};
        const std::lock_guard lock(block_->mutex);
        return {block_->reported, block_->progress};
    }

    // The result once finished() has come; empty when the task gave none (Failure()).
    std::optional<Result> Take()
    {
        if (!block_) return std::nullopt;
        const std::lock_guard lock(block_->mutex);
        return std::exchange(block_->result, std::nullopt);
    }

    std::string Failure() const { return block_ ? block_->Failure() : std::string(); }

private:
    BackgroundRun* run_;
    std::shared_ptr<Block> block_;
};

}  // namespace mt1d::gui
