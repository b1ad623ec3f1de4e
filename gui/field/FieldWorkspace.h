#pragma once
// The open sounding windows of the program and what acts on all of them: opening soundings
// (from the menu, the command line or a drop), opening and saving projects. Every dialog and
// message goes through `seams`, so that tests replace them and no modal window ever waits.
//
// A file that cannot be read is named in a message with its line and problem, and nothing
// else changes. A column file without a header line that names its columns is offered again
// with a column list the user gives. Opening a project adds its windows to those open;
// saving writes every open window. A window closing with unsaved changes asks through
// seams.askSave.

#include "session/Project.h"
#include "session/Session.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace mt1d::gui::field {

class SoundingWindow;

// What a project file is called: JSON inside.
inline const QString kProjectSuffix = QStringLiteral("mt1dproj");

class FieldWorkspace : public QObject {
    Q_OBJECT

public:
    // What the user answers when a window with unsaved changes closes.
    enum class SaveAnswer { kSave, kDiscard, kCancel };

    struct Seams {
        std::function<QStringList(QWidget* parent)> chooseSoundings;
        std::function<QString(QWidget* parent)> chooseProjectToOpen;
        std::function<QString(QWidget* parent, const QString& suggested)> chooseProjectToSave;
        std::function<QString(QWidget* parent, const QString& title, const QString& suggested, const QString& filter)>
            chooseExportFile;
        // The column list for a column file the reader refused (the problem is given); empty
        // when the user declines.
        std::function<std::optional<QString>(QWidget* parent, const QString& file, const QString& problem)> askColumns;
        std::function<void(QWidget* parent, const QString& title, const QString& text)> message;
        // A window of the site closes with changes not saved: save the project, discard or cancel.
        std::function<SaveAnswer(QWidget* parent, const QString& site)> askSave;
    };

    // The seams are the program's dialogs and message boxes.
    explicit FieldWorkspace(QObject* parent = nullptr);
    ~FieldWorkspace() override;

    Seams seams;

    QList<SoundingWindow*> Windows() const;
    QString ProjectFile() const { return projectFile_; }

    // Opens one window per file that can be read and shows it; the rest are named in a
    // message each. Returns the windows opened.
    QList<SoundingWindow*> OpenSoundings(const QStringList& files, const session::ReadSettings& read = {},
                                         QWidget* parent = nullptr);
    // Reads the project and opens its windows where they stood; on a refusal shows the
    // message and changes nothing. Returns whether it opened.
    bool OpenProject(const QString& file, QWidget* parent = nullptr);
    // Writes every open window to `file` (atomically) and marks them saved; a failure is
    // shown, and the old file and the windows' marks stay as they were.
    bool SaveProjectTo(const QString& file, QWidget* parent = nullptr);
    // To the current project file, or as SaveProjectAs when there is none yet.
    bool SaveProject(QWidget* parent = nullptr);
    bool SaveProjectAs(QWidget* parent = nullptr);

    void ChooseAndOpenSoundings(QWidget* parent);
    void ChooseAndOpenProject(QWidget* parent);
    // Files dropped on a window: projects (by their suffix) and soundings.
    void OpenDropped(const QStringList& files, QWidget* parent);
    // Files as a drop takes them (projects by their suffix, in order, then the soundings read
    // with `read`); the command line gives them so. Returns every window opened.
    QList<SoundingWindow*> OpenFiles(const QStringList& files, const session::ReadSettings& read, QWidget* parent);

    // The state of every open window, as a project.
    session::Project CurrentProject() const;

signals:
    void windowOpened(mt1d::gui::field::SoundingWindow* window);

private:
    SoundingWindow* Adopt(session::Session state);
    std::optional<session::Session> ReadSounding(const QString& file, const session::ReadSettings& read, QWidget* parent);

    QList<QPointer<SoundingWindow>> windows_;
    QString projectFile_;
};

}  // namespace mt1d::gui::field
