// The dimensionality tab of the sounding window on real files: the ellipses and the data
// table's marks against an analysis made here, the thresholds, the one-click exclusion of the
// rows that are not 1-D (and ticking one back), and the note for a file without a tensor.

#include "tests/gui/field/SoundingWindowTest.h"

#include "dims/Dimensionality.h"
#include "gui/field/DimsView.h"
#include "tests/gui/field/FieldFixture.h"

#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace mt1d::test {

using gui::field::SoundingWindow;

namespace {

// A broadband tensor EDI of 104 frequencies, 42 of them 1-D by the default thresholds.
const char* const kTensorFile = "edi/Phoenix2025.edi";

int CurveCount(QCustomPlot* plot)
{
    int n = 0;
    for (int i = 0; i < plot->plottableCount(); ++i) n += qobject_cast<QCPCurve*>(plot->plottable(i)) != nullptr;
    return n;
}

// The table's dimensionality column against an analysis of the window's sounding.
void ExpectTableMarks(const SoundingWindow* window, const dims::DimsResult& expected)
{
    const QTableWidget* table = window->DataTable;
    QCOMPARE(static_cast<std::size_t>(table->rowCount()), expected.rows.size());
    for (int r = 0; r < table->rowCount(); ++r) {
        const auto& row = expected.rows[static_cast<std::size_t>(r)];
        const QTableWidgetItem* item = table->item(r, SoundingWindow::kDimsColumn);
        QVERIFY(item != nullptr);
        const QString want = !row.oneD ? QString() : *row.oneD ? QStringLiteral("是") : QStringLiteral("否");
        QVERIFY2(item->text() == want, qPrintable(QStringLiteral("row %1: %2").arg(r).arg(item->text())));
        if (row.oneD && !*row.oneD) QVERIFY(item->toolTip().contains(QString::fromStdString(row.notOneD)));
    }
}

}  // namespace

class DimsTabTest : public QObject, public FieldFixture {
    Q_OBJECT

private slots:
    void init() { StartWorkspace(); }
    void cleanup() { FinishWorkspace(); }

    void tensorFileShowsEllipsesOfTensorRowsAndMarksTheTable()
    {
        SoundingWindow* window = OpenShared(kTensorFile);
        if (!window) return;
        QCOMPARE(window->Tabs->tabText(window->Tabs->indexOf(window->Dims)), QStringLiteral("维度"));
        window->Tabs->setCurrentWidget(window->Dims);
        const dims::DimsResult expected = dims::AnalyseDimensionality(window->State().sounding);
        QVERIFY(window->Dims->Result().has_value());
        const auto tensorRows = std::count_if(expected.rows.begin(), expected.rows.end(),
                                              [](const dims::DimsRow& r) { return r.phiMaxDeg && r.phiMinDeg; });
        QVERIFY(tensorRows > 10);
        // An ellipse for every drawn row (rows closer than a diameter share one), each of a row
        // with a tensor, and at least one for every decade of the rows' periods.
        const auto& ellipses = window->Dims->Figure().ellipses;
        QCOMPARE(CurveCount(window->Dims->Plot), static_cast<int>(ellipses.size()));
        QVERIFY(ellipses.size() >= 7);
        for (const auto& e : ellipses) QVERIFY(expected.rows[e.row].phiMaxDeg && expected.rows[e.row].phiMinDeg);
        ExpectTableMarks(window, expected);
        QVERIFY(!window->Dims->NoteLabel->isVisibleTo(window));
        QVERIFY(window->Dims->SummaryLabel->text().contains(
            QStringLiteral("%1 / %2").arg(expected.oneDRows).arg(expected.computedRows)));
    }

    void thresholdsInTheTabAnalyseAgain()
    {
        SoundingWindow* window = OpenShared(kTensorFile);
        if (!window) return;
        // Each box on its own: the skew first, then the ellipticity.
        dims::DimsOptions options;
        window->Dims->MaxSkewBox->setValue(10.0);
        options.maxSkewDeg = 10.0;
        const dims::DimsResult skew = dims::AnalyseDimensionality(window->State().sounding, options);
        QCOMPARE(window->Dims->Result()->oneDRows, skew.oneDRows);
        ExpectTableMarks(window, skew);
        window->Dims->MaxEllipticityBox->setValue(0.5);
        options.maxEllipticity = 0.5;
        const dims::DimsResult both = dims::AnalyseDimensionality(window->State().sounding, options);
        QVERIFY(both.oneDRows > skew.oneDRows);
        QCOMPARE(window->Dims->Result()->oneDRows, both.oneDRows);
        ExpectTableMarks(window, both);
    }

    void oneClickExcludesExactlyTheRowsThatAreNotOneD()
    {
        SoundingWindow* window = OpenShared(kTensorFile);
        if (!window) return;
        const dims::DimsResult expected = dims::AnalyseDimensionality(window->State().sounding);
        std::vector<std::size_t> notOneD, oneD;
        for (std::size_t i = 0; i < expected.rows.size(); ++i) {
            if (expected.rows[i].oneD) (*expected.rows[i].oneD ? oneD : notOneD).push_back(i);
        }
        if (notOneD.empty() || oneD.empty()) QSKIP("the file has no rows of both kinds");
        // A 1-D row the user left out stays out.
        QTableWidgetItem* use = window->DataTable->item(static_cast<int>(oneD.front()), SoundingWindow::kUseColumn);
        use->setCheckState(Qt::Unchecked);
        QCOMPARE(window->State().excludedRows, std::vector<std::size_t>{oneD.front()});
        QVERIFY(window->Dims->ExcludeButton->isEnabled());
        window->Dims->ExcludeButton->click();
        std::vector<std::size_t> want = notOneD;
        want.push_back(oneD.front());
        std::sort(want.begin(), want.end());
        QCOMPARE(window->State().excludedRows, want);
        for (std::size_t row : notOneD) {
            QCOMPARE(window->DataTable->item(static_cast<int>(row), SoundingWindow::kUseColumn)->checkState(), Qt::Unchecked);
        }
        // The rows come back as any excluded row does, by their check box.
        window->DataTable->item(static_cast<int>(notOneD.front()), SoundingWindow::kUseColumn)->setCheckState(Qt::Checked);
        QVERIFY(!session::IsExcluded(window->State(), notOneD.front()));
    }

    void notOneDRowsAreMarkedOnTheCurvesAndUndoBringsThemBack()
    {
        SoundingWindow* window = OpenShared(kTensorFile);
        if (!window) return;
        const dims::DimsResult expected = dims::AnalyseDimensionality(window->State().sounding);
        std::vector<std::size_t> notOneD;
        int marked = 0;  // rows drawn on the curves (usable) that are not 1-D
        for (std::size_t i = 0; i < expected.rows.size(); ++i) {
            if (expected.rows[i].oneD != false) continue;
            notOneD.push_back(i);
            marked += window->ShownCurve().rows[i].usable ? 1 : 0;
        }
        if (marked == 0) QSKIP("the file has no usable row that is not 1-D");
        for (gui::field::CurvePlot* plot : {window->RhoPlot, window->PhasePlot}) {
            QCOMPARE(plot->NotOneD()->dataCount(), marked);
        }
        QVERIFY(window->RhoPlot->legend->hasItemWithPlottable(window->RhoPlot->NotOneD()));
        QVERIFY(!window->isWindowModified());

        window->Dims->ExcludeButton->click();
        QCOMPARE(window->State().excludedRows, notOneD);
        QVERIFY(window->isWindowModified());
        QVERIFY(window->UndoAction->isEnabled());
        window->UndoAction->trigger();
        QVERIFY(window->State().excludedRows.empty());
        QCOMPARE(window->DataTable->item(static_cast<int>(notOneD.front()), SoundingWindow::kUseColumn)->checkState(),
                 Qt::Checked);
        QVERIFY(!window->isWindowModified());  // back where it was opened
        window->RedoAction->trigger();
        QCOMPARE(window->State().excludedRows, notOneD);
    }

    void rotationToTheStrikeTurnsTheTensorAndUndoTurnsItBack()
    {
        SoundingWindow* window = OpenShared(kTensorFile);
        if (!window) return;
        const auto strike = window->Dims->Result()->strikeDeg;
        if (!strike) QSKIP("the file has no 2-D rows, hence no strike");
        const sounding::Sounding original = window->State().sounding;
        const double frame = original.tensor.front().rotationDeg;
        QCOMPARE(window->Dims->RotationBox->value(), frame);
        QVERIFY(window->Dims->StrikeButton->isEnabled());
        QVERIFY(window->Dims->StrikeButton->text().contains(QString::number(*strike, 'f', 1)));

        window->Dims->StrikeButton->click();
        for (const auto& row : window->State().sounding.tensor) QCOMPARE(row.rotationDeg, *strike);
        QCOMPARE(window->State().read.rotateToDeg, std::optional<double>(*strike));
        QCOMPARE(window->Dims->RotationBox->value(), std::round(*strike * 10.0) / 10.0);
        // The off-diagonal elements change with the frame (the 2-D rows' by far); the strike,
        // measured from north, does not (rounding of the rotation: 1e-9°).
        QVERIFY(*window->State().sounding.tensor.front().z[1].value != *original.tensor.front().z[1].value);
        QVERIFY(std::abs(*window->Dims->Result()->strikeDeg - *strike) < 1e-9);

        // A typed angle: one more step.
        window->Dims->RotationBox->setValue(40.0);
        QCOMPARE(window->State().sounding.tensor.front().rotationDeg, 40.0);
        window->UndoAction->trigger();  // the typed angle and the strike are one run of rotations
        QCOMPARE(window->State().sounding.tensor.front().rotationDeg, frame);
        QVERIFY(!window->State().read.rotateToDeg.has_value());
        QCOMPARE(window->Dims->RotationBox->value(), frame);
        for (std::size_t i = 0; i < original.tensor.size(); ++i) {
            QVERIFY(*window->State().sounding.tensor[i].z[1].value == *original.tensor[i].z[1].value);
        }
    }

    void fileWithoutTensorShowsTheNoteAndNothingElse()
    {
        SoundingWindow* window = OpenShared("edi/tf_edi_rho_only.edi");
        if (!window) return;
        window->Tabs->setCurrentWidget(window->Dims);
        QVERIFY(!window->Dims->Result().has_value());
        QVERIFY(window->Dims->NoteLabel->isVisibleTo(window));
        QVERIFY(window->Dims->NoteLabel->text().contains(QStringLiteral("没有阻抗张量")));
        QVERIFY(!window->Dims->Plot->isVisibleTo(window));
        QVERIFY(!window->Dims->ExcludeButton->isEnabled());
        QVERIFY(!window->Dims->RotationBox->isEnabled());
        QVERIFY(!window->Dims->StrikeButton->isEnabled());
        for (int r = 0; r < window->DataTable->rowCount(); ++r) {
            QVERIFY(window->DataTable->item(r, SoundingWindow::kDimsColumn)->text().isEmpty());
        }
    }

    void theTabIsExportedAsAFigure()
    {
        SoundingWindow* window = OpenShared(kTensorFile);
        if (!window) return;
        window->Tabs->setCurrentWidget(window->Dims);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("dims.png"));
        QCOMPARE(window->ExportFigure(file), QString());
        QVERIFY(QFile(file).size() > 10000);
    }

private:
    SoundingWindow* OpenShared(const char* relative)
    {
        const QString file = SharedFile(relative);
        if (file.isEmpty()) {
            QTest::qSkip(testing_support::kNoSharedData, __FILE__, __LINE__);
            return nullptr;
        }
        SoundingWindow* window = Open(file);
        if (!window) QTest::qFail("the sounding did not open", __FILE__, __LINE__);
        return window;
    }
};

std::unique_ptr<QObject> NewDimsTabTest() { return std::make_unique<DimsTabTest>(); }

}  // namespace mt1d::test

#include "DimsTabTest.moc"
