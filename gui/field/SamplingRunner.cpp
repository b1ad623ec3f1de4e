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

SamplingRunner::SamplingRunner(QObject* parent)
    : QObject(parent),
      run_(new BackgroundRun(kProgressIntervalMs, BackgroundRun::OnDestroy::kLeave, this)),
      typed_(run_)
{
    connect(run_, &BackgroundRun::progressed, this, &SamplingRunner::progressed);
    connect(run_, &BackgroundRun::finished, this, [this] {
        if (std::optional<UncertaintyRun> run = typed_.Take()) {
            emit finished(*run);
            return;
        }
        UncertaintyRun refused;
        refused.sampling.status = sampling::SamplingStatus::kInvalidInput;
        refused.sampling.message = typed_.Failure();
        emit finished(refused);
    });
}

SamplingRunner::~SamplingRunner() = default;

bool SamplingRunner::Start(UncertaintyRequest request)
{
    using Block = TypedRun<UncertaintyProgress, UncertaintyRun>::Block;
    return typed_.Start([request = std::move(request)](Block& block) {
        const auto started = std::chrono::steady_clock::now();
        UncertaintyRun run;
        sampling::SamplingControl control;
        control.cancel = &block.cancel;
        control.progress = [&block](const sampling::SamplingProgress& p) {
            block.Change([&](UncertaintyProgress& latest) {
                latest.started = true;
                latest.last = p;
            });
        };
        run.sampling = sampling::Sample(request.data, request.options, control);
        run.samplingMs = MsSince(started);
        if (request.layered && run.sampling.status == sampling::SamplingStatus::kCompleted) {
            block.Change([](UncertaintyProgress& latest) { latest.ranges = true; });
            fitting::RunControl rangesControl;
            rangesControl.cancel = &block.cancel;
            run.equivalence = sampling::EquivalenceRanges(*request.layered, request.data, {}, rangesControl);
            run.rangesModel = request.layered->model;
        }
        run.cancelled = block.cancel.load();
        run.data = request.data;
        run.elapsedMs = MsSince(started);
        return run;
    });
}

void SamplingRunner::Cancel() { run_->Cancel(); }

UncertaintyProgress SamplingRunner::Progress() const { return typed_.Latest().second; }

}  // namespace mt1d::gui::field
