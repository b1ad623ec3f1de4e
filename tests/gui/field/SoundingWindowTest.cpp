// The sounding window driven through its widgets: real files in every mode, the plotted
// points and bars against the curve, excluded rows, both fits against the forward model,
// dragging in the depth plot and editing the table, cancelling and closing during a fit.

#include "tests/gui/field/SoundingWindowTest.h"

#include "tests/gui/field/FieldFixture.h"
#include "gui/common/SettingsNames.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QThreadPool>

namespace mt1d::test {

using gui::field::DepthPlot;
using gui::field::ModelLine;
using gui::field::SoundingWindow;

namespace {

// Relative agreement of two doubles; the window shows the very numbers the session computes,
// so 1e-12 leaves room only for the plot's own storage (doubles, exact).
bool Close(double a, double b, double relative = 1e-12)
{
    return std::abs(a - b) <= relative * std::max(std::abs(a), std::abs(b));
}

std::vector<double> Keys(const QCPGraph* graph)
{
    std::vector<double> keys;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) keys.push_back(it->key);
    return keys;
}

std::vector<double> Values(const QCPGraph* graph)
{
    std::vector<double> values;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) values.push_back(it->value);
    return values;
}

std::size_t UsableRows(const sounding::Curve& curve)
{
    return static_cast<std::size_t>(std::count_if(curve.rows.begin(), curve.rows.end(), [](const auto& r) { return r.usable; }));
}

void ChooseMode(SoundingWindow* window, int index)
{
    window->ModeBox->setCurrentIndex(index);
    emit window->ModeBox->activated(index);
}

// Checks each model line of both curve plots against the kernel's response of the model.
void ExpectLineIsResponse(const SoundingWindow* window, ModelLine line, const earth::LayeredModel& model)
{
    const QCPGraph* rho = window->RhoPlot->Line(line);
    const QCPGraph* phase = window->PhasePlot->Line(line);
    QVERIFY(rho->visible());
    std::vector<double> frequencies;
    for (double period : Keys(rho)) frequencies.push_back(1.0 / period);
    QCOMPARE(frequencies.size(), window->ShownCurve().rows.size());
    const earth::Response r = ResponseOf(model, frequencies);
    const auto rhoValues = Values(rho);
    const auto phaseValues = Values(phase);
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        // The period is inverted twice on the way (1/f into the plot, 1/T here): a few ulps.
        QVERIFY2(Close(rhoValues[i], r.rhoA[i], 1e-12), qPrintable(QString::number(i)));
        QVERIFY2(Close(phaseValues[i], r.phaseDeg[i], 1e-12), qPrintable(QString::number(i)));
    }
}

}  // namespace

class SoundingWindowTest : public QObject, public FieldFixture {
    Q_OBJECT

private slots:
    void init() { StartWorkspace(); }
    void cleanup() { FinishWorkspace(); }

    void realFilesOpenInEveryModeOrAreRefusedByName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("opens");
        const auto data = testing_support::SharedDataDir();
        if (!data) QSKIP(testing_support::kNoSharedData);
        for (const char* folder : {"edi", "ga-amt-rjmcmcmt"}) {
            const QDir dir(QString::fromStdString((*data / folder).string()));
            for (const QString& name : dir.entryList({QStringLiteral("*.edi")}, QDir::Files)) {
                QTest::newRow(qPrintable(name)) << dir.filePath(name) << true;
            }
        }
        QTest::newRow("Occam data") << SharedFile("occam1dcsem-r1/Occam1d_DataFile_DET.dat") << true;
        // Occam files that are not data: a model, an iteration and a response.
        QTest::newRow("Occam model") << SharedFile("occam1dcsem-r1/Model1D") << false;
        QTest::newRow("Occam iteration") << SharedFile("occam1dcsem-r1/ITER_1.iter") << false;
        QTest::newRow("Occam response") << SharedFile("occam1dcsem-r1/ITER_1.resp") << false;
    }

    void realFilesOpenInEveryModeOrAreRefusedByName()
    {
        QFETCH(QString, file);
        QFETCH(bool, opens);
        SoundingWindow* window = Open(file);
        if (!opens) {
            QVERIFY(window == nullptr);
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages.first().contains(QFileInfo(file).fileName()), qPrintable(messages.first()));
            QVERIFY(workspace->Windows().isEmpty());
            return;
        }
        QVERIFY2(window != nullptr, qPrintable(messages.join(QStringLiteral("; "))));
        QVERIFY(window->ModeBox->count() >= 1);
        for (int m = 0; m < window->ModeBox->count(); ++m) {
            ChooseMode(window, m);
            const auto mode = static_cast<sounding::Mode>(window->ModeBox->itemData(m).toInt());
            QCOMPARE(window->State().mode, mode);
            QCOMPARE(window->ShownCurve().mode, mode);
            const std::size_t usable = UsableRows(window->ShownCurve());
            QCOMPARE(static_cast<std::size_t>(window->RhoPlot->Fitted()->dataCount()), usable);
            QCOMPARE(static_cast<std::size_t>(window->PhasePlot->Fitted()->dataCount()), usable);
            QCOMPARE(window->DataTable->rowCount(), static_cast<int>(window->ShownCurve().rows.size()));
        }
        QVERIFY(messages.isEmpty());
    }

    void pointsAndBarsAreTheCurveWithItsErrors()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        for (double floor : {5.0, 20.0}) {
            window->FloorBox->setValue(floor);
            QCOMPARE(window->State().floorPercent, floor);
            const auto& rows = window->ShownCurve().rows;
            QCOMPARE(rows.size(), std::size_t{23});
            const auto* rhoBars = window->RhoPlot->FittedBars();
            const auto* phaseBars = window->PhasePlot->FittedBars();
            const auto rhoKeys = Keys(window->RhoPlot->Fitted());
            const auto rhoValues = Values(window->RhoPlot->Fitted());
            const auto phaseValues = Values(window->PhasePlot->Fitted());
            double lowest = HUGE_VAL, highest = 0.0;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                // Rows run from short periods to long ones, as the plot sorts its keys.
                QVERIFY(Close(rhoKeys[i], rows[i].periodS));
                QCOMPARE(rhoValues[i], rows[i].rhoOhmM);
                QCOMPARE(phaseValues[i], rows[i].phaseDeg);
                const double factor = std::pow(10.0, rows[i].rhoErrOhmM / (rows[i].rhoOhmM * std::log(10.0)));
                const auto bar = rhoBars->data()->at(static_cast<int>(i));
                QVERIFY(Close(rows[i].rhoOhmM - bar.errorMinus, rows[i].rhoOhmM / factor, 1e-12));
                QVERIFY(Close(rows[i].rhoOhmM + bar.errorPlus, rows[i].rhoOhmM * factor, 1e-12));
                QVERIFY(Close(phaseBars->data()->at(static_cast<int>(i)).errorMinus, rows[i].phaseErrDeg));
                // A 20 % floor is asin(0.2) = 11.54° at least on every phase.
                if (floor == 20.0) QVERIFY(rows[i].phaseErrDeg >= 11.5369);
                lowest = std::min(lowest, rows[i].rhoOhmM / factor);
                highest = std::max(highest, rows[i].rhoOhmM * factor);
            }
            // Every bar is inside the plot.
            QVERIFY(window->RhoPlot->yAxis->range().lower < lowest);
            QVERIFY(window->RhoPlot->yAxis->range().upper > highest);
        }
    }

    void excludedRowIsHollowAndLeavesTheFit()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        window->DataTable->item(5, SoundingWindow::kUseColumn)->setCheckState(Qt::Unchecked);
        QCOMPARE(window->State().excludedRows, std::vector<std::size_t>{5});
        QCOMPARE(window->RhoPlot->Fitted()->dataCount(), 22);
        QCOMPARE(window->RhoPlot->Excluded()->dataCount(), 1);
        QVERIFY(Close(Keys(window->RhoPlot->Excluded()).front(), window->ShownCurve().rows[5].periodS));
        QCOMPARE(window->RhoPlot->ExcludedBars()->dataCount(), 1);
        QCOMPARE(window->RhoPlot->Excluded()->scatterStyle().brush().style(), Qt::NoBrush);
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        QCOMPARE(window->State().layered->report.niblettBostick.size(), std::size_t{22});
        // Ticked again, the row is back in the fit.
        window->DataTable->item(5, SoundingWindow::kUseColumn)->setCheckState(Qt::Checked);
        QVERIFY(window->State().excludedRows.empty());
        QCOMPARE(window->RhoPlot->Excluded()->dataCount(), 0);
    }

    void bothFitsAreDrawnAsTheirModelsRespond()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kOccam));
        QVERIFY(window->State().occam.has_value());
        ExpectLineIsResponse(window, ModelLine::kOccam, window->State().occam->model);
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        const auto& layered = *window->State().layered;
        ExpectLineIsResponse(window, ModelLine::kLayered, layered.model);
        ExpectLineIsResponse(window, ModelLine::kOccam, window->State().occam->model);
        // The table holds the layered model unchanged: no line of its own yet.
        QVERIFY(!window->RhoPlot->Line(ModelLine::kEdited)->visible());
        QCOMPARE(window->ResultsTable->rowCount(), 3);
        for (int j = 0; j < 3; ++j) {
            QCOMPARE(window->ResultsTable->item(j, SoundingWindow::kResistivityColumn)->text(),
                     QString::number(layered.model.resistivity[static_cast<std::size_t>(j)], 'g', 4));
            QVERIFY(window->ResultsTable->item(j, SoundingWindow::kFactorColumn)->text().startsWith(QStringLiteral("×/÷")));
        }
        // The staircase: two points per layer at the layer's resistivity, the tops at the
        // model's interfaces.
        const QCPCurve* stairs = window->ModelPlot->Staircase(ModelLine::kLayered);
        QCOMPARE(stairs->dataCount(), 6);
        const auto tops = session::LayerTops(layered.model);
        for (int j = 0; j < 3; ++j) {
            // A curve's key is across (resistivity), its value down (depth).
            QCOMPARE(stairs->data()->at(2 * j)->key, layered.model.resistivity[static_cast<std::size_t>(j)]);
            QCOMPARE(stairs->data()->at(2 * j + 1)->key, layered.model.resistivity[static_cast<std::size_t>(j)]);
            if (j > 0) QCOMPARE(stairs->data()->at(2 * j)->value, tops[static_cast<std::size_t>(j)]);
        }
        QVERIFY(window->ModelPlot->Staircase(ModelLine::kOccam)->dataCount() > 20);
        QVERIFY(window->ModelPlot->BostickPoints()->dataCount() == 23);
        QVERIFY(window->ModelPlot->InvestigationLine()->visible());
        QVERIFY(window->FitLabel->text().contains(QStringLiteral("RMS")));
        QVERIFY(Close(*window->EditedRms(), IndependentRms(*window, layered.model), 1e-9));
    }

    void draggingTheModelFollowsTheForwardModel()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        auto* plot = window->ModelPlot;
        const double fittedRms = *window->EditedRms();

        // The second layer's resistivity, dragged 40 pixels to the right.
        const QPoint from = plot->LayerHandle(1).toPoint();
        const QPoint to = from + QPoint(40, 0);
        QTest::mousePress(plot, Qt::LeftButton, {}, from);
        QTest::mouseMove(plot, to);
        const double expectedRho = plot->xAxis->pixelToCoord(to.x());
        earth::LayeredModel edited = *window->State().edited;
        QVERIFY(Close(edited.resistivity[1], expectedRho, 1e-12));
        QVERIFY(edited.resistivity[1] > window->State().layered->model.resistivity[1]);
        // While dragging the curves already follow.
        ExpectLineIsResponse(window, ModelLine::kEdited, edited);
        QVERIFY(Close(*window->EditedRms(), IndependentRms(*window, edited), 1e-9));
        QVERIFY(*window->EditedRms() > fittedRms);  // the fit was the best model
        QTest::mouseRelease(plot, Qt::LeftButton, {}, to);

        // The first interface, dragged 30 pixels down: the second layer thins, the interface
        // below stays where it was.
        const auto before = session::LayerTops(*window->State().edited);
        const QPoint top = plot->InterfaceHandle(0).toPoint();
        const QPoint down = top + QPoint(0, 30);
        QTest::mousePress(plot, Qt::LeftButton, {}, top);
        QTest::mouseMove(plot, down);
        const double expectedDepth = plot->yAxis->pixelToCoord(down.y());
        QTest::mouseRelease(plot, Qt::LeftButton, {}, down);
        edited = *window->State().edited;
        const auto after = session::LayerTops(edited);
        QVERIFY(Close(after[1], expectedDepth, 1e-12));
        QVERIFY(after[1] > before[1]);
        // Depths of some thousand metres, two subtractions: 1e-9 relative.
        QVERIFY(Close(after[2], before[2], 1e-9));
        ExpectLineIsResponse(window, ModelLine::kEdited, edited);
        QVERIFY(Close(*window->EditedRms(), IndependentRms(*window, edited), 1e-9));
        // A press away from the model grabs nothing.
        const QPoint empty(plot->axisRect()->left() + 3, plot->axisRect()->top() + 3);
        QTest::mousePress(plot, Qt::LeftButton, {}, empty);
        QTest::mouseMove(plot, empty + QPoint(30, 30));
        QTest::mouseRelease(plot, Qt::LeftButton, {}, empty + QPoint(30, 30));
        QCOMPARE(window->State().edited->resistivity, edited.resistivity);
        QCOMPARE(window->State().edited->thickness, edited.thickness);
    }

    void editingTheResultsTableSetsTheModel()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        window->ResultsTable->item(0, SoundingWindow::kResistivityColumn)->setText(QStringLiteral("123.5"));
        QCOMPARE(window->State().edited->resistivity[0], 123.5);
        window->ResultsTable->item(1, SoundingWindow::kThicknessColumn)->setText(QStringLiteral("2000"));
        QCOMPARE(window->State().edited->thickness[1], 2000.0);
        QVERIFY(window->RhoPlot->Line(ModelLine::kEdited)->visible());
        ExpectLineIsResponse(window, ModelLine::kEdited, *window->State().edited);
        QVERIFY(Close(*window->EditedRms(), IndependentRms(*window, *window->State().edited), 1e-9));
        // The errors were the fit's; the edited model has none.
        QVERIFY(window->ResultsTable->item(0, SoundingWindow::kFactorColumn)->text().isEmpty());
        // Text that is not a number changes nothing and is put back.
        const auto model = *window->State().edited;
        window->ResultsTable->item(0, SoundingWindow::kResistivityColumn)->setText(QStringLiteral("abc"));
        QCOMPARE(window->State().edited->resistivity, model.resistivity);
        QCOMPARE(window->ResultsTable->item(0, SoundingWindow::kResistivityColumn)->text(), QStringLiteral("123.5"));
        // The layered result comes back on request.
        window->LayeredModelButton->click();
        QCOMPARE(window->State().edited->resistivity, window->State().layered->model.resistivity);
    }

    void cancellingAndClosingDuringAFitAreClean()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        window->MethodBox->setCurrentIndex(window->MethodBox->findData(static_cast<int>(fitting::Method::kLayered)));
        emit window->MethodBox->activated(window->MethodBox->currentIndex());
        window->LayersBox->setValue(5);
        window->StartsBox->setValue(50000);  // minutes of work
        QSignalSpy done(window, &SoundingWindow::fitFinished);
        window->RunButton->click();
        QVERIFY(window->Runner->Busy());
        QVERIFY(!window->ModeBox->isEnabled());
        QVERIFY(!window->DataTable->isEnabled());
        QVERIFY(window->CancelButton->isVisible());
        QTest::qWait(150);  // a few progress reports
        QVERIFY(window->ProgressBar->isVisible());
        window->CancelButton->click();
        QVERIFY(done.wait(20000));
        QCOMPARE(window->State().layered->report.status, fitting::FitStatus::kCancelled);
        QVERIFY(window->ModeBox->isEnabled());
        QVERIFY(!window->CancelButton->isVisible());

        // Closed during a fit: the window goes, the work stops, nothing calls back.
        window->RunButton->click();
        QVERIFY(window->Runner->Busy());
        QPointer<SoundingWindow> watched(window);
        window->close();
        QTRY_VERIFY(watched.isNull());
        QVERIFY(QThreadPool::globalInstance()->waitForDone(20000));
        QTest::qWait(50);
        QVERIFY(workspace->Windows().isEmpty());
    }

    void sizeIsRememberedForTheNextWindow()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        window->resize(1010, 690);
        QTRY_COMPARE(window->size(), QSize(1010, 690));
        window->close();
        QTRY_VERIFY(workspace->Windows().isEmpty());
        SoundingWindow* next = Open(file, CullColumns());
        QVERIFY(next);
        QCOMPARE(next->size(), QSize(1010, 690));
        next->resize(1280, 760);
        next->close();
    }

    void editedModelIsDrawnOnlyOnceItDiffersFromTheFits()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        DepthPlot* plot = window->ModelPlot;
        const QCPCurve* edited = plot->Staircase(ModelLine::kEdited);
        const auto drawnAndNamed = [&] {
            return plot->EditedShown() && edited->pen().color().alpha() > 0 && plot->legend->hasItemWithPlottable(edited);
        };
        // The table holds the layered model: its own staircase stands for it, in the legend;
        // the edited one is not drawn over it, yet can be grabbed.
        QVERIFY(!plot->EditedShown());
        QCOMPARE(edited->pen().color().alpha(), 0);
        QVERIFY(!plot->legend->hasItemWithPlottable(edited));
        QVERIFY(plot->legend->hasItemWithPlottable(plot->Staircase(ModelLine::kLayered)));
        QVERIFY(edited->visible());
        // An edit in the table: the edited model is drawn and named.
        window->ResultsTable->item(0, SoundingWindow::kResistivityColumn)->setText(QStringLiteral("50"));
        QVERIFY(drawnAndNamed());
        // The fit's model back in the table: not drawn again.
        QTest::mouseClick(window->LayeredModelButton, Qt::LeftButton);
        QVERIFY(!plot->EditedShown());
        QVERIFY(!plot->legend->hasItemWithPlottable(edited));
    }

    void resultsTableShowsEveryColumnWhole()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kOccam));
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        QTableWidget* table = window->ResultsTable;
        // The layered model's products are wide numbers (3.139e+05): each column holds its
        // widest text and the table holds every column, with no sideways scrolling.
        for (int c = 0; c < table->columnCount(); ++c) {
            QVERIFY2(table->columnWidth(c) >= table->horizontalHeader()->sectionSizeHint(c), qPrintable(QString::number(c)));
            for (int r = 0; r < table->rowCount(); ++r) {
                const QTableWidgetItem* item = table->item(r, c);
                if (item == nullptr) continue;
                QVERIFY2(table->columnWidth(c) > table->fontMetrics().horizontalAdvance(item->text()),
                         qPrintable(item->text()));
            }
        }
        QTRY_COMPARE(table->horizontalScrollBar()->maximum(), 0);
        QVERIFY(table->viewport()->width() >= table->horizontalHeader()->length());
    }

    void geometryIsKeptWhereTheMainWindowKeepsItsView()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        const QString key = QStringLiteral("SoundingWindow/geometry");
        QSettings(gui::kSettingsOrganisation, gui::kSettingsApplication).remove(key);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        window->close();
        QTRY_VERIFY(workspace->Windows().isEmpty());
        // The application object here carries other names than the program's: the window
        // must not follow them.
        QVERIFY(QCoreApplication::organizationName() != gui::kSettingsOrganisation);
        QVERIFY(!QSettings(gui::kSettingsOrganisation, gui::kSettingsApplication).value(key).toByteArray().isEmpty());
        QVERIFY(!QSettings().contains(key));
    }

    void chineseTextsHaveAFont()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(file, CullColumns());
        QVERIFY(window);
        QString texts;
        for (QAction* action : window->menuBar()->actions()) {
            texts += action->text();
            for (QAction* item : action->menu()->actions()) texts += item->text();
        }
        texts += window->RhoPlot->yAxis->label() + window->ModelPlot->yAxis->label() + window->RunButton->text();
        const QFontMetrics metrics(window->font());
        for (const QChar c : texts) {
            if (c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff) QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
        }
    }
};

std::unique_ptr<QObject> NewSoundingWindowTest()
{
    return std::make_unique<SoundingWindowTest>();
}

}  // namespace mt1d::test

#include "SoundingWindowTest.moc"
