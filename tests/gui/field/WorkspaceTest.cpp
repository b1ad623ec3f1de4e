// The workspace of sounding windows: projects saved and opened again with identical numbers,
// damaged projects refused with nothing changed, exported figures and results that open,
// unreadable soundings named with their line, column lists asked for, files dropped.

#include "tests/gui/field/SoundingWindowTest.h"

#include "tests/gui/field/FieldFixture.h"
#include "gui/field/FieldFigure.h"
#include "session/Project.h"

#include <QFile>
#include <QScreen>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <limits>

namespace mt1d::test {

using gui::field::SoundingWindow;

namespace {

QByteArray Bytes(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    return in.readAll();
}

void Write(const QString& file, const QByteArray& bytes)
{
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(bytes);
}

std::string Snapshot(const gui::field::FieldWorkspace& workspace)
{
    return session::ProjectToJson(workspace.CurrentProject());
}

// The same without where the windows stand: a window is cut to the screen when it opens, and
// the test's screen (800 × 600) is smaller than a sounding window may be.
std::string SnapshotOfSessions(const gui::field::FieldWorkspace& workspace)
{
    session::Project project = workspace.CurrentProject();
    for (auto& window : project.windows) window.geometry = {};
    return session::ProjectToJson(project);
}

}  // namespace

class WorkspaceTest : public QObject, public FieldFixture {
    Q_OBJECT

private slots:
    void init()
    {
        StartWorkspace();
        QVERIFY(dir_.isValid());
    }
    void cleanup() { FinishWorkspace(); }

    void projectComesBackWithIdenticalNumbers()
    {
        const QString cull = SharedFile("cull1985-occam1987/aushield.dat");
        const QString edi = SharedFile("edi/IAJ34.edi");
        if (cull.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* first = Open(cull, CullColumns());
        QVERIFY(first);
        QVERIFY(RunAndWait(first, fitting::Method::kOccam));
        QVERIFY(RunAndWait(first, fitting::Method::kLayered));
        first->ResultsTable->item(1, SoundingWindow::kResistivityColumn)->setText(QStringLiteral("77.7"));
        first->DataTable->item(2, SoundingWindow::kUseColumn)->setCheckState(Qt::Unchecked);
        first->setGeometry(30, 40, 1100, 700);
        SoundingWindow* second = Open(edi);
        QVERIFY(second);
        second->FloorBox->setValue(7.5);
        second->setGeometry(60, 80, 1000, 650);

        const QString file = dir_.filePath(QStringLiteral("two.mt1dproj"));
        QVERIFY(workspace->SaveProjectTo(file));
        const std::string before = SnapshotOfSessions(*workspace);
        const int plotted = first->RhoPlot->Fitted()->dataCount();
        for (SoundingWindow* w : workspace->Windows()) w->close();
        QTRY_VERIFY(workspace->Windows().isEmpty());

        QVERIFY(workspace->OpenProject(file));
        QCOMPARE(workspace->Windows().size(), 2);
        QCOMPARE(workspace->ProjectFile(), file);
        QCOMPARE(SnapshotOfSessions(*workspace), before);  // every number and setting
        SoundingWindow* back = workspace->Windows().first();
        QCOMPARE(back->RhoPlot->Fitted()->dataCount(), plotted);
        QCOMPARE(back->State().edited->resistivity[1], 77.7);
        QVERIFY(back->RhoPlot->Line(gui::field::ModelLine::kEdited)->visible());
        QVERIFY(messages.isEmpty());
    }

    void damagedProjectsAreRefusedAndNothingChanges_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("named");
        QTest::newRow("not JSON") << QByteArray("{\"format\": \"mt1d-project\", \"version\": 1, \"win") << "not a JSON document";
        QTest::newRow("another program's JSON") << QByteArray("{\"type\": \"FeatureCollection\"}") << "format";
        QTest::newRow("newer version") << QByteArray(R"({"format": "mt1d-project", "version": 9, "windows": []})")
                                       << "version 9";
        QTest::newRow("window without a session")
            << QByteArray(R"({"format": "mt1d-project", "version": 1, "windows": [{"geometry": {"x": 0, "y": 0, "width": 1, "height": 1, "maximized": false}}]})")
            << "windows[0]";
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << "not a JSON document";
    }

    void damagedProjectsAreRefusedAndNothingChanges()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, named);
        const QString cull = SharedFile("cull1985-occam1987/aushield.dat");
        if (cull.isEmpty()) QSKIP(testing_support::kNoSharedData);
        QVERIFY(Open(cull, CullColumns()));
        const QString good = dir_.filePath(QStringLiteral("good.mt1dproj"));
        QVERIFY(workspace->SaveProjectTo(good));
        const std::string before = Snapshot(*workspace);

        const QString bad = dir_.filePath(QStringLiteral("damaged.mt1dproj"));
        Write(bad, content);
        QVERIFY(!workspace->OpenProject(bad));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("damaged.mt1dproj")), qPrintable(messages.first()));
        QVERIFY2(messages.first().contains(named), qPrintable(messages.first()));
        QCOMPARE(workspace->Windows().size(), 1);
        QCOMPARE(Snapshot(*workspace), before);
        QCOMPARE(workspace->ProjectFile(), good);
        QCOMPARE(Bytes(bad), content);
    }

    void failedSaveIsShownAndKeepsTheProjectFile()
    {
        const QString cull = SharedFile("cull1985-occam1987/aushield.dat");
        if (cull.isEmpty()) QSKIP(testing_support::kNoSharedData);
        QVERIFY(Open(cull, CullColumns()));
        QVERIFY(!workspace->SaveProjectTo(dir_.filePath(QStringLiteral("no such folder/p.mt1dproj"))));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().contains(QStringLiteral("p.mt1dproj")));
        QVERIFY(workspace->ProjectFile().isEmpty());
        // Save without a file asks for one; declining writes nothing.
        chosenFile.clear();
        QVERIFY(!workspace->SaveProject());
        chosenFile = dir_.filePath(QStringLiteral("named"));
        QVERIFY(workspace->SaveProject());
        QCOMPARE(workspace->ProjectFile(), dir_.filePath(QStringLiteral("named.mt1dproj")));
        QVERIFY(QFile::exists(workspace->ProjectFile()));
    }

    void exportedFiguresAndResultsOpen()
    {
        const QString cull = SharedFile("cull1985-occam1987/aushield.dat");
        if (cull.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(cull, CullColumns());
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kOccam));
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));

        // Through the menu, as the user does it.
        chosenFile = dir_.filePath(QStringLiteral("figure.png"));
        window->ExportFigureAction->trigger();
        const QByteArray png = Bytes(chosenFile);
        QVERIFY(png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)));
        QImage image;
        QVERIFY(image.loadFromData(png, "PNG"));
        // Twice the logical size, the caption's strip above the plots.
        QCOMPARE(image.size(), (gui::field::kFigureSize + QSize(0, gui::field::kCaptionHeight)) * 2);

        QCOMPARE(window->ExportFigure(dir_.filePath(QStringLiteral("figure.svg"))), QString());
        QXmlStreamReader svg(Bytes(dir_.filePath(QStringLiteral("figure.svg"))));
        int elements = 0;
        QString root;
        while (!svg.atEnd()) {
            if (svg.readNext() == QXmlStreamReader::StartElement) {
                if (elements++ == 0) root = svg.name().toString();
            }
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QCOMPARE(root, QStringLiteral("svg"));
        QVERIFY(elements > 100);  // three plots' worth of paths and text

        QCOMPARE(window->ExportFigure(dir_.filePath(QStringLiteral("figure.pdf"))), QString());
        const QByteArray pdf = Bytes(dir_.filePath(QStringLiteral("figure.pdf")));
        QVERIFY(pdf.startsWith("%PDF-"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page/") + pdf.count("/Type /Page "),
                 qsizetype(1));

        QVERIFY(!window->ExportFigure(dir_.filePath(QStringLiteral("figure.bmp"))).isEmpty());
        QVERIFY(messages.isEmpty());

        QCOMPARE(window->ExportResults(dir_.filePath(QStringLiteral("results.json"))), QString());
        QJsonParseError error;
        const QJsonDocument json = QJsonDocument::fromJson(Bytes(dir_.filePath(QStringLiteral("results.json"))), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject layered = json.object().value(QStringLiteral("layered")).toObject();
        QCOMPARE(layered.value(QStringLiteral("method")).toString(), QStringLiteral("layered"));
        QCOMPARE(layered.value(QStringLiteral("rms")).toDouble(), window->State().layered->report.rms);
        QCOMPARE(json.object().value(QStringLiteral("occam")).toObject().value(QStringLiteral("method")).toString(),
                 QStringLiteral("occam"));

        QCOMPARE(window->ExportResults(dir_.filePath(QStringLiteral("results.csv"))), QString());
        const QList<QByteArray> lines = Bytes(dir_.filePath(QStringLiteral("results.csv"))).split('\n');
        QVERIFY(lines.first().startsWith("site,model,rms,layer,top_m,thickness_m,resistivity_ohmm"));
        // Layered (3), smooth (its mesh) and edited (3) layers, and the final newline.
        const auto occamLayers = window->State().occam->model.LayerCount();
        QCOMPARE(static_cast<std::size_t>(lines.size()), 1 + 3 + occamLayers + 3 + 1);
        const QByteArray site = QByteArray::fromStdString(window->State().sounding.site.name);
        const QList<QByteArray> first = lines[1].split(',');
        QCOMPARE(first.value(0), site);
        QCOMPARE(first.value(1), QByteArray("layered"));
        QCOMPARE(first.value(2).toDouble(), window->State().layered->report.rms);
    }

    void unreadableSoundingIsNamedWithItsLine()
    {
        const QString file = dir_.filePath(QStringLiteral("broken.dat"));
        Write(file, "period rho phase\n1 10 45\n2 abc 45\n");
        QVERIFY(workspace->OpenSoundings({file}).isEmpty());
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("broken.dat")), qPrintable(messages.first()));
        QVERIFY2(messages.first().contains(QStringLiteral("line 3")), qPrintable(messages.first()));
        QCOMPARE(columnQuestions, 0);  // the columns were named; only the row is wrong
        QVERIFY(workspace->Windows().isEmpty());
    }

    void columnFileWithoutItsColumnsAsksForThem()
    {
        const QString cull = SharedFile("cull1985-occam1987/aushield.dat");
        if (cull.isEmpty()) QSKIP(testing_support::kNoSharedData);
        columnAnswer.reset();  // declined: nothing opens, nothing more is said
        QVERIFY(workspace->OpenSoundings({cull}).isEmpty());
        QCOMPARE(columnQuestions, 1);
        QVERIFY(messages.isEmpty());
        columnAnswer = QString::fromLatin1(kCullColumns);
        const auto opened = workspace->OpenSoundings({cull});
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first()->State().read.columns.size(), std::size_t{5});
        columnAnswer = QStringLiteral("period,depth");
        QVERIFY(workspace->OpenSoundings({cull}).isEmpty());
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("depth")), qPrintable(messages.first()));
    }

    void droppedFilesOpenSoundingsAndProjects()
    {
        const QString edi = SharedFile("edi/IAJ34.edi");
        if (edi.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(edi);
        QVERIFY(window);
        const QString project = dir_.filePath(QStringLiteral("one.mt1dproj"));
        QVERIFY(workspace->SaveProjectTo(project));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(edi), QUrl::fromLocalFile(project)});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window, &drop);
        QCOMPARE(workspace->Windows().size(), 3);  // the first, the dropped sounding, the project's
        QVERIFY(messages.isEmpty());
    }

    // The command line's files as a drop takes them: a project opens its windows, the
    // others are soundings; a project refused opens nothing and leaves the rest alone.
    void commandLineOpensProjectsAndSoundings()
    {
        const QString edi = SharedFile("edi/IAJ34.edi");
        if (edi.isEmpty()) QSKIP(testing_support::kNoSharedData);
        QVERIFY(Open(edi));
        const QString project = dir_.filePath(QStringLiteral("one.mt1dproj"));
        QVERIFY(workspace->SaveProjectTo(project));
        const QString damaged = dir_.filePath(QStringLiteral("damaged.mt1dproj"));
        Write(damaged, QByteArray("{\"format\": \"mt1d-project\""));
        const auto opened = workspace->OpenFiles({project, edi, damaged}, {}, nullptr);
        QCOMPARE(opened.size(), 2);  // the project's window and the sounding
        QCOMPARE(workspace->Windows().size(), 3);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("damaged.mt1dproj")), qPrintable(messages.first()));
    }

    // A project may hold any numbers for where a window stood: it opens on the screen.
    void projectGeometryIsCutToTheScreen()
    {
        const QString edi = SharedFile("edi/IAJ34.edi");
        if (edi.isEmpty()) QSKIP(testing_support::kNoSharedData);
        QVERIFY(Open(edi));
        const QString file = dir_.filePath(QStringLiteral("huge.mt1dproj"));
        QVERIFY(workspace->SaveProjectTo(file));
        nlohmann::json document = nlohmann::json::parse(Bytes(file).toStdString());
        const int most = std::numeric_limits<int>::max();
        document["windows"][0]["geometry"] = {{"x", most}, {"y", most}, {"width", most}, {"height", most},
                                              {"maximized", false}};
        Write(file, QByteArray::fromStdString(document.dump()));
        QVERIFY(workspace->OpenProject(file));
        SoundingWindow* opened = workspace->Windows().last();
        // On the screen, and no larger than the screen or, where that is smaller, the window's
        // own minimum.
        const QRect screen = opened->screen()->availableGeometry();
        const QRect placed = opened->geometry();
        const QString where = QStringLiteral("%1,%2 %3x%4").arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height());
        QVERIFY2(screen.contains(placed.topLeft()), qPrintable(where));
        QVERIFY2(placed.width() <= std::max({screen.width(), opened->minimumWidth(), opened->minimumSizeHint().width()}), qPrintable(where));
        QVERIFY2(placed.height() <= std::max({screen.height(), opened->minimumHeight(), opened->minimumSizeHint().height()}), qPrintable(where));
    }

private:
    QTemporaryDir dir_;
};

std::unique_ptr<QObject> NewWorkspaceTest()
{
    return std::make_unique<WorkspaceTest>();
}

}  // namespace mt1d::test

#include "WorkspaceTest.moc"
