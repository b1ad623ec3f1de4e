#include "Launcher.h"

#include "GuardedApplication.h"
#include "LaunchOptions.h"
#include "MainWindow.h"
#include "Measure.h"
#include "MessageBoxes.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <functional>

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

void Print(const QString& text)
{
    QTextStream(stdout) << text;
}

}  // namespace

int RunApplication(int& argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
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

    TForm1 form;
    int exitCode = 0;
    FirstPaint painted(form, [&] {
        if (options.measure) {
            Print(QStringLiteral("first window painted: %1 ms after main()\n"
                                 "first paint epoch: %2 ms\n")
                      .arg(static_cast<double>(sinceStart.nsecsElapsed()) / 1e6, 0, 'f', 1)
                      .arg(QDateTime::currentMSecsSinceEpoch()));
            Print(MeasureCommands(form));
            QCoreApplication::quit();
        }
        if (!options.screenshot.isEmpty()) {
            if (!form.grab().save(options.screenshot, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(options.screenshot));
                exitCode = 1;
            }
            QCoreApplication::quit();
        }
    });
    form.show();
    try {
        const int loopResult = app.exec();
        return exitCode != 0 ? exitCode : loopResult;
    } catch (...) {
        ShowErrorBox(nullptr, CurrentExceptionMessage());
        return 0;
    }
}

}  // namespace mt1d::gui
