#include "gui/app/LaunchOptions.h"

#include <QCommandLineParser>

#include <string_view>

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
    const QCommandLineOption columns(
        QStringLiteral("columns"),
        QStringLiteral("The columns of column files, e.g. period,log10rho,log10rho_err,phase,phase_err."),
        QStringLiteral("list"));
    parser.addOption(screenshot);
    parser.addOption(measure);
    const QCommandLineOption fit(
        QStringLiteral("fit"),
        QStringLiteral("Fits each sounding opened, smoothly and then with layers (with --screenshot: before the picture)."));
    const QCommandLineOption layers(
        QStringLiteral("layers"), QStringLiteral("With --fit: the number of layers of the layered fit (1 to 30)."),
        QStringLiteral("n"));
    parser.addOption(columns);
    parser.addOption(fit);
    parser.addOption(layers);
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("The language of the windows for this run: zh (Chinese) or en (English). "
                       "Without it, the one chosen in View > Language; at the first start the system's."),
        QStringLiteral("zh|en"));
    parser.addOption(lang);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Sounding files to open, one window each, and projects (.mt1dproj)."),
                                 QStringLiteral("[files...]"));

    LaunchOptions options;
    const auto refuse = [&](const QString& what) {
        options.action = LaunchOptions::Action::kRefuse;
        options.text = what + QStringLiteral("\n\n") + parser.helpText();
        return options;
    };
    if (!parser.parse(arguments)) return refuse(parser.errorText());
    if (parser.isSet(help)) {
        options.action = LaunchOptions::Action::kHelp;
        options.text = parser.helpText();
        return options;
    }
    options.screenshot = parser.value(screenshot);
    options.measure = parser.isSet(measure);
    options.files = parser.positionalArguments();
    options.columns = parser.value(columns);
    options.fit = parser.isSet(fit);
    if (parser.isSet(layers)) {
        bool ok = false;
        options.layers = parser.value(layers).toInt(&ok);
        if (!ok || options.layers < 1 || options.layers > 30) {
            return refuse(QStringLiteral("--layers needs a whole number from 1 to 30"));
        }
    }
    if (parser.isSet(columns) && options.columns.isEmpty()) {
        return refuse(QStringLiteral("--columns needs a list of columns"));
    }
    if (parser.isSet(lang)) {
        options.language = parser.value(lang).trimmed().toLower();
        if (options.language != QLatin1String("zh") && options.language != QLatin1String("en")) {
            return refuse(QStringLiteral("--lang takes zh or en, not \"%1\"").arg(parser.value(lang)));
        }
    }
    if (parser.isSet(screenshot) && options.screenshot.isEmpty()) {
        return refuse(QStringLiteral("--screenshot needs a file name"));
    }
    return options;
}

bool AsksForHelp(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") return false;
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all") return true;
    }
    return false;
}

}  // namespace mt1d::gui
