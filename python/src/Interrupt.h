#pragma once
// Long runs (a fit, a sampling run, a survey's site) that Ctrl-C stops. The run goes on a
// thread of its own without the GIL; the calling thread waits for it and, every kSignalTick,
// takes the GIL just long enough to let Python run its signal handlers (PyErr_CheckSignals).
// When one raises (KeyboardInterrupt for Ctrl-C), the run's cancel flag is set, the run is
// waited for (a fit stops between iterations, the sampler within its progress interval) and
// its result dropped, and the exception goes to the caller. No signal handler is installed:
// Python's own handlers decide what a signal does. Python runs signal handlers on its main
// thread only; called from another thread, the run is simply waited for.

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace mt1d::python {

// How often a waiting call looks for signals: a fraction of the 0.2 s in which Ctrl-C should
// reach the caller, the rest left to the run to notice its cancel flag.
inline constexpr std::chrono::milliseconds kSignalTick{40};

// Runs `run(cancel)`, where cancel is a const std::atomic<bool>& the run polls, and returns
// its result or rethrows its exception. Call with the GIL held.
template <typename Run>
auto RunInterruptibly(Run run)
{
    using Result = std::invoke_result_t<Run&, const std::atomic<bool>&>;
    std::atomic<bool> cancel{false};
    std::optional<Result> result;
    std::exception_ptr failure;
    bool interrupted = false;
    {
        const pybind11::gil_scoped_release release;
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        std::thread worker([&] {
            try {
                result.emplace(run(static_cast<const std::atomic<bool>&>(cancel)));
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            done = true;
            finished.notify_one();
        });
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, kSignalTick, [&] { return done; })) {
            if (interrupted) continue;
            lock.unlock();
            {
                const pybind11::gil_scoped_acquire acquire;
                // On failure the exception stays set in this thread's state for error_already_set.
                interrupted = PyErr_CheckSignals() != 0;
            }
            if (interrupted) cancel.store(true, std::memory_order_relaxed);
            lock.lock();
        }
        lock.unlock();
        worker.join();
    }
    if (interrupted) {
        // The signal may have come as the run ended; the caller asked to stop all the same.
        throw pybind11::error_already_set();
    }
    if (failure) std::rethrow_exception(failure);
    return std::move(*result);
}

}  // namespace mt1d::python
