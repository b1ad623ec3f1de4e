#include "gui/field/UncertaintyView.h"

#include "gui/field/FieldFigure.h"
#include "gui/field/PosteriorSeries.h"
#include "session/SessionCommands.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

constexpr int kDefaultSamples = 1'000'000;
constexpr int kMaxSamples = 100'000'000;
constexpr int kProgressSteps = 1000;  // resolution of the progress bar

QString Number(double x, int digits = 3) { return QString::number(x, 'g', digits); }

QString RhatText(double r)
{
    if (std::isnan(r)) return QStringLiteral("—");
    if (std::isinf(r)) return QStringLiteral("∞");
    return QString::number(r, 'f', 2);
}

bool SameData(const fitting::FitData& a, const fitting::FitData& b)
{
    return a.frequencies == b.frequencies && a.values == b.values && a.sigmas == b.sigmas && a.kernelRows == b.kernelRows;
}

bool SameModel(const earth::LayeredModel& a, const earth::LayeredModel& b)
{
    return a.resistivity == b.resistivity && a.thickness == b.thickness;
}

// A layered fit as the equivalence search takes it: nothing held fixed, the fit's errors.
fitting::LayeredFitResult AsLayeredFit(const session::FitOutcome& outcome)
{
    fitting::LayeredFitResult fit;
    fit.report = outcome.report;
    fit.model = outcome.model;
    fit.fixed.assign(outcome.model.ParameterCount(), false);
    fit.uncertainty.log10Sd = outcome.log10Sd;
    return fit;
}

QSpinBox* SpinBox(int low, int high, int value, const QString& tip)
{
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setValue(value);
    box->setStatusTip(tip);
    box->setToolTip(tip);
    return box;
}

}  // namespace

UncertaintyView::UncertaintyView(QWidget* parent) : QWidget(parent)
{
    Runner = new SamplingRunner(this);
    connect(Runner, &SamplingRunner::progressed, this, &UncertaintyView::ShowProgress);
    connect(Runner, &SamplingRunner::finished, this, &UncertaintyView::RunDone);

    SamplesBox = SpinBox(1000, kMaxSamples, kDefaultSamples, QStringLiteral("Samples kept after burn-in, all chains together"));
    SamplesBox->setSingleStep(100'000);
    SamplesBox->setGroupSeparatorShown(true);
    ChainsBox = SpinBox(0, static_cast<int>(sampling::kMaxChains), 0,
                        QStringLiteral("Independent chains; 0: one per core of this computer"));
    ChainsBox->setSpecialValueText(Ui::tr("每核一条"));
    MaxLayersBox = SpinBox(1, static_cast<int>(sampling::kMaxInterfacesLimit) + 1,
                           static_cast<int>(sampling::kDefaultMaxInterfaces) + 1,
                           QStringLiteral("The most layers a sampled model may have, the half-space included"));
    SeedBox = SpinBox(0, std::numeric_limits<int>::max(), 1, QStringLiteral("Seed: the same seed and chains give the same result"));
    RunButton = new QPushButton(Ui::tr("开始采样"));
    RunButton->setStatusTip(QStringLiteral("Sample the posterior of the data (and the equivalence ranges of the layered fit)"));
    CancelButton = new QPushButton(Ui::tr("取消"));
    CancelButton->setStatusTip(QStringLiteral("Stop sampling; the previous result stays"));
    ProgressBar = new QProgressBar;
    ProgressBar->setRange(0, kProgressSteps);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setMaximumWidth(200);
    StatusLabel = new QLabel(Ui::tr("尚未采样"));
    StatusLabel->setWordWrap(true);
    StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    RhatLabel = new QLabel;
    RhatLabel->setWordWrap(true);
    RhatLabel->setStatusTip(QStringLiteral("Split R-hat across chains of the misfit and of the layer count: below 1.1 the chains agree"));

    // Two rows, so that the tab stays as narrow as the window's other tab allows.
    auto* controls = new QGridLayout;
    const auto add = [&](int row, int column, const QString& label, QWidget* w) {
        controls->addWidget(new QLabel(label), row, column);
        controls->addWidget(w, row, column + 1);
    };
    add(0, 0, Ui::tr("样本数"), SamplesBox);
    add(0, 2, Ui::tr("链数"), ChainsBox);
    add(1, 0, Ui::tr("最多层数"), MaxLayersBox);
    add(1, 2, Ui::tr("随机种子"), SeedBox);
    controls->addWidget(RunButton, 0, 4);
    controls->addWidget(CancelButton, 0, 5);
    controls->addWidget(ProgressBar, 1, 4, 1, 2);
    controls->setColumnStretch(6, 1);

    Posterior = new PosteriorPlot;
    LayerCounts = new LayerCountPlot;
    auto* plots = new QSplitter(Qt::Horizontal);
    plots->addWidget(Posterior);
    plots->addWidget(LayerCounts);
    plots->setStretchFactor(0, 3);
    plots->setStretchFactor(1, 1);
    plots->setSizes({600, 240});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(StatusLabel);
    layout->addWidget(plots, 1);
    layout->addWidget(RhatLabel);

    connect(RunButton, &QPushButton::clicked, this, &UncertaintyView::Run);
    connect(CancelButton, &QPushButton::clicked, this, &UncertaintyView::Cancel);
    SetBusy(false);
}

UncertaintyView::~UncertaintyView() = default;

void UncertaintyView::SetSession(const session::Session& state)
{
    data_ = fitting::SelectData(session::CurveOf(state), session::SelectionOf(state));
    layeredOutcome_ = state.layered;
    Posterior->SetFit(ModelLine::kLayered, state.layered ? state.layered->model : earth::LayeredModel{});
    Posterior->SetFit(ModelLine::kOccam, state.occam ? state.occam->model : earth::LayeredModel{});
    const bool wasStale = stale_;
    stale_ = shown_ && (!data_.Ok() || !SameData(shown_->data, data_.data));
    ShowRanges();
    if (!shown_) Posterior->Rescale();
    if (stale_ != wasStale && !Busy()) ShowRun();
    Posterior->replot(QCustomPlot::rpQueuedReplot);
}

sampling::SamplingOptions UncertaintyView::Options() const
{
    sampling::SamplingOptions options;
    options.samples = static_cast<std::uint64_t>(SamplesBox->value());
    options.chains = static_cast<std::size_t>(ChainsBox->value());
    options.prior.maxInterfaces = static_cast<std::size_t>(MaxLayersBox->value()) - 1;
    options.seed = static_cast<std::uint64_t>(SeedBox->value());
    return options;
}

bool UncertaintyView::Run()
{
    if (Runner->Busy()) return false;
    if (!data_.Ok()) {
        StatusLabel->setText(Ui::tr("无法采样：%1").arg(QString::fromStdString(data_.error)));
        return false;
    }
    UncertaintyRequest request;
    request.data = data_.data;
    request.options = Options();
    if (layeredOutcome_) request.layered = AsLayeredFit(*layeredOutcome_);
    if (!Runner->Start(std::move(request))) return false;
    SetBusy(true);
    ProgressBar->setValue(0);
    StatusLabel->setText(Ui::tr("正在采样…"));
    return true;
}

void UncertaintyView::Cancel() { Runner->Cancel(); }

void UncertaintyView::SetBusy(bool busy)
{
    for (QWidget* w : std::initializer_list<QWidget*>{SamplesBox, ChainsBox, MaxLayersBox, SeedBox, RunButton}) {
        w->setEnabled(!busy);
    }
    CancelButton->setEnabled(busy);
    ProgressBar->setVisible(busy);
}

void UncertaintyView::ShowProgress()
{
    const UncertaintyProgress p = Runner->Progress();
    if (!p.started) return;
    if (p.ranges) {
        ProgressBar->setRange(0, 0);  // the search for ranges has no count to show
        StatusLabel->setText(Ui::tr("采样完成，正在计算层状模型的等效范围…"));
    } else {
        const auto& s = p.last;
        const double done = s.stepsTotal > 0 ? static_cast<double>(s.stepsDone) / static_cast<double>(s.stepsTotal) : 0.0;
        ProgressBar->setRange(0, kProgressSteps);
        ProgressBar->setValue(static_cast<int>(std::lround(done * kProgressSteps)));
        StatusLabel->setText(Ui::tr("正在采样%1：%2 / %3 步，接受率 %4，当前 RMS %5")
                                 .arg(s.burningIn ? Ui::tr("（预热）") : QString())
                                 .arg(QLocale().toString(static_cast<qulonglong>(s.stepsDone)))
                                 .arg(QLocale().toString(static_cast<qulonglong>(s.stepsTotal)))
                                 .arg(s.acceptance, 0, 'f', 3)
                                 .arg(s.rms, 0, 'f', 3));
    }
    emit progressShown();
}

void UncertaintyView::RunDone(const UncertaintyRun& run)
{
    SetBusy(false);
    if (run.cancelled) {
        StatusLabel->setText(shown_ ? Ui::tr("已取消：仍显示上一次的结果。") : Ui::tr("已取消。"));
    } else if (run.sampling.status == sampling::SamplingStatus::kInvalidInput) {
        StatusLabel->setText(Ui::tr("无法采样：%1").arg(QString::fromStdString(run.sampling.message)));
    } else {
        shown_ = run;
        stale_ = !data_.Ok() || !SameData(shown_->data, data_.data);
        Posterior->SetResult(run.sampling);
        LayerCounts->SetResult(run.sampling);
        Posterior->Rescale();
        ShowRanges();
        ShowRun();
        LayerCounts->replot();
    }
    Posterior->replot();
    emit runFinished();
}

void UncertaintyView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange || !shown_ || Busy()) return;
    LayerCounts->SetResult(shown_->sampling);
    ShowRun();
}

void UncertaintyView::ShowRanges()
{
    // Ranges belong to one layered model: once the fit changes they no longer hold.
    const bool current = shown_ && shown_->equivalence && shown_->equivalence->status == sampling::EquivalenceStatus::kCompleted
                         && layeredOutcome_ && SameModel(shown_->rangesModel, layeredOutcome_->model);
    if (current) {
        Posterior->SetRanges(&*shown_->equivalence, shown_->rangesModel);
    } else {
        Posterior->SetRanges(nullptr, {});
    }
}

void UncertaintyView::ShowRun()
{
    if (!shown_) return;
    const sampling::SamplingResult& r = shown_->sampling;
    QString text = Ui::tr("%1 个样本，%2 条链，预热 %3 步/链，种子 %4，用时 %5 s；层数众数 %6，采到的最佳 RMS %7")
                       .arg(QLocale().toString(static_cast<qulonglong>(r.samples)))
                       .arg(r.chains)
                       .arg(QLocale().toString(static_cast<qulonglong>(r.burnIn)))
                       .arg(r.seed)
                       .arg(shown_->samplingMs / 1000.0, 0, 'f', 2)
                       .arg(r.LayerCountMode())
                       .arg(r.bestRms, 0, 'f', 3);
    if (shown_->equivalence && shown_->equivalence->status != sampling::EquivalenceStatus::kCompleted) {
        text += Ui::tr("；等效范围未得出：%1").arg(QString::fromStdString(shown_->equivalence->message));
    } else if (shown_->equivalence) {
        text += Ui::tr("；等效范围：RMS 不超过 %1").arg(Number(shown_->equivalence->rmsLimit));
    }
    if (stale_) text += Ui::tr("。注意：数据已改变，此结果属于改变前的数据，请重新采样。");
    StatusLabel->setText(text);

    const bool warn = RhatWarns(r.rhat);
    QString rhat = Ui::tr("R-hat：失配 %1，层数 %2").arg(RhatText(r.rhat.misfit), RhatText(r.rhat.layerCount));
    if (warn) {
        rhat += Ui::tr("  ⚠ 各链结果不一致（R-hat ≥ %1 或样本太少）：后验尚不可信，请增加样本数或链数后重新采样。")
                    .arg(kRhatWarning, 0, 'f', 1);
    }
    RhatLabel->setText(rhat);
    RhatLabel->setStyleSheet(warn ? QStringLiteral("color: #b00000; font-weight: bold;") : QString());
}

QString UncertaintyView::ExportFigure(const QString& file, const QString& caption)
{
    const FigurePart parts[] = {{Posterior, QRectF(0.0, 0.0, 0.72, 1.0)}, {LayerCounts, QRectF(0.72, 0.0, 0.28, 1.0)}};
    return SaveFigure(file, std::span<const FigurePart>(parts), kFigureSize, caption);
}

}  // namespace mt1d::gui::field
