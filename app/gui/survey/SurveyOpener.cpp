#include "SurveyOpener.h"

#include "Section.h"
#include "SectionWindow.h"
#include "SurveyFit.h"
#include "SurveyFolder.h"

#include <QFileDialog>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QProgressDialog>
#include <QtConcurrent>

#include <filesystem>

namespace mt1d::gui::survey {

namespace fs = std::filesystem;

struct SurveyOpener::Run {
    std::atomic<bool> cancel{false};
    QFuture<SurveyFitResult> future;
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
        running_->cancel = true;
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
    if (running_) running_->cancel = true;
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
    const auto files = SoundingFilesIn(path);
    if (files.empty()) {
        seams.message(parent, title,
                      QStringLiteral("%1: 既无测深文件也无 summary.csv (no soundings — files ending in .edi, .dat, .csv "
                                     "or .txt — and no summary.csv)")
                          .arg(folder));
        return;
    }
    auto run = std::make_shared<Run>();
    run->parent = parent;
    run->output = QString::fromStdString((path / kSurveyOutputFolder).string());
    run->progress = new QProgressDialog(QStringLiteral("拟合测区 %1 …").arg(folder), QStringLiteral("取消"), 0,
                                        static_cast<int>(files.size()), parent);
    run->progress->setObjectName(QStringLiteral("SurveyProgress"));
    run->progress->setWindowModality(Qt::WindowModal);
    run->progress->setMinimumDuration(0);
    run->progress->setAutoClose(false);
    run->progress->setAutoReset(false);
    run->progress->setValue(0);
    connect(run->progress, &QProgressDialog::canceled, this, &SurveyOpener::Cancel);
    running_ = run;

    QPointer<QProgressDialog> dialog = run->progress;
    const auto progress = [this, dialog](std::size_t done, std::size_t) {
        QMetaObject::invokeMethod(this, [dialog, done] {
            if (dialog) dialog->setValue(static_cast<int>(done));
        }, Qt::QueuedConnection);
    };
    const fs::path output = run->output.toStdString();
    Run* raw = run.get();
    run->future = QtConcurrent::run([path, output, progress, raw] { return FitSurvey(path, output, progress, &raw->cancel); });
    auto* watcher = new QFutureWatcher<SurveyFitResult>(this);
    connect(watcher, &QFutureWatcher<SurveyFitResult>::finished, this, [this, watcher, run] {
        watcher->deleteLater();
        running_.reset();
        delete run->progress.data();
        const SurveyFitResult result = run->future.result();
        const QString title = QStringLiteral("打开测区");
        if (!result.error.empty()) {
            seams.message(run->parent, title, QString::fromStdString(result.error));
        } else if (result.cancelled) {
            seams.message(run->parent, title,
                          QStringLiteral("已取消: %1 / %2 个测点已拟合, 结果在 %3 (cancelled)")
                              .arg(result.fitted + result.failed)
                              .arg(result.total)
                              .arg(run->output));
        } else {
            ShowSection(run->output, run->parent);
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
