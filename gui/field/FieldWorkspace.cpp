#include "gui/field/FieldWorkspace.h"

#include "io/AtomicFile.h"
#include "session/SessionCommands.h"
#include "sounding/ReadError.h"
#include "sounding/SoundingFile.h"
#include "gui/field/SoundingWindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

QString SoundingFilter()
{
    return Ui::tr("测点数据 (*.edi *.EDI *.xml *.XML *.j *.J *.avg *.AVG *.dat *.txt *.csv);;所有文件 (*)");
}

QString ProjectFilter()
{
    return Ui::tr("mt1d 工程 (*.%1);;所有文件 (*)").arg(QStringLiteral("mt1dproj"));
}
const QString kSuggestedColumns = QStringLiteral("period,log10rho,log10rho_err,phase,phase_err");

FieldWorkspace::Seams DialogSeams()
{
    FieldWorkspace::Seams seams;
    seams.chooseSoundings = [](QWidget* parent) {
        return QFileDialog::getOpenFileNames(parent, Ui::tr("打开测点数据"), QString(), SoundingFilter());
    };
    seams.chooseProjectToOpen = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, Ui::tr("打开工程"), QString(), ProjectFilter());
    };
    seams.chooseProjectToSave = [](QWidget* parent, const QString& suggested) {
        return QFileDialog::getSaveFileName(parent, Ui::tr("保存工程"), suggested, ProjectFilter());
    };
    seams.chooseExportFile = [](QWidget* parent, const QString& title, const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, title, suggested, filter);
    };
    seams.askColumns = [](QWidget* parent, const QString& file, const QString& problem) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(
            parent, Ui::tr("列的含义"),
            Ui::tr("%1\n\n请给出各列的含义，以逗号分隔（%2）：")
                .arg(problem, QString::fromStdString(sounding::ColumnVocabulary())),
            QLineEdit::Normal, kSuggestedColumns, &ok);
        if (!ok || text.trimmed().isEmpty()) return std::nullopt;
        (void)file;
        return text;
    };
    seams.askSave = [](QWidget* parent, const QString& site) {
        const auto answer = QMessageBox::question(
            parent, Ui::tr("保存更改"),
            Ui::tr("测点 %1 的窗口有未保存的更改（排除、拟合或手动修改的模型）。关闭前保存工程吗？").arg(site),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        if (answer == QMessageBox::Save) return FieldWorkspace::SaveAnswer::kSave;
        if (answer == QMessageBox::Discard) return FieldWorkspace::SaveAnswer::kDiscard;
        return FieldWorkspace::SaveAnswer::kCancel;
    };
    seams.message = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::warning(parent, title, text);
    };
    return seams;
}

bool IsColumnFile(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = in.read(64 * 1024);
    try {
        return sounding::DetectFormat(std::string_view(head.constData(), static_cast<std::size_t>(head.size())),
                                      file.toStdString())
               == sounding::FileFormat::kColumns;
    } catch (const sounding::ReadError&) {
        return false;
    }
}

}  // namespace

FieldWorkspace::FieldWorkspace(QObject* parent) : QObject(parent), seams(DialogSeams()) {}

FieldWorkspace::~FieldWorkspace()
{
    for (const auto& window : windows_) {
        if (window) delete window.data();
    }
}

QList<SoundingWindow*> FieldWorkspace::Windows() const
{
    QList<SoundingWindow*> open;
    for (const auto& window : windows_) {
        if (window) open << window.data();
    }
    return open;
}

SoundingWindow* FieldWorkspace::Adopt(session::Session state)
{
    auto* window = new SoundingWindow(std::move(state), this);
    windows_.removeAll(nullptr);
    windows_ << window;
    emit windowOpened(window);
    return window;
}

std::optional<session::Session> FieldWorkspace::ReadSounding(const QString& file, const session::ReadSettings& read,
                                                             QWidget* parent)
{
    session::ReadSettings settings = read;
    while (true) {
        try {
            return session::OpenSounding(file.toStdString(), settings);
        } catch (const sounding::ReadError& e) {
            // A column file whose columns are not named (no header, or words the reader does
            // not know): the user may name them. Any other fault is only shown.
            const bool columnsMissing = settings.columns.empty() && IsColumnFile(file)
                                        && (e.Problem().find("naming the columns") != std::string::npos
                                            || e.Problem().find("unknown column") != std::string::npos);
            if (!columnsMissing || !seams.askColumns) {
                seams.message(parent, Ui::tr("无法打开测点数据"), QString::fromStdString(e.what()));
                return std::nullopt;
            }
            const auto columns = seams.askColumns(parent, file, QString::fromStdString(e.what()));
            if (!columns) return std::nullopt;
            try {
                settings.columns = sounding::ParseColumnList(columns->toStdString());
            } catch (const std::invalid_argument& bad) {
                seams.message(parent, Ui::tr("无法打开测点数据"),
                              QStringLiteral("%1：%2").arg(file, QString::fromStdString(bad.what())));
                return std::nullopt;
            }
        }
    }
}

QList<SoundingWindow*> FieldWorkspace::OpenSoundings(const QStringList& files, const session::ReadSettings& read,
                                                     QWidget* parent)
{
    QList<SoundingWindow*> opened;
    for (const QString& file : files) {
        auto state = ReadSounding(file, read, parent);
        if (!state) continue;
        SoundingWindow* window = Adopt(std::move(*state));
        window->show();
        opened << window;
    }
    return opened;
}

bool FieldWorkspace::OpenProject(const QString& file, QWidget* parent)
{
    session::Project project;
    try {
        project = session::LoadProject(file.toStdString());
    } catch (const session::ProjectError& e) {
        seams.message(parent, Ui::tr("无法打开工程"), QString::fromStdString(e.what()));
        return false;
    }
    for (auto& entry : project.windows) {
        SoundingWindow* window = Adopt(std::move(entry.session));
        window->ApplyGeometry(entry.geometry);
        window->show();
    }
    projectFile_ = file;
    return true;
}

session::Project FieldWorkspace::CurrentProject() const
{
    session::Project project;
    for (SoundingWindow* window : Windows()) project.windows.push_back({window->State(), window->Geometry()});
    return project;
}

bool FieldWorkspace::SaveProjectTo(const QString& file, QWidget* parent)
{
    try {
        session::SaveProject(CurrentProject(), file.toStdString());
    } catch (const io::WriteError& e) {
        seams.message(parent, Ui::tr("无法保存工程"), QString::fromStdString(e.what()));
        return false;
    }
    projectFile_ = file;
    for (SoundingWindow* window : Windows()) window->MarkSaved();
    return true;
}

bool FieldWorkspace::SaveProject(QWidget* parent)
{
    if (projectFile_.isEmpty()) return SaveProjectAs(parent);
    return SaveProjectTo(projectFile_, parent);
}

bool FieldWorkspace::SaveProjectAs(QWidget* parent)
{
    QString file = seams.chooseProjectToSave(parent, projectFile_.isEmpty() ? Ui::tr("工程.") + kProjectSuffix : projectFile_);
    if (file.isEmpty()) return false;
    if (QFileInfo(file).suffix().isEmpty()) file += QLatin1Char('.') + kProjectSuffix;
    return SaveProjectTo(file, parent);
}

void FieldWorkspace::ChooseAndOpenSoundings(QWidget* parent)
{
    const QStringList files = seams.chooseSoundings(parent);
    if (!files.isEmpty()) OpenSoundings(files, {}, parent);
}

void FieldWorkspace::ChooseAndOpenProject(QWidget* parent)
{
    const QString file = seams.chooseProjectToOpen(parent);
    if (!file.isEmpty()) OpenProject(file, parent);
}

void FieldWorkspace::OpenDropped(const QStringList& files, QWidget* parent) { OpenFiles(files, {}, parent); }

QList<SoundingWindow*> FieldWorkspace::OpenFiles(const QStringList& files, const session::ReadSettings& read,
                                                 QWidget* parent)
{
    const QList<SoundingWindow*> before = Windows();
    QStringList soundings;
    for (const QString& file : files) {
        if (QFileInfo(file).suffix().compare(kProjectSuffix, Qt::CaseInsensitive) == 0) {
            OpenProject(file, parent);
        } else {
            soundings << file;
        }
    }
    OpenSoundings(soundings, read, parent);
    QList<SoundingWindow*> opened;
    for (SoundingWindow* window : Windows()) {
        if (!before.contains(window)) opened << window;
    }
    return opened;
}

}  // namespace mt1d::gui::field
