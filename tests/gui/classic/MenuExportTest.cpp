// The main window's menu bar: its entries and their English status tips, the sounding and
// project entries that follow their hooks, Quit and About, and the two exports (the charts as
// PNG, SVG or PDF; the results as CSV or JSON, compared with what mt1d writes for the same
// presses).

#include "tests/gui/classic/GuiFixture.h"
#include "tests/gui/classic/GuiTests.h"

#include "gui/classic/AboutBox.h"
#include "cli/Cli.h"
#include "gui/common/MessageBoxes.h"
#include "gui/classic/ResponseChart.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace mt1d::test {

namespace {

using Json = nlohmann::ordered_json;

// mt1d run in-process: its standard output.
std::string Mt1dOutput(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    cli::Main(args, out, err);
    return out.str();
}

QByteArray ReadAll(const QString& file)
{
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// mt1d's CSV without the rows of run `run` (those below the run table's heading that start
// with the run's number).
std::string WithoutRun(const std::string& csv, int run)
{
    const std::string prefix = std::to_string(run) + ",";
    std::istringstream in(csv);
    std::string kept;
    bool runTable = false;
    for (std::string line; std::getline(in, line);) {
        if (!(runTable && line.rfind(prefix, 0) == 0)) kept += line + "\n";
        runTable = runTable || line.rfind("run,", 0) == 0;
    }
    return kept;
}

// Pops the menu up and closes it again, as a user glancing at it: its aboutToShow runs.
void OpenAndClose(QMenu* menu)
{
    menu->popup(QPoint(0, 0));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    menu->hide();
}

}  // namespace

// Takes the URLs the program asks the desktop to open, instead of the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

class MenuExportTest : public QObject, private GuiFixture {
    Q_OBJECT

private slots:
    void initTestCase() { PinLocale(); }
    void init() { StartWindow(); }
    void cleanup() { FinishWindow(); }

    void entriesNameThemselvesInChineseAndEnglish_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        QTest::newRow("open sounding") << "OpenSoundingAction" << "文件" << "打开测点数据…" << "Open sounding…";
        QTest::newRow("open project") << "OpenProjectAction" << "文件" << "打开工程…" << "Open project…";
        QTest::newRow("open survey") << "OpenSurveyAction" << "文件" << "打开测区…" << "Open survey folder…";
        QTest::newRow("save project") << "SaveProjectAction" << "文件" << "保存工程" << "Save project";
        QTest::newRow("save project as") << "SaveProjectAsAction" << "文件" << "另存工程…" << "Save project as…";
        QTest::newRow("export figure") << "ExportFigureAction" << "文件" << "导出图件…" << "Export figure…";
        QTest::newRow("export results") << "ExportResultsAction" << "文件" << "导出结果…" << "Export results…";
        QTest::newRow("quit") << "QuitAction" << "文件" << "退出" << "Quit";
        QTest::newRow("conventional phase") << "ConventionalPhaseAction" << "视图" << "常规阻抗相位"
                                            << "Conventional impedance phase";
        QTest::newRow("user guide") << "UserGuideAction" << "帮助" << "用户指南" << "User guide";
        QTest::newRow("about") << "AboutAction" << "帮助" << "关于" << "About";
    }

    void entriesNameThemselvesInChineseAndEnglish()
    {
        QFETCH(QString, name);
        QFETCH(QString, menu);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        auto* action = form->findChild<QAction*>(name);
        QVERIFY2(action != nullptr, qPrintable(name));
        QCOMPARE(action->text(), text);
        QCOMPARE(action->statusTip(), tip);
        auto* owner = qobject_cast<QMenu*>(action->parent());
        QVERIFY(owner != nullptr);
        QCOMPARE(owner->title(), menu);
        QVERIFY(form->menuBar()->actions().contains(owner->menuAction()));
        // The tip reaches the status bar while the pointer is over the entry.
        action->showStatusText(form.get());
        QCOMPARE(form->statusBar()->currentMessage(), tip);
    }

    void menusComeInTheUsualOrder()
    {
        QStringList titles;
        for (const QAction* menu : form->menuBar()->actions()) {
            titles << menu->text();
        }
        QCOMPARE(titles, QStringList({"文件", "视图", "帮助"}));
        QVERIFY(form->menuBar()->isVisible());
    }

    void fileEntriesFollowTheirHooks_data()
    {
        QTest::addColumn<int>("hook");
        QTest::newRow("open sounding") << 0;
        QTest::newRow("open project") << 1;
        QTest::newRow("save project") << 2;
        QTest::newRow("save project as") << 3;
        QTest::newRow("open survey") << 4;
    }

    void fileEntriesFollowTheirHooks()
    {
        QFETCH(int, hook);
        const QList<QAction*> actions = {form->OpenSoundingAction, form->OpenProjectAction,
                                         form->SaveProjectAction, form->SaveProjectAsAction,
                                         form->OpenSurveyAction};
        std::function<void()> gui::FileMenuHooks::*const hooks[] = {
            &gui::FileMenuHooks::openSounding, &gui::FileMenuHooks::openProject,
            &gui::FileMenuHooks::saveProject, &gui::FileMenuHooks::saveProjectAs,
            &gui::FileMenuHooks::openSurvey};
        OpenAndClose(form->FileMenu);
        for (const QAction* action : actions) {
            QVERIFY2(!action->isEnabled(), qPrintable(action->objectName()));
        }

        int calls = 0;
        form->FileHooks.*hooks[hook] = [&calls] { ++calls; };
        OpenAndClose(form->FileMenu);
        for (int k = 0; k < actions.size(); ++k) {
            QCOMPARE(actions[k]->isEnabled(), k == hook);
        }
        actions[hook]->trigger();
        QCOMPARE(calls, 1);

        form->FileHooks.*hooks[hook] = nullptr;
        OpenAndClose(form->FileMenu);
        QVERIFY(!actions[hook]->isEnabled());
    }

    void hooksSetBeforeShowingWorkWithoutOpeningTheMenu()
    {
        form->hide();
        int calls = 0;
        form->FileHooks.openSounding = [&calls] { ++calls; };
        form->show();
        QVERIFY(form->OpenSoundingAction->isEnabled());
        form->OpenSoundingAction->trigger();
        QCOMPARE(calls, 1);
    }

    // 帮助 → 用户指南 opens the guide's first page, which links every page of the guide.
    void userGuideOpensTheGuidesFirstPage()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        form->UserGuideAction->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.size(), 1);
        const QString path = catcher.urls.front().toLocalFile();
        QVERIFY2(path.endsWith(QStringLiteral("docs/guide/README.md")), qPrintable(path));
        QFile page(path);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        for (const char* link : {"inspect.md", "fit.md", "uncertainty.md", "survey.md", "classic.md"}) {
            QVERIFY2(text.contains(QStringLiteral("](") + QLatin1String(link) + ")"), link);
        }
    }

    void quitClosesTheWindow()
    {
        form->QuitAction->trigger();
        QVERIFY(!form->isVisible());
    }

    void aboutEntryOpensTheAboutBox()
    {
        QString caption;
        driver->ExpectWindow<TAbout>(QStringLiteral("About box"), [&](TAbout* about) {
            caption = about->windowTitle();
            ModalDriver::ClickLater(about->BitBtn1);
        });
        form->AboutAction->trigger();
        QCOMPARE(caption, QStringLiteral("关于MT..."));
    }

    // ------------------------------------------------------------------ figure

    void figureIsWrittenInTheFormatOfItsSuffix_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("png") << "figure.png";
        QTest::newRow("svg") << "figure.svg";
        QTest::newRow("pdf") << "figure.pdf";
        QTest::newRow("upper-case suffix") << "FIGURE.PNG";
    }

    void figureIsWrittenInTheFormatOfItsSuffix()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        QString caption;
        QStringList filters;
        form->ChooseSaveFile = [&](QWidget*, const QString& c, const QStringList& f) {
            caption = c;
            filters = f;
            return file;
        };
        form->ExportFigureAction->trigger();
        QCOMPARE(caption, QStringLiteral("导出图件"));
        QCOMPARE(filters.size(), 3);
        QVERIFY(filters.join(QLatin1Char(' ')).contains(QStringLiteral("*.svg")));

        // The two charts one below the other, each at its size on screen.
        const QSize figure(425, 169 + 185);
        const QByteArray content = ReadAll(file);
        const QString suffix = name.section(QLatin1Char('.'), -1).toLower();
        if (suffix == QLatin1String("png")) {
            QVERIFY(content.startsWith("\x89PNG\r\n\x1a\n"));
            const QImage image = QImage::fromData(content, "PNG");
            QCOMPARE(image.size(), figure * 3);  // three pixels per screen pixel
            // Drawn, not blank: the top chart's green curve is in the picture.
            bool green = false;
            for (int y = 0; y < image.height() / 2 && !green; ++y) {
                for (int x = 0; x < image.width() && !green; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    green = c.green() > 100 && c.red() < 60 && c.blue() < 60;
                }
            }
            QVERIFY(green);
        } else if (suffix == QLatin1String("svg")) {
            QSvgRenderer svg(content);
            QVERIFY(svg.isValid());
            QCOMPARE(svg.viewBox().size(), figure);
            // Titles stay text, and the phase chart sits below the resistivity chart.
            const QString text = QString::fromUtf8(content);
            QVERIFY(text.contains(QStringLiteral("视电阻率曲线")));
            QVERIFY(text.contains(QStringLiteral("相位")));
            QVERIFY(text.indexOf(QStringLiteral("视电阻率曲线")) < text.indexOf(QStringLiteral(">相位<")));
        } else {
            QVERIFY(content.startsWith("%PDF"));
            QCOMPARE(content.count("/Type /Page\n") + content.count("/Type /Page "), 1);
            // The page is the figure: 425 × 354 screen pixels at 96 per inch are
            // 318.75 × 265.5 points; the writer rounds the page to whole points.
            static const QRegularExpression mediaBox(
                QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
            const QRegularExpressionMatch page = mediaBox.match(QString::fromLatin1(content));
            QVERIFY(page.hasMatch());
            QVERIFY2(qAbs(page.captured(1).toDouble() - 318.75) <= 0.5, qPrintable(page.captured(0)));
            QVERIFY2(qAbs(page.captured(2).toDouble() - 265.5) <= 0.5, qPrintable(page.captured(0)));
        }
    }

    void figureRefusalsShowAMessageAndWriteNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("named");  // in the message
        QTest::newRow("other suffix") << "figure.bmp" << ".png";
        QTest::newRow("no suffix") << "figure" << ".pdf";
        QTest::newRow("missing folder") << "missing/figure.png" << "figure.png";
    }

    void figureRefusalsShowAMessageAndWriteNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        form->ChooseSaveFile = [&](QWidget*, const QString&, const QStringList&) { return file; };
        driver->ExpectMessage();
        form->ExportFigureAction->trigger();
        QCOMPARE(driver->Messages().size(), 1);
        QCOMPARE(driver->Messages()[0].title, gui::kApplicationTitle);
        QVERIFY2(driver->Messages()[0].text.contains(named), qPrintable(driver->Messages()[0].text));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void cancelledExportWritesNothing()
    {
        QTemporaryDir dir;
        form->ChooseSaveFile = [](QWidget*, const QString&, const QStringList&) { return QString(); };
        form->ExportFigureAction->trigger();
        form->ExportResultsAction->trigger();
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    // ------------------------------------------------------------------ results

    // The window after some presses, and mt1d for the same presses. `presses` inversions
    // follow start-up; `forwardAfter` presses the forward button once more at the end.
    void resultsReadLikeTheCommandLineTool_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("presses");
        QTest::addColumn<bool>("forwardAfter");
        QTest::addColumn<bool>("resetFirst");
        QTest::newRow("no inversion") << 0 << 0 << 0 << false << false;
        QTest::newRow("resistivity, singular value") << 0 << 0 << 1 << false << false;
        QTest::newRow("both, singular value") << 2 << 0 << 1 << false << false;
        QTest::newRow("phase, constrained, second press") << 1 << 1 << 2 << false << false;
        QTest::newRow("inversion, then forward") << 0 << 0 << 1 << true << false;
        QTest::newRow("reset between presses") << 0 << 0 << 2 << false << true;
    }

    void resultsReadLikeTheCommandLineTool()
    {
        QFETCH(int, source);
        QFETCH(int, method);
        QFETCH(int, presses);
        QFETCH(bool, forwardAfter);
        QFETCH(bool, resetFirst);
        ChooseSource(source);
        ChooseMethod(method);
        for (int press = 1; press <= presses; ++press) {
            if (resetFirst && press == presses) {
                QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
            }
            driver->ExpectMessage();
            QTest::mouseClick(form->Button2, Qt::LeftButton);
        }
        if (forwardAfter) {
            QTest::mouseClick(form->Button1, Qt::LeftButton);
        }
        // After a reset the last press is the first run from the default start again.
        const int run = resetFirst ? 1 : presses;
        const bool inverted = presses > 0 && !forwardAfter;

        QTemporaryDir dir;
        QString file;
        form->ChooseSaveFile = [&](QWidget*, const QString& caption, const QStringList& filters) {
            [&] {
                QCOMPARE(caption, QStringLiteral("导出结果"));
                QCOMPARE(filters.size(), 2);
            }();
            return file;
        };
        file = dir.filePath(QStringLiteral("results.csv"));
        form->ExportResultsAction->trigger();
        const std::string csv = ReadAll(file).toStdString();
        file = dir.filePath(QStringLiteral("results.json"));
        form->ExportResultsAction->trigger();
        const std::string json = ReadAll(file).toStdString();
        QVERIFY(!csv.empty());
        QVERIFY(!json.empty());

        const char* sources[] = {"res", "phase", "both"};
        const char* methods[] = {"svd", "constrained"};
        std::vector<std::string> args = {inverted ? "invert" : "forward"};
        if (inverted) {
            args.insert(args.end(), {"--source", sources[source], "--method", methods[method],
                                     "--repeat", std::to_string(run)});
        }
        std::vector<std::string> csvArgs = args;
        csvArgs.insert(csvArgs.end(), {"--format", "csv"});
        std::vector<std::string> jsonArgs = args;
        jsonArgs.insert(jsonArgs.end(), {"--format", "json"});
        std::string expectedCsv = Mt1dOutput(csvArgs);
        Json expectedJson = Json::parse(Mt1dOutput(jsonArgs));
        // The window keeps only the last run: mt1d's earlier runs are left out.
        for (int earlier = 1; earlier < run; ++earlier) {
            expectedCsv = WithoutRun(expectedCsv, earlier);
            expectedJson["inversions"].erase(0);
        }

        QCOMPARE(QString::fromStdString(csv).split(QLatin1Char('\n')),
                 QString::fromStdString(expectedCsv).split(QLatin1Char('\n')));
        const Json exported = Json::parse(json);
        QCOMPARE(QString::fromStdString(exported.dump(1)), QString::fromStdString(expectedJson.dump(1)));
        QCOMPARE(exported.contains("inversions"), inverted);
        if (inverted) {
            QCOMPARE(exported["inversions"].size(), 1u);
            QCOMPARE(exported["inversions"][0]["run"].get<int>(), run);
        }
    }

    void resultsRefusalsShowAMessageAndWriteNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("named");
        QTest::newRow("other suffix") << "results.txt" << ".csv";
        QTest::newRow("missing folder") << "missing/results.json" << "results.json";
    }

    void resultsRefusalsShowAMessageAndWriteNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        form->ChooseSaveFile = [&](QWidget*, const QString&, const QStringList&) { return file; };
        driver->ExpectMessage();
        form->ExportResultsAction->trigger();
        QCOMPARE(driver->Messages().size(), 1);
        QVERIFY2(driver->Messages()[0].text.contains(named), qPrintable(driver->Messages()[0].text));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }
};

std::unique_ptr<QObject> NewMenuExportTest()
{
    return std::make_unique<MenuExportTest>();
}

}  // namespace mt1d::test

#include "MenuExportTest.moc"
