#include "LaunchOptions.h"

#include <QCommandLineParser>

namespace mt1d::gui {

LaunchOptions ParseLaunchOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("One-dimensional magnetotelluric sounding: the window."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Saves a PNG of the window to <file> once it has been painted, then quits."),
        QStringLiteral("file"));
    const QCommandLineOption measure(
        QStringLiteral("measure"),
        QStringLiteral("Prints start-up and command timings, then quits."));
    parser.addOption(screenshot);
    parser.addOption(measure);

    LaunchOptions options;
    const auto refuse = [&](const QString& what) {
        options.action = LaunchOptions::Action::kRefuse;
        options.text = what + QStringLiteral("\n\n") + parser.helpText();
        return options;
    };
    if (!parser.parse(arguments)) return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty()) {
        return refuse(QStringLiteral("mt1d-gui takes no file or other argument: '%1'")
                          .arg(parser.positionalArguments().first()));
    }
    if (parser.isSet(help)) {
        options.action = LaunchOptions::Action::kHelp;
        options.text = parser.helpText();
        return options;
    }
    options.screenshot = parser.value(screenshot);
    options.measure = parser.isSet(measure);
    if (parser.isSet(screenshot) && options.screenshot.isEmpty()) {
        return refuse(QStringLiteral("--screenshot needs a file name"));
    }
    return options;
}

}  // namespace mt1d::gui
