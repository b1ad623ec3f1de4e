// Runs the sounding window's tests without a display, with settings in a temporary folder so
// that no test reads or writes the user's.

#include "tests/gui/field/SoundingWindowTest.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv)
{
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    // Every format and scope: the windows name their settings file themselves (SettingsNames.h),
    // which takes the native format, and nothing may reach the user's own.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
            QSettings::setPath(format, scope, settingsDir.path());
        }
    }
    QCoreApplication::setOrganizationName(QStringLiteral("mt1d-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("field-window-tests"));
    QLocale::setDefault(QLocale::c());
    QStringList arguments = app.arguments();
    QString only;
    if (arguments.size() > 1 && !arguments[1].startsWith(QLatin1Char('-'))) only = arguments.takeAt(1);
    int failed = 0;
    const std::pair<QString, std::unique_ptr<QObject> (*)()> classes[] = {
        {QStringLiteral("SoundingWindowTest"), mt1d::test::NewSoundingWindowTest},
        {QStringLiteral("WorkspaceTest"), mt1d::test::NewWorkspaceTest},
        {QStringLiteral("UncertaintyTest"), mt1d::test::NewUncertaintyTest},
        {QStringLiteral("DimsTabTest"), mt1d::test::NewDimsTabTest},
        {QStringLiteral("UndoTest"), mt1d::test::NewUndoTest},
        {QStringLiteral("PlotLayoutTest"), mt1d::test::NewPlotLayoutTest},
    };
    bool ran = false;
    for (const auto& [name, make] : classes) {
        if (!only.isEmpty() && only != name) continue;
        ran = true;
        const std::unique_ptr<QObject> test = make();
        failed += QTest::qExec(test.get(), arguments);
    }
    if (!ran) {
        qWarning("no test class named %s", qPrintable(only));
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
