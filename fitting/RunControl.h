#pragma once
// Hooks for whoever runs a fit: a window that shows progress and offers a Cancel button, a
// batch runner that stops early. The engine has no threads of its own; it calls the progress
// hook on the calling thread and reads the cancellation flag between iterations and between
// starts. A cancelled run returns the best model it has so far, with the status kCancelled.

#include "fitting/FitStatus.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>

namespace mt1d::fitting {

struct Progress {
    Method method = Method::kLayered;
    std::size_t start = 0;       // layered: the start being worked on, from 1; smooth: 0
    std::size_t startCount = 0;  // layered: how many starts the run makes; smooth: 0
    std::size_t iteration = 0;   // iterations done in this start (smooth: in the run)
    double rms = 0.0;            // of the current model
    double bestRms = 0.0;        // of the best model so far in the whole run
    std::optional<double> roughness;   // smooth fits
    std::optional<double> multiplier;  // smooth: Lagrange multiplier; layered: damping
};

struct RunControl {
    // Called after every iteration and after every start. May be empty.
    std::function<void(const Progress&)> progress;
    // When set and true, the run stops at the next check. May be null.
    const std::atomic<bool>* cancel = nullptr;

    bool Cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
    void Report(const Progress& p) const
    {
        if (progress) progress(p);
    }
};

}  // namespace mt1d::fitting
