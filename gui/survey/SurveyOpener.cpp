#include "gui/survey/SurveyOpener.h"

#include "batch/Batch.h"
#include "section/Section.h"
#include "gui/survey/SectionWindow.h"
#include "section/SurveyFolder.h"

#include <QFileDialog>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QProgressDialog>
#include <QtConcurrent>

#include <filesystem>

namespace mt1d::gui::survey {

namespace fs = std::filesystem;

struct SurveyOpener::Run {
    std::stop_source stop;
    QFuture<batch::BatchSummary> future;
    QPointer<QProgressDialog> progress;
    QPointer<QWidget> parent;
    QString output;
};

SurveyOpener::SurveyOpener(field::FieldWorkspace* workspace, QObject* parent) : QObject(parent), workspace_(workspace)
{
    seams.chooseFolder = [](QWidget* parent) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("打开测区 (Open survey folder)"));
    };
    seams.message = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::warning(parent, title, text);
    };
}

SurveyOpener::~SurveyOpener()
{
    if (running_) {
        running_->stop.request_stop();
        running_->future.waitForFinished();
        delete running_->progress.data();
    }
}

void SurveyOpener::ChooseAndOpen(QWidget* parent)
{
    const QString folder = seams.chooseFolder(parent);
    if (!folder.isEmpty()) Open(folder, parent);
}

void SurveyOpener::Cancel()
{
    if (running_) running_->stop.request_stop();
}

void SurveyOpener::Open(const QString& folder, QWidget* parent)
{
    const QString title = QStringLiteral("打开测区");
    if (running_) {
        seams.message(parent, title, QStringLiteral("已有测区正在拟合 (a survey is being fitted already)"));
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
                      QStringLiteral("%1: 既无测深文件也无 summary.csv (no soundings — files ending in .edi, .xml, .j, "
                                     ".avg, .dat, .csv or .txt — and no summary.csv)")
                          .arg(folder));
        return;
    }
    plan.outputDir = path / kSurveyOutputFolder;
    plan.resume = true;
    auto run = std::make_shared<Run>();
    run->parent = parent;
    run->output = QString::fromStdString(plan.outputDir.string());
    run->progress = new QProgressDialog(QStringLiteral("拟合测区 %1 …").arg(folder), QStringLiteral("取消"), 0,
                                        static_cast<int>(plan.sites.size()), parent);
    run->progress->setObjectName(QStringLiteral("SurveyProgress"));
    run->progress->setWindowModality(Qt::WindowModal);
    run->progress->setMinimumDuration(0);
    run->progress->setAutoClose(false);
    run->progress->setAutoReset(false);
    run->progress->setValue(0);
    connect(run->progress, &QProgressDialog::canceled, this, &SurveyOpener::Cancel);
    running_ = run;

    // The workers report on their own threads; the dialog is updated from the event loop.
    QPointer<QProgressDialog> dialog = run->progress;
    batch::BatchCallbacks callbacks;
    callbacks.progress = [this, dialog](const batch::BatchProgress& p) {
        const int done = static_cast<int>(p.done);
        const int failed = static_cast<int>(p.failed);
        QMetaObject::invokeMethod(this, [dialog, done, failed] {
            if (!dialog) return;
            dialog->setValue(done);
            if (failed > 0) dialog->setLabelText(dialog->labelText().section(QLatin1Char('\n'), 0, 0) +
                                                 QStringLiteral("\n%1 个测点未拟合 (failed)").arg(failed));
        }, Qt::QueuedConnection);
    };
    const std::stop_token token = run->stop.get_token();
    run->future = QtConcurrent::run([plan = std::move(plan), callbacks, token] { return batch::RunBatch(plan, callbacks, token); });
    auto* watcher = new QFutureWatcher<batch::BatchSummary>(this);
    connect(watcher, &QFutureWatcher<batch::BatchSummary>::finished, this, [this, watcher, run] {
        watcher->deleteLater();
        running_.reset();
        // Not deleted at once: a modal dialog's setValue() processes events, and this may be
        // one of them, so the dialog may be inside setValue() right now. deleteLater() waits
        // until control is back in the loop that called it.
        if (run->progress) {
            run->progress->hide();
            run->progress->deleteLater();
        }
        const batch::BatchSummary result = run->future.result();
        const QString title = QStringLiteral("打开测区");
        switch (result.status) {
        case batch::BatchStatus::kInvalidPlan:
        case batch::BatchStatus::kCannotWrite:
        case batch::BatchStatus::kFolderBusy:
            seams.message(run->parent, title, QString::fromStdString(result.message));
            break;
        case batch::BatchStatus::kCancelled:
            seams.message(run->parent, title,
                          QStringLiteral("已取消: %1 / %2 个测点已拟合, 结果在 %3 (cancelled; 再次打开测区继续)")
                              .arg(result.ok + result.failed)
                              .arg(result.rows.size())
                              .arg(run->output));
            break;
        case batch::BatchStatus::kFinished:
            ShowSection(run->output, run->parent);
            break;
        }
        emit runFinished();
    });
    watcher->setFuture(run->future);
}

void SurveyOpener::ShowSection(const QString& folder, QWidget* parent)
{
    section::Section made;
    try {
        made = section::MakeSection(section::ReadSurvey(folder.toStdString()));
    } catch (const std::exception& e) {
        seams.message(parent, QStringLiteral("打开测区"), QString::fromStdString(e.what()));
        return;
    }
    auto* window = new SectionWindow(std::move(made), folder.toStdString(), workspace_, nullptr);
    window->seams.message = seams.message;
    window->show();
    emit sectionShown(window);
}

}  // namespace mt1d::gui::survey
