// The main window's File menu and drops handed to the sounding windows (FieldHooks.h): every
// entry is enabled once the workspace is installed and does what the workspace does, dropped
// files open as soundings, and Quit and About work in a sounding window too.

#include "tests/gui/classic/GuiFixture.h"
#include "tests/gui/classic/GuiTests.h"

#include "gui/app/FieldHooks.h"
#include "gui/field/FieldWorkspace.h"
#include "gui/field/SoundingWindow.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

namespace mt1d::test {

namespace {

// A small sounding whose header names its columns: a 100 Ω·m half-space (ρa 100, φ 45°).
void WriteSounding(const QString& file)
{
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write("frequency rho rho_err phase phase_err\n");
    for (const char* f : {"100", "10", "1", "0.1", "0.01"}) out.write(QByteArray(f) + " 100 5 45 1.5\n");
}

// Sends a drag of `files` over `window` and, when it is taken, the drop; returns whether the
// drag was taken.
bool Drop(QWidget* window, const QStringList& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    const QPoint at = window->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    return true;
}

}  // namespace

class FieldHooksTest : public QObject, public GuiFixture {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        sounding_ = dir_.filePath(QStringLiteral("half-space.txt"));
        WriteSounding(sounding_);
        project_ = dir_.filePath(QStringLiteral("field.mt1dproj"));
        QFile::remove(project_);
        StartWindow();
        workspace_ = std::make_unique<gui::field::FieldWorkspace>();
        auto& seams = workspace_->seams;
        seams.chooseSoundings = [this](QWidget* parent) {
            parents_ << parent;
            return QStringList{sounding_};
        };
        seams.chooseProjectToOpen = [this](QWidget* parent) {
            parents_ << parent;
            return project_;
        };
        seams.chooseProjectToSave = [this](QWidget* parent, const QString&) {
            parents_ << parent;
            ++saveQuestions_;
            return project_;
        };
        seams.message = [this](QWidget*, const QString& title, const QString& text) { messages_ << title + ": " + text; };
        parents_.clear();
        messages_.clear();
        saveQuestions_ = 0;
    }

    void cleanup()
    {
        workspace_.reset();
        FinishWindow();
        QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join(QStringLiteral("; "))));
    }

    void installedEntriesAreEnabledAndActOnTheWorkspace()
    {
        const QList<QAction*> entries = {form->OpenSoundingAction, form->OpenProjectAction, form->SaveProjectAction,
                                         form->SaveProjectAsAction};
        for (QAction* entry : entries) QVERIFY(!entry->isEnabled());
        gui::InstallFieldHooks(*form, *workspace_);
        for (QAction* entry : entries) QVERIFY2(entry->isEnabled(), qPrintable(entry->statusTip()));

        form->OpenSoundingAction->trigger();
        QCOMPARE(workspace_->Windows().size(), 1);
        QCOMPARE(workspace_->Windows().first()->State().originalPath, sounding_.toStdString());

        // Saving without a project file asks for one; the next save writes it without asking.
        form->SaveProjectAction->trigger();
        QCOMPARE(saveQuestions_, 1);
        QVERIFY(QFileInfo::exists(project_));
        QCOMPARE(workspace_->ProjectFile(), project_);
        QFile::remove(project_);
        form->SaveProjectAction->trigger();
        QCOMPARE(saveQuestions_, 1);
        QVERIFY(QFileInfo::exists(project_));
        form->SaveProjectAsAction->trigger();
        QCOMPARE(saveQuestions_, 2);

        form->OpenProjectAction->trigger();
        QCOMPARE(workspace_->Windows().size(), 2);
        // Every dialog belongs to the main window.
        QCOMPARE(parents_.size(), 4);
        for (QWidget* parent : parents_) QCOMPARE(parent, static_cast<QWidget*>(form.get()));
    }

    void droppedFilesOpenOnlyOnceInstalled()
    {
        QVERIFY(!Drop(form.get(), {sounding_}));
        gui::InstallFieldHooks(*form, *workspace_);
        QVERIFY(!Drop(form.get(), {}));  // nothing to open: the drag is not taken
        QVERIFY(Drop(form.get(), {sounding_, sounding_}));
        QCOMPARE(workspace_->Windows().size(), 2);
    }

    void quitInASoundingWindowClosesEveryWindow()
    {
        gui::InstallFieldHooks(*form, *workspace_);
        form->OpenSoundingAction->trigger();
        QCOMPARE(workspace_->Windows().size(), 1);
        gui::field::SoundingWindow* window = workspace_->Windows().first();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->QuitAction->trigger();
        QVERIFY(!form->isVisible());
        QTRY_VERIFY(workspace_->Windows().isEmpty());  // closed windows delete themselves
    }

    void aboutInASoundingWindowOpensItsBox()
    {
        gui::InstallFieldHooks(*form, *workspace_);
        form->OpenSoundingAction->trigger();
        gui::field::SoundingWindow* window = workspace_->Windows().first();
        QString text;
        driver->ExpectWindow<QMessageBox>(QStringLiteral("about box"), [&](QMessageBox* box) {
            text = box->text();
            ModalDriver::CloseLater(box);
        });
        window->AboutAction->trigger();
        QVERIFY2(text.contains(QStringLiteral("mt1d")), qPrintable(text));
    }

private:
    QTemporaryDir dir_;
    QString sounding_;
    QString project_;
    std::unique_ptr<gui::field::FieldWorkspace> workspace_;
    QList<QWidget*> parents_;
    QStringList messages_;
    int saveQuestions_ = 0;
};

std::unique_ptr<QObject> NewFieldHooksTest()
{
    return std::make_unique<FieldHooksTest>();
}

}  // namespace mt1d::test

#include "FieldHooksTest.moc"
