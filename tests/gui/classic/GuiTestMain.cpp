// Runs the window tests: `gui_tests [ClassName] [Qt Test options]`; without a class name, all.

#include "gui/app/GuardedApplication.h"
#include "tests/gui/classic/GuiTests.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

int main(int argc, char** argv)
{
    // Qt wants a private runtime directory; a fresh one when the session has none.
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                     | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    mt1d::gui::GuardedApplication app(argc, argv);
    // Settings go to a folder of their own, never to the user's.
    QTemporaryDir settingsDir;
    if (!settingsDir.isValid()) {
        qWarning("cannot create a temporary folder for the settings");
        return 2;
    }
    QSettings::setDefaultFormat(QSettings::IniFormat);
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
            QSettings::setPath(format, scope, settingsDir.path());
        }
    }

    const std::vector<std::pair<QString, std::function<std::unique_ptr<QObject>()>>> classes = {
        {QStringLiteral("MainWindowTest"), mt1d::test::NewMainWindowTest},
        {QStringLiteral("BoundsDialogTest"), mt1d::test::NewBoundsDialogTest},
        {QStringLiteral("PrintAboutTest"), mt1d::test::NewPrintAboutTest},
        {QStringLiteral("LaunchOptionsTest"), mt1d::test::NewLaunchOptionsTest},
        {QStringLiteral("MenuExportTest"), mt1d::test::NewMenuExportTest},
        {QStringLiteral("ChartViewTest"), mt1d::test::NewChartViewTest},
        {QStringLiteral("PlacementTest"), mt1d::test::NewPlacementTest},
        {QStringLiteral("FieldHooksTest"), mt1d::test::NewFieldHooksTest},
    };
    QStringList arguments = app.arguments();
    QString only;
    if (arguments.size() > 1 && !arguments[1].startsWith(QLatin1Char('-'))) {
        only = arguments.takeAt(1);
    }
    int failed = 0;
    bool ran = false;
    for (const auto& [name, make] : classes) {
        if (only.isEmpty() || only == name) {
            ran = true;
            const std::unique_ptr<QObject> test = make();
            failed += QTest::qExec(test.get(), arguments);
        }
    }
    if (!ran) {
        qWarning("no test class named %s", qPrintable(only));
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
