#include "gui/app/Launcher.h"

#include "sounding/ColumnReader.h"
#include "gui/app/FieldHooks.h"
#include "gui/field/FieldMeasure.h"
#include "gui/field/FieldWorkspace.h"
#include "gui/app/GuardedApplication.h"
#include "gui/app/LaunchOptions.h"
#include "gui/classic/MainWindow.h"
#include "gui/classic/Measure.h"
#include "gui/common/Language.h"
#include "gui/common/MessageBoxes.h"
#include "gui/common/SettingsNames.h"
#include "gui/field/SoundingWindow.h"
#include "gui/survey/SurveyOpener.h"

#include <QSpinBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace mt1d::gui {

namespace {

// Calls `then` once, from the event loop, after the watched window's first paint.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget& window, std::function<void()> then) : then_(std::move(then))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && then_) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, std::exchange(then_, {}));
        }
        return false;
    }

private:
    std::function<void()> then_;
};

// Fits the window's sounding smoothly and then with layers, and calls `then`.
void FitBoth(field::SoundingWindow* window, int layers, std::function<void()> then)
{
    if (layers > 0) window->LayersBox->setValue(layers);
    auto* connection = new QMetaObject::Connection;
    auto step = std::make_shared<int>(0);
    *connection = QObject::connect(window, &field::SoundingWindow::fitFinished, window, [=] {
        if (++*step == 1) {
            window->RunFit(fitting::Method::kLayered);
            return;
        }
        QObject::disconnect(*connection);
        delete connection;
        then();
    });
    window->RunFit(fitting::Method::kOccam);
}

void Print(const QString& text)
{
    QTextStream(stdout) << text;
}

}  // namespace

int RunApplication(int& argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (AsksForHelp(argc, argv)) {
        // No window system for the help: it is read over ssh and in scripts without a display.
        QCoreApplication core(argc, argv);
        const LaunchOptions options = ParseLaunchOptions(QCoreApplication::arguments());
        if (options.action == LaunchOptions::Action::kRefuse) {
            std::fprintf(stderr, "%s", qPrintable(options.text));
            return 2;
        }
        Print(options.text);
        return 0;
    }
    GuardedApplication app(argc, argv);
    const LaunchOptions options = ParseLaunchOptions(QCoreApplication::arguments());
    switch (options.action) {
    case LaunchOptions::Action::kHelp:
        Print(options.text);
        return 0;
    case LaunchOptions::Action::kRefuse:
        std::fprintf(stderr, "%s", qPrintable(options.text));
        return 2;
    case LaunchOptions::Action::kRun:
        break;
    }

    session::ReadSettings read;
    if (!options.columns.isEmpty()) {
        try {
            read.columns = sounding::ParseColumnList(options.columns.toStdString());
        } catch (const std::invalid_argument& e) {
            std::fprintf(stderr, "--columns: %s\n", e.what());
            return 2;
        }
    }
    QCoreApplication::setOrganizationName(kSettingsOrganisation);
    QCoreApplication::setApplicationName(kSettingsApplication);
    // The language before any window is built: --lang for this run, else the remembered one,
    // else the system's.
    Language language = LoadLanguage(SystemLanguage());
    if (!options.language.isEmpty()) ParseLanguageCode(options.language, &language);
    if (!SwitchLanguage(language)) std::fprintf(stderr, "the English translations cannot be loaded\n");

    // The sounding windows live as long as the program; they close with it.
    field::FieldWorkspace workspace;
    TForm1 form;
    InstallFieldHooks(form, workspace);
    survey::SurveyOpener surveys(&workspace);
    form.FileHooks.openSurvey = [&surveys, &form] { surveys.ChooseAndOpen(&form); };
    int exitCode = 0;
    // A run that only shows (--screenshot, --measure) ends without asking to save what --fit
    // changed: there is nobody to answer, and the question would keep the program open.
    const auto quitUnasked = [&] {
        for (field::SoundingWindow* window : workspace.Windows()) window->MarkSaved();
        QCoreApplication::quit();
    };
    const auto saveScreenshot = [&](QWidget& window) {
        if (!window.grab().save(options.screenshot, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(options.screenshot));
            exitCode = 1;
        }
        quitUnasked();
    };
    std::unique_ptr<FirstPaint> fieldPainted;
    FirstPaint painted(form, [&] {
        if (options.measure) {
            Print(QStringLiteral("first window painted: %1 ms after main()\n"
                                 "first paint epoch: %2 ms\n")
                      .arg(static_cast<double>(sinceStart.nsecsElapsed()) / 1e6, 0, 'f', 1)
                      .arg(QDateTime::currentMSecsSinceEpoch()));
            Print(MeasureCommands(form));
            if (!options.files.isEmpty()) Print(field::MeasureSoundingWindow(workspace, options.files.first(), read));
            quitUnasked();
        }
        if (!options.screenshot.isEmpty()) {
            const auto windows = workspace.Windows();
            if (options.files.isEmpty()) {
                saveScreenshot(form);
            } else if (windows.isEmpty()) {
                exitCode = 1;  // the files were refused, each with its message
                QCoreApplication::quit();
            } else {
                field::SoundingWindow* first = windows.first();
                const auto grabFirst = [&, first] {
                    fieldPainted = std::make_unique<FirstPaint>(*first->ModelPlot, [&, first] { saveScreenshot(*first); });
                    first->ModelPlot->update();
                };
                if (options.fit) {
                    FitBoth(first, options.layers, grabFirst);
                } else {
                    grabFirst();
                }
            }
        }
    });
    form.show();
    if (!options.measure) {
        // Projects (.mt1dproj) open as a drop opens them; the other files are soundings.
        const auto opened = workspace.OpenFiles(options.files, read, &form);
        if (options.fit && options.screenshot.isEmpty()) {
            for (field::SoundingWindow* window : opened) FitBoth(window, options.layers, [] {});
        }
    }
    try {
        const int loopResult = app.exec();
        return exitCode != 0 ? exitCode : loopResult;
    } catch (...) {
        ShowErrorBox(nullptr, CurrentExceptionMessage());
        return 0;
    }
}

}  // namespace mt1d::gui
