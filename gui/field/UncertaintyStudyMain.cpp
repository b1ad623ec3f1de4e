// mt1d-posterior: the uncertainty tab on real soundings, without the user.
//
//   mt1d-posterior figures DIR FILE...   posterior figures beside the fits (UncertaintyStudy.h)
//   mt1d-posterior measure FILE          timings of a default run in the tab
//
// Needs a display or QT_QPA_PLATFORM=offscreen.

#include "gui/field/UncertaintyStudy.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Window geometry and splitters from the user's settings must not change the figures.
    QTemporaryDir settingsDir;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QStringList args = app.arguments();
    args.removeFirst();
    QString out;
    if (args.size() >= 3 && args[0] == QLatin1String("figures")) {
        out = mt1d::gui::field::WritePosteriorFigures(args.mid(2), args[1], true);
    } else if (args.size() == 2 && args[0] == QLatin1String("measure")) {
        out = mt1d::gui::field::MeasureUncertaintyTab(args[1]);
    } else {
        std::fprintf(stderr, "usage: mt1d-posterior figures DIR FILE... | measure FILE\n");
        return 2;
    }
    std::fputs(out.toUtf8().constData(), stdout);
    return 0;
}
