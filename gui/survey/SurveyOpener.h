#pragma once
// 文件 → 打开测区… (Open survey folder…): the user chooses a folder. The output folder of a
// batch (it holds summary.csv) is shown as its section at once. A folder of soundings is
// fitted first by batch::RunBatch in the background (gui/common/BackgroundRun.h), smoothly
// with the defaults of `mt1d fit`, on every core, into <folder>/mt1d-batch (resuming: sites
// fitted by an earlier run are not fitted again), with a progress dialog whose Cancel stops
// the run; then that folder is shown. A folder that is neither, a cancelled run and a folder
// with no site to show each end in a message, and no window.
//
// The batch's workers only write their counts into the run's block; the dialog is brought up
// to date on the GUI thread. The dialog is not modal: the other windows stay usable while a
// survey is fitted (a second 打开测区… is refused with a message), and its setValue() never
// processes events, so nothing (the run's end, its parent window closing) can delete it while
// it is inside one.
//
// Every dialog and message goes through `seams`, so that tests replace them.

#include "gui/common/BackgroundRun.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace mt1d::batch {
struct BatchSummary;
}

namespace mt1d::gui::field {
class FieldWorkspace;
}

namespace mt1d::gui::survey {

class SectionWindow;

inline constexpr const char* kSurveyOutputFolder = "mt1d-batch";

class SurveyOpener : public QObject {
    Q_OBJECT

public:
    struct Seams {
        std::function<QString(QWidget* parent)> chooseFolder;
        std::function<void(QWidget* parent, const QString& title, const QString& text)> message;
    };

    explicit SurveyOpener(field::FieldWorkspace* workspace, QObject* parent = nullptr);
    ~SurveyOpener() override;  // a run still going is cancelled and waited for

    Seams seams;

    void ChooseAndOpen(QWidget* parent);
    void Open(const QString& folder, QWidget* parent);
    bool Busy() const { return run_->Busy(); }
    // The progress dialog of the run going on, if any.
    QProgressDialog* ProgressDialog() const;
    // Cancels a run in the background, as the progress dialog's Cancel does.
    void Cancel();

signals:
    void sectionShown(mt1d::gui::survey::SectionWindow* window);
    // A run in the background ended (fitted, cancelled or failed).
    void runFinished();

private:
    struct Counts {
        int done = 0;
        int failed = 0;
    };
    using Run = TypedRun<Counts, batch::BatchSummary>;

    void ShowSection(const QString& folder, QWidget* parent);
    void ShowProgress();
    void Finished();

    field::FieldWorkspace* workspace_;
    BackgroundRun* run_;
    std::unique_ptr<Run> typed_;
    QPointer<QProgressDialog> progress_;
    QPointer<QWidget> parent_;
    QString output_;
    QString label_;
};

}  // namespace mt1d::gui::survey
