// The window program's own options, read with QCommandLineParser.

#include "tests/gui/classic/GuiTests.h"

#include "gui/app/LaunchOptions.h"

#include <QTest>

#include <vector>

using mt1d::gui::LaunchOptions;
using mt1d::gui::ParseLaunchOptions;

Q_DECLARE_METATYPE(LaunchOptions::Action)

namespace mt1d::test {

class LaunchOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void argumentsChooseWhatTheProgramDoes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<LaunchOptions::Action>("action");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<bool>("measure");
        QTest::addColumn<QString>("named");  // in the help or refusal text
        using A = LaunchOptions::Action;
        QTest::newRow("none") << QStringList{} << A::kRun << QString() << false << QString();
        QTest::newRow("screenshot") << QStringList{"--screenshot", "w.png"} << A::kRun << "w.png" << false
                                    << QString();
        QTest::newRow("screenshot=") << QStringList{"--screenshot=w.png", "--measure"} << A::kRun << "w.png"
                                     << true << QString();
        QTest::newRow("measure") << QStringList{"--measure"} << A::kRun << QString() << true << QString();
        QTest::newRow("help") << QStringList{"--help"} << A::kHelp << QString() << false << "--screenshot <file>";
        QTest::newRow("short help") << QStringList{"-h"} << A::kHelp << QString() << false << "--measure";
        QTest::newRow("unknown option") << QStringList{"--fast"} << A::kRefuse << QString() << false << "fast";
        QTest::newRow("screenshot without file") << QStringList{"--screenshot"} << A::kRefuse << QString()
                                                 << false << "screenshot";
        QTest::newRow("columns without list") << QStringList{"--columns"} << A::kRefuse << QString() << false
                                              << "columns";
        // The layer count of the window's fits: 1 to 30, a whole number.
        QTest::newRow("layers 0") << QStringList{"--fit", "--layers", "0"} << A::kRefuse << QString() << false << "--layers";
        QTest::newRow("layers 31") << QStringList{"--fit", "--layers", "31"} << A::kRefuse << QString() << false << "--layers";
        QTest::newRow("layers 2.5") << QStringList{"--fit", "--layers=2.5"} << A::kRefuse << QString() << false << "--layers";
    }

    void argumentsChooseWhatTheProgramDoes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(LaunchOptions::Action, action);
        QFETCH(QString, screenshot);
        QFETCH(bool, measure);
        QFETCH(QString, named);
        const LaunchOptions options = ParseLaunchOptions(QStringList{"mt1d-gui"} + arguments);
        QCOMPARE(options.action, action);
        QCOMPARE(options.screenshot, screenshot);
        QCOMPARE(options.measure, measure);
        QVERIFY2(options.text.contains(named), qPrintable(options.text));
    }

    // Sounding files are opened one window each, in the order given, with the column list for
    // column files.
    void fileArgumentsAreSoundingsToOpen()
    {
        const LaunchOptions options = ParseLaunchOptions(
            {"mt1d-gui", "a.edi", "--columns", "period,rho,phase", "b c.dat", "--measure"});
        QCOMPARE(options.action, LaunchOptions::Action::kRun);
        QCOMPARE(options.files, (QStringList{"a.edi", "b c.dat"}));
        QCOMPARE(options.columns, QStringLiteral("period,rho,phase"));
        QVERIFY(options.measure);
        QVERIFY(ParseLaunchOptions({"mt1d-gui"}).files.isEmpty());
        QCOMPARE(ParseLaunchOptions({"mt1d-gui", "--fit", "--layers", "5", "a.edi"}).layers, 5);
        QCOMPARE(ParseLaunchOptions({"mt1d-gui", "--layers=30"}).layers, 30);
        QVERIFY(ParseLaunchOptions({"mt1d-gui", "--help"}).text.contains(QStringLiteral("--columns <list>")));
    }

    // --lang picks the windows' language for the run; anything but zh or en is refused by name
    // (a missing check would open the windows in a language that does not exist).
    void langChoosesTheLanguageOrIsRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("language");
        QTest::newRow("absent") << QStringList{} << false << QString();
        QTest::newRow("en") << QStringList{"--lang", "en"} << false << "en";
        QTest::newRow("zh=") << QStringList{"--lang=zh", "a.edi"} << false << "zh";
        QTest::newRow("upper case") << QStringList{"--lang", "EN"} << false << "en";
        QTest::newRow("other language") << QStringList{"--lang", "fr"} << true << QString();
        QTest::newRow("empty") << QStringList{"--lang="} << true << QString();
        QTest::newRow("no value") << QStringList{"--lang"} << true << QString();
    }

    void langChoosesTheLanguageOrIsRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, refused);
        QFETCH(QString, language);
        const LaunchOptions options = ParseLaunchOptions(QStringList{"mt1d-gui"} + arguments);
        QCOMPARE(options.action == LaunchOptions::Action::kRefuse, refused);
        if (refused) {
            QVERIFY2(options.text.contains(QStringLiteral("lang")), qPrintable(options.text));
        } else {
            QCOMPARE(options.language, language);
        }
        QVERIFY(ParseLaunchOptions({"mt1d-gui", "--help"}).text.contains(QStringLiteral("--lang <zh|en>")));
    }

    // The help is recognised before the window system starts; a file called -h after "--" is a file.
    void helpIsRecognisedBeforeTheApplicationStarts()
    {
        const auto asks = [](std::initializer_list<const char*> args) {
            std::vector<const char*> argv{"mt1d-gui"};
            argv.insert(argv.end(), args);
            return mt1d::gui::AsksForHelp(static_cast<int>(argv.size()), argv.data());
        };
        QVERIFY(asks({"--help"}));
        QVERIFY(asks({"a.edi", "-h"}));
        QVERIFY(asks({"-?"}));
        QVERIFY(asks({"--help-all"}));
        QVERIFY(!asks({}));
        QVERIFY(!asks({"a.edi", "--measure"}));
        QVERIFY(!asks({"--", "-h"}));
        QVERIFY(!asks({"--helpful"}));
    }
};

std::unique_ptr<QObject> NewLaunchOptionsTest()
{
    return std::make_unique<LaunchOptionsTest>();
}

}  // namespace mt1d::test

#include "LaunchOptionsTest.moc"
