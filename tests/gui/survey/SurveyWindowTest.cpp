// 打开测区…: a folder of real soundings fitted in the background into a section that shows
// every site, a click on a column opening that site's sounding window, an output folder shown
// at once, a cancelled run, and refusals, all without a display.

#include "gui/field/FieldWorkspace.h"
#include "gui/survey/DimsSectionView.h"
#include "gui/survey/SectionView.h"
#include "gui/survey/SectionWindow.h"
#include "tests/support/SharedData.h"
#include "gui/field/SoundingWindow.h"
#include "tests/section/SurveyFixture.h"
#include "gui/survey/SurveyOpener.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <qcustomplot.h>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

using namespace mt1d;
using gui::survey::SectionWindow;
using gui::survey::SurveyOpener;
namespace fs = std::filesystem;

// The four AMT soundings of Geoscience Australia, each with a location (SOURCE.md).
const char* const kSoundings[] = {"07E1_AMT.edi", "Adv1_AMT.edi", "CD1_2.edi", "NAN1_AMT.edi"};

class SurveyWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<gui::field::FieldWorkspace> workspace;
    std::unique_ptr<SurveyOpener> opener;
    std::unique_ptr<QTemporaryDir> folder;
    QStringList messages;
    QList<QPointer<SectionWindow>> shown;
    QStringList modals;
    QTimer watchdog;

    // Copies the soundings into the test's folder; false when the real files are not there.
    bool CopySoundings()
    {
        const auto data = testing_support::SharedDataDir();
        if (!data) return false;
        for (const char* name : kSoundings) {
            fs::copy_file(*data / "ga-amt-rjmcmcmt" / name, fs::path(folder->path().toStdString()) / name);
        }
        return true;
    }

private slots:
    void init()
    {
        messages.clear();
        shown.clear();
        modals.clear();
        folder = std::make_unique<QTemporaryDir>();
        workspace = std::make_unique<gui::field::FieldWorkspace>();
        workspace->seams.message = [this](QWidget*, const QString& title, const QString& text) {
            messages << title + ": " + text;
        };
        opener = std::make_unique<SurveyOpener>(workspace.get());
        opener->seams.message = [this](QWidget*, const QString& title, const QString& text) {
            messages << title + ": " + text;
        };
        opener->seams.chooseFolder = [this](QWidget*) { return folder->path(); };
        connect(opener.get(), &SurveyOpener::sectionShown, this, [this](SectionWindow* w) { shown << w; });
        // A modal window means a test went wrong: note it and close it.
        connect(&watchdog, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (modal->objectName() != QLatin1String("SurveyProgress")) {
                    modals << modal->windowTitle();
                    modal->close();
                }
            }
        });
        watchdog.start(20);
    }

    void cleanup()
    {
        watchdog.stop();
        watchdog.disconnect();
        opener.reset();
        for (const auto& w : shown) delete w.data();
        workspace.reset();
        QVERIFY2(modals.isEmpty(), qPrintable(modals.join(QStringLiteral(", "))));
    }

    void aFolderOfSoundingsIsFittedAndItsSectionShowsEverySite()
    {
        if (!CopySoundings()) QSKIP(testing_support::kNoSharedData);
        QSignalSpy finished(opener.get(), &SurveyOpener::runFinished);
        opener->ChooseAndOpen(nullptr);
        QVERIFY(opener->Busy());
        QVERIFY(finished.wait(120000));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QCOMPARE(shown.size(), 1);
        SectionWindow* window = shown.first();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QStringList names;
        for (const auto& site : window->View()->Shown().sites) names << QString::fromStdString(site.name);
        names.sort();
        // The sites' names as their files give them (DATAID).
        QCOMPARE(names, QStringList({"07-E1", "Adv1", "CD1_2", "NAN1"}));
        QVERIFY(fs::is_regular_file(fs::path(folder->path().toStdString()) / "mt1d-batch" / "summary.csv"));
        // West to east: 07-E1 (129.0° E) first, Adv1 (145.3° E) last.
        QCOMPARE(QString::fromStdString(window->View()->Shown().sites.front().name), QStringLiteral("07-E1"));
        QCOMPARE(QString::fromStdString(window->View()->Shown().sites.back().name), QStringLiteral("Adv1"));
    }

    void thePseudoSectionShowsThePhaseTensorOfEverySite()
    {
        if (!CopySoundings()) QSKIP(testing_support::kNoSharedData);
        QSignalSpy finished(opener.get(), &SurveyOpener::runFinished);
        opener->Open(folder->path(), nullptr);
        QVERIFY(finished.wait(120000));
        QCOMPARE(shown.size(), 1);
        SectionWindow* window = shown.first();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        gui::survey::DimsSectionView* view = window->DimsView();
        QVERIFY(!view->Shown().has_value());  // read only when first shown
        window->Tabs()->setCurrentWidget(view);
        QVERIFY(view->Shown().has_value());
        const section::DimsSection& grid = *view->Shown();
        // Every one of the four soundings has its tensor: four columns, in the section's order.
        QCOMPARE(grid.sites.size(), std::size_t{4});
        for (std::size_t k = 0; k < 4; ++k) QCOMPARE(grid.sites[k].name, window->View()->Shown().sites[k].name);
        QVERIFY2(view->NotesLabel->text().isEmpty(), qPrintable(view->NotesLabel->text()));
        QCOMPARE(view->Map->data()->keySize(), static_cast<int>(grid.distanceCells));
        QCOMPARE(view->Map->data()->valueSize(), static_cast<int>(grid.periodCells));
        // The map holds β, then the ellipticity once chosen, cell for cell.
        const auto sameCells = [&](bool beta) {
            for (std::size_t d = 0; d < grid.distanceCells; d += 7) {
                for (std::size_t p = 0; p < grid.periodCells; ++p) {
                    const double want = beta ? grid.Beta(d, p) : grid.Ellipticity(d, p);
                    const double got = view->Map->data()->cell(static_cast<int>(d), static_cast<int>(p));
                    if (!(std::isnan(want) ? std::isnan(got) : got == want)) return false;
                }
            }
            return true;
        };
        QVERIFY(sameCells(true));
        view->QuantityBox->setCurrentIndex(1);
        emit view->QuantityBox->activated(1);
        QVERIFY(sameCells(false));
    }

    void aClickOnAColumnOpensThatSitesSoundingWindow()
    {
        if (!CopySoundings()) QSKIP(testing_support::kNoSharedData);
        QSignalSpy finished(opener.get(), &SurveyOpener::runFinished);
        opener->Open(folder->path(), nullptr);
        QVERIFY(finished.wait(120000));
        QCOMPARE(shown.size(), 1);
        SectionWindow* window = shown.first();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const auto& sites = window->View()->Shown().sites;
        for (std::size_t k : {std::size_t{3}, std::size_t{0}}) {
            const int before = workspace->Windows().size();
            QTest::mouseClick(window->View(), Qt::LeftButton, {}, window->View()->ColumnCentre(k));
            QCOMPARE(workspace->Windows().size(), before + 1);
            const auto& opened = workspace->Windows().last()->State();
            QCOMPARE(QString::fromStdString(opened.sounding.site.name.empty() ? fs::path(opened.originalPath).stem().string()
                                                                               : opened.sounding.site.name),
                     QString::fromStdString(sites[k].name));
        }
        // A click outside every column opens nothing.
        const int before = workspace->Windows().size();
        QTest::mouseClick(window->View(), Qt::LeftButton, {}, QPoint(2, window->View()->height() - 2));
        QCOMPARE(workspace->Windows().size(), before);
    }

    void anOutputFolderIsShownAtOnce()
    {
        using namespace section_testing;
        const fs::path path = folder->path().toStdString();
        WriteSurvey(path, {{"A", 0.0, 0.0, {{10.0, 100.0}, {100.0, std::nullopt}}},
                           {"B", 0.0, 0.1, {{30.0, std::nullopt}}},
                           {"C", 0.0, 0.2, {{30.0, std::nullopt}}, 1000.0, "cannot read the file"}});
        opener->Open(folder->path(), nullptr);
        QVERIFY(!opener->Busy());
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first()->View()->Shown().sites.size(), std::size_t{2});
        auto* notes = shown.first()->findChild<QLabel*>(QStringLiteral("NotesLabel"));
        QVERIFY(notes != nullptr);
        QVERIFY(notes->text().contains(QStringLiteral("C: not fitted (cannot read the file)")));
        // Its soundings are nowhere: a click names the missing file and opens nothing.
        QTest::mouseClick(shown.first()->View(), Qt::LeftButton, {}, shown.first()->View()->ColumnCentre(0));
        QCOMPARE(workspace->Windows().size(), 0);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("A.edi")), qPrintable(messages.first()));
    }

    void aCancelledRunShowsNoSection()
    {
        if (!CopySoundings()) QSKIP(testing_support::kNoSharedData);
        QSignalSpy finished(opener.get(), &SurveyOpener::runFinished);
        opener->Open(folder->path(), nullptr);
        opener->Cancel();
        QVERIFY(finished.wait(120000));
        QCOMPARE(shown.size(), 0);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("cancelled")), qPrintable(messages.first()));
        QVERIFY(!opener->Busy());
    }

    // 打开测区… over and over from a sounding window, as a user would with other windows open:
    // the progress dialog's last update and the end of the run arrive together (a resumed run
    // ends within milliseconds), which once ended the program inside QProgressDialog::setValue.
    void openingASurveyFiftyTimesWithOtherWindowsOpenNeverCrashes()
    {
        if (!CopySoundings()) QSKIP(testing_support::kNoSharedData);
        const fs::path root = folder->path().toStdString();
        const auto others = workspace->OpenSoundings({folder->path() + QStringLiteral("/CD1_2.edi")});
        QCOMPARE(others.size(), 1);
        QWidget* parent = others.first();
        parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(parent));
        for (int round = 0; round < 50; ++round) {
            // Every tenth round fits from scratch; the others resume and end at once. Every
            // seventh is cancelled at once.
            if (round % 10 == 0) fs::remove_all(root / gui::survey::kSurveyOutputFolder);
            const bool cancel = round % 7 == 3;
            QSignalSpy finished(opener.get(), &SurveyOpener::runFinished);
            opener->Open(folder->path(), parent);
            QVERIFY(opener->Busy());
            if (cancel) opener->Cancel();
            QVERIFY(finished.wait(120000));
            QVERIFY(!opener->Busy());
            if (cancel && shown.isEmpty()) {
                QCOMPARE(messages.size(), 1);
                QVERIFY2(messages.first().contains(QStringLiteral("cancelled")), qPrintable(messages.first()));
                messages.clear();
                continue;
            }
            QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first()->View()->Shown().sites.size(), std::size_t{4});
            delete shown.first().data();
            shown.clear();
        }
    }

    void aFolderWithNeitherSoundingsNorResultsIsRefused()
    {
        section_testing::WriteText(fs::path(folder->path().toStdString()) / "notes.md", "field notes\n");
        opener->Open(folder->path(), nullptr);
        QVERIFY(!opener->Busy());
        QCOMPARE(shown.size(), 0);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("no sounding file")), qPrintable(messages.first()));
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale::c());
    SurveyWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SurveyWindowTest.moc"
