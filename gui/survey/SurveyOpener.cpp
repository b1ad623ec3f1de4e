#include "gui/survey/SurveyOpener.h"

#include "batch/Batch.h"
#include "section/Section.h"
#include "gui/survey/SectionWindow.h"
#include "section/SurveyFolder.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

#include <filesystem>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::survey {

namespace fs = std::filesystem;

// How often the progress dialog is brought up to date, at most.
constexpr int kProgressIntervalMs = 50;

SurveyOpener::SurveyOpener(field::FieldWorkspace* workspace, QObject* parent)
    : QObject(parent),
      workspace_(workspace),
      // The batch writes the folder the next run reads: it is waited for.
      run_(new BackgroundRun(kProgressIntervalMs, BackgroundRun::OnDestroy::kWait, this)),
      typed_(std::make_unique<Run>(run_))
{
    connect(run_, &BackgroundRun::progressed, this, &SurveyOpener::ShowProgress);
    connect(run_, &BackgroundRun::finished, this, &SurveyOpener::Finished);
    seams.chooseFolder = [](QWidget* parent) {
        return QFileDialog::getExistingDirectory(parent, Ui::tr("打开测区 (Open survey folder)"));
    };
    seams.message = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::warning(parent, title, text);
    };
}

SurveyOpener::~SurveyOpener()
{
    // A run going on is stopped and waited for first; then its dialog goes.
    delete run_;
    delete progress_.data();
}

void SurveyOpener::ChooseAndOpen(QWidget* parent)
{
    const QString folder = seams.chooseFolder(parent);
    if (!folder.isEmpty()) Open(folder, parent);
}

void SurveyOpener::Cancel() { run_->Cancel(); }

QProgressDialog* SurveyOpener::ProgressDialog() const { return progress_.data(); }

void SurveyOpener::Open(const QString& folder, QWidget* parent)
{
    const QString title = Ui::tr("打开测区");
    if (run_->Busy()) {
        seams.message(parent, title, Ui::tr("已有测区正在拟合 (a survey is being fitted already)"));
        return;
    }
    const fs::path path = folder.toStdString();
    std::error_code ec;
    if (fs::is_regular_file(path / section::kSummaryFileName, ec)) {
        ShowSection(folder, parent);
        return;
    }
    batch::BatchPlan plan;
    try {
        plan.sites = jobs::NameSites(jobs::ExpandInputs(std::vector<std::string>{path.string()}));
    } catch (const std::exception& e) {
        seams.message(parent, title, QString::fromStdString(e.what()));
        return;
    }
    if (plan.sites.empty()) {
        seams.message(parent, title,
                      Ui::tr("%1: 既无测深文件也无 summary.csv (no soundings — files ending in .edi, .xml, .j, "
                                     ".avg, .dat, .csv or .txt — and no summary.csv)")
                          .arg(folder));
        return;
    }
    plan.outputDir = path / kSurveyOutputFolder;
    plan.resume = true;
    parent_ = parent;
    output_ = QString::fromStdString(plan.outputDir.string());
    label_ = Ui::tr("拟合测区 %1 …").arg(folder);
    auto* dialog = new QProgressDialog(label_, Ui::tr("取消"), 0, static_cast<int>(plan.sites.size()), parent);
    dialog->setObjectName(QStringLiteral("SurveyProgress"));
    dialog->setWindowModality(Qt::NonModal);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setValue(0);
    connect(dialog, &QProgressDialog::canceled, this, &SurveyOpener::Cancel);
    progress_ = dialog;

    typed_->Start([plan = std::move(plan)](Run::Block& block) {
        batch::BatchCallbacks callbacks;
        // On the batch's workers: the counts go into the block, and nowhere else.
        callbacks.progress = [&block](const batch::BatchProgress& p) {
            block.Report({static_cast<int>(p.done), static_cast<int>(p.failed)});
        };
        return batch::RunBatch(plan, callbacks, block.stop.get_token());
    });
}

void SurveyOpener::ShowProgress()
{
    const auto [reported, counts] = typed_->Latest();
    if (!reported || !progress_) return;
    progress_->setValue(counts.done);
    if (counts.failed > 0) {
        progress_->setLabelText(label_ + Ui::tr("\n%1 个测点未拟合 (failed)").arg(counts.failed));
    }
}

void SurveyOpener::Finished()
{
    if (progress_) {
        progress_->hide();
        progress_->deleteLater();
        progress_.clear();
    }
    const QString title = Ui::tr("打开测区");
    const std::optional<batch::BatchSummary> outcome = typed_->Take();
    if (!outcome) {
        seams.message(parent_, title,
                      Ui::tr("测区未能拟合 (the survey could not be fitted): %1")
                          .arg(QString::fromStdString(typed_->Failure())));
        emit runFinished();
        return;
    }
    const batch::BatchSummary& result = *outcome;
    switch (result.status) {
    case batch::BatchStatus::kInvalidPlan:
    case batch::BatchStatus::kCannotWrite:
    case batch::BatchStatus::kFolderBusy:
        seams.message(parent_, title, QString::fromStdString(result.message));
        break;
    case batch::BatchStatus::kCancelled:
        seams.message(parent_, title,
                      Ui::tr("已取消: %1 / %2 个测点已拟合, 结果在 %3 (cancelled; 再次打开测区继续)")
                          .arg(result.ok + result.failed)
                          .arg(result.rows.size())
                          .arg(output_));
        break;
    case batch::BatchStatus::kFinished:
        ShowSection(output_, parent_);
        break;
    }
    emit runFinished();
}

void SurveyOpener::ShowSection(const QString& folder, QWidget* parent)
{
    section::Section made;
    try {
        made = section::MakeSection(section::ReadSurvey(folder.toStdString()));
    } catch (const std::exception& e) {
        seams.message(parent, Ui::tr("打开测区"), QString::fromStdString(e.what()));
        return;
    }
    auto* window = new SectionWindow(std::move(made), folder.toStdString(), workspace_, nullptr);
    window->seams.message = seams.message;
    window->show();
    emit sectionShown(window);
}

}  // namespace mt1d::gui::survey
