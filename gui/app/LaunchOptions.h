#pragma once
// The window program's own command-line options, read with QCommandLineParser. The options
// Qt takes for itself (-platform, -style, …) are removed by QApplication before these are read.
//
//   mt1d-gui                     the window
//   mt1d-gui FILE...             the window, and a sounding window for each file; a project
//                                (FILE.mt1dproj) opens its windows, as when dropped
//   mt1d-gui --columns LIST FILE...
//                                column files read with these columns (e.g.
//                                period,log10rho,log10rho_err,phase,phase_err)
//   mt1d-gui --fit FILE...       fits each sounding smoothly, then with layers, on opening
//   mt1d-gui --screenshot FILE   saves a PNG of the window once it has been painted, then quits
//                                (with sounding files: of the first sounding window)
//   mt1d-gui --measure           prints start-up and command timings, then quits (with sounding
//                                files: also the sounding window's timings on the first file)
//   mt1d-gui --lang zh|en        the windows in Chinese or English for this run (otherwise the
//                                language chosen in View → Language, at first the system's)
//   mt1d-gui --help              prints the options

#include <QString>
#include <QStringList>

namespace mt1d::gui {

struct LaunchOptions {
    enum class Action {
        kRun,     // open the window
        kHelp,    // print `text` on standard output and quit with status 0
        kRefuse,  // print `text` on standard error and quit with status 2
    };
    Action action = Action::kRun;
    QString screenshot;  // PNG to write, empty for none
    bool measure = false;
    QStringList files;   // sounding files to open, as given
    bool fit = false;    // fit each sounding on opening
    int layers = 0;      // with fit: the layered fit's layers; 0 keeps the window's
    QString columns;     // column list for column files, empty for the files' own headers
    QString language;    // "zh" or "en" as given by --lang, empty for the remembered one
    QString text;        // the help text, or what is wrong with the arguments
};

// `arguments` as QCoreApplication::arguments() gives them, the program name first.
LaunchOptions ParseLaunchOptions(const QStringList& arguments);

// Whether the command line asks for the help (-h, -?, --help, --help-all before any "--"):
// then the program answers without a display, before the window system is needed.
bool AsksForHelp(int argc, const char* const* argv);

}  // namespace mt1d::gui
