#include "gui/field/FitRunner.h"

namespace mt1d::gui::field {

FitRunner::FitRunner(QObject* parent)
    : QObject(parent),
      run_(new BackgroundRun(kProgressIntervalMs, BackgroundRun::OnDestroy::kLeave, this)),
      typed_(run_)
{
    connect(run_, &BackgroundRun::progressed, this, &FitRunner::progressed);
    connect(run_, &BackgroundRun::finished, this, [this] {
        if (std::optional<session::FitOutcome> outcome = typed_.Take()) {
            emit finished(*outcome);
            return;
        }
        session::FitOutcome refused;
        refused.method = method_;
        refused.report.method = method_;
        refused.report.mode = mode_;
        refused.report.status = fitting::FitStatus::kInvalidInput;
        refused.report.message = typed_.Failure();
        emit finished(refused);
    });
}

FitRunner::~FitRunner() = default;

bool FitRunner::Start(session::Session state, session::FitStart start)
{
    const fitting::Method method = start == session::FitStart::kTable ? fitting::Method::kLayered : state.fit.method;
    const sounding::Mode mode = state.mode;
    using Block = TypedRun<fitting::Progress, session::FitOutcome>::Block;
    const bool started = typed_.Start([state = std::move(state), start](Block& block) {
        fitting::RunControl control;
        control.cancel = &block.cancel;
        control.progress = [&block](const fitting::Progress& p) { block.Report(p); };
        return session::RunFit(state, control, start);
    });
    if (started) {
        method_ = method;
        mode_ = mode;
    }
    return started;
}

bool FitRunner::StartFewestLayers(session::Session state)
{
    const sounding::Mode mode = state.mode;
    using Block = TypedRun<fitting::Progress, session::FitOutcome>::Block;
    const bool started = typed_.Start([state = std::move(state)](Block& block) {
        fitting::RunControl control;
        control.cancel = &block.cancel;
        control.progress = [&block](const fitting::Progress& p) { block.Report(p); };
        return session::RunFewestLayers(state, control);
    });
    if (started) {
        method_ = fitting::Method::kLayered;
        mode_ = mode;
    }
    return started;
}

void FitRunner::Cancel() { run_->Cancel(); }

FitProgress FitRunner::Progress() const
{
    const auto [reported, last] = typed_.Latest();
    return {reported, last};
}

}  // namespace mt1d::gui::field
