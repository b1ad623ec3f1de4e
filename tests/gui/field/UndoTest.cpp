// The sounding window's undo stack and its unsaved-changes guard: every change of the state
// undone and redone in order, runs of spin-box steps and a whole drag as one step each, the
// modified mark, and closing a changed window (cancel keeps it, save writes the project,
// discard loses only the changes).

#include "tests/gui/field/SoundingWindowTest.h"

#include "session/Project.h"
#include "tests/gui/field/FieldFixture.h"

#include <QDoubleSpinBox>
#include <QMouseEvent>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUndoStack>

namespace mt1d::test {

using gui::field::FieldWorkspace;
using gui::field::SoundingWindow;

namespace {

// What the steps of these tests change.
struct Shown {
    double floor;
    std::vector<std::size_t> excluded;
    bool layered;
    std::vector<double> edited;  // the resistivities of the table's model

    bool operator==(const Shown&) const = default;
};

Shown Of(const SoundingWindow* window)
{
    const session::Session& s = window->State();
    return {s.floorPercent, s.excludedRows, s.layered.has_value(),
            s.edited ? s.edited->resistivity : std::vector<double>{}};
}

}  // namespace

class UndoTest : public QObject, public FieldFixture {
    Q_OBJECT

private slots:
    void init() { StartWorkspace(); }
    void cleanup() { FinishWorkspace(); }

    void everyChangeIsUndoneAndRedoneInOrder()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        QVERIFY(!window->isWindowModified());
        QVERIFY(!window->UndoAction->isEnabled());
        // The states and where the stack stood at each (a fit is two steps: the method chosen,
        // then its result).
        std::vector<Shown> states{Of(window)};
        std::vector<int> at{window->UndoStack->index()};
        const auto mark = [&] {
            states.push_back(Of(window));
            at.push_back(window->UndoStack->index());
        };
        window->FloorBox->setValue(10.0);
        mark();
        window->DataTable->item(3, SoundingWindow::kUseColumn)->setCheckState(Qt::Unchecked);
        mark();
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        mark();
        window->ResultsTable->item(0, SoundingWindow::kResistivityColumn)->setText(QStringLiteral("50"));
        mark();
        QCOMPARE(at, (std::vector<int>{0, 1, 2, 4, 5}));
        // Each step changed what it should (so that the walk back below means something).
        QCOMPARE(states[1].floor, 10.0);
        QCOMPARE(states[2].excluded, std::vector<std::size_t>{3});
        QVERIFY(!states[2].layered && states[3].layered);
        QCOMPARE(states[4].edited.front(), 50.0);
        QVERIFY(window->isWindowModified());
        QVERIFY(window->windowTitle().contains(QStringLiteral("[*]")));

        for (std::size_t k = states.size() - 1; k > 0; --k) {
            while (window->UndoStack->index() > at[k - 1]) {
                QVERIFY(window->UndoAction->isEnabled());
                window->UndoAction->trigger();
            }
            QVERIFY2(Of(window) == states[k - 1], qPrintable(QStringLiteral("undo to state %1").arg(k - 1)));
        }
        QVERIFY(!window->UndoAction->isEnabled());
        QVERIFY(!window->isWindowModified());
        QCOMPARE(window->FloorBox->value(), states[0].floor);  // the widgets follow
        QCOMPARE(window->DataTable->item(3, SoundingWindow::kUseColumn)->checkState(), Qt::Checked);
        for (std::size_t k = 1; k < states.size(); ++k) {
            while (window->UndoStack->index() < at[k]) window->RedoAction->trigger();
            QVERIFY2(Of(window) == states[k], qPrintable(QStringLiteral("redo to state %1").arg(k)));
        }
        QCOMPARE(window->ResultsTable->item(0, SoundingWindow::kResistivityColumn)->text(), QStringLiteral("50"));

        // A new change after an undo: what was undone cannot be redone any more.
        window->UndoAction->trigger();
        window->FloorBox->setValue(7.5);
        QVERIFY(!window->RedoAction->isEnabled());
        QCOMPARE(window->State().floorPercent, 7.5);
    }

    void spinStepsAndADragAreOneStepEach()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        const double floor = window->State().floorPercent;
        for (int i = 0; i < 4; ++i) window->FloorBox->stepUp();
        QCOMPARE(window->State().floorPercent, floor + 4 * window->FloorBox->singleStep());
        QCOMPARE(window->UndoStack->count(), 1);
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));  // a model to drag
        const int steps = window->UndoStack->count();
        const std::vector<double> fitted = window->State().edited->resistivity;
        for (const double rho : {20.0, 30.0, 40.0}) emit window->ModelPlot->resistivityDragged(0, rho);
        emit window->ModelPlot->dragFinished();
        QCOMPARE(window->State().edited->resistivity.front(), 40.0);
        QCOMPARE(window->UndoStack->count(), steps + 1);
        window->UndoAction->trigger();
        QCOMPARE(window->State().edited->resistivity, fitted);
        while (window->UndoStack->index() > 1) window->UndoAction->trigger();  // the fit and its method
        QCOMPARE(window->State().floorPercent, floor + 4 * window->FloorBox->singleStep());
        window->UndoAction->trigger();  // the four floor steps at once
        QCOMPARE(window->State().floorPercent, floor);
        QVERIFY(!window->UndoAction->isEnabled());
    }

    void pointsAreExcludedByClickAndByRectangleWhereTheyAreDrawn()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        gui::field::CurvePlot* plot = window->RhoPlot;
        plot->replot(QCustomPlot::rpImmediateRefresh);  // the axes' pixels as drawn
        const auto& points = plot->Observed();
        QVERIFY(points.size() > 8);
        const auto pixelOfRow = [&](std::size_t row) {
            for (const auto& p : points) {
                if (p.row == row) return plot->PixelOf(p).toPoint();
            }
            return QPoint(-1, -1);
        };
        // A click within a few pixels of the point takes its row out, a second click back in.
        QTest::mouseClick(plot, Qt::LeftButton, {}, pixelOfRow(5) + QPoint(2, -2));
        QCOMPARE(window->State().excludedRows, std::vector<std::size_t>{5});
        QCOMPARE(window->DataTable->item(5, SoundingWindow::kUseColumn)->checkState(), Qt::Unchecked);
        QCOMPARE(plot->Excluded()->dataCount(), 1);
        QTest::mouseClick(plot, Qt::LeftButton, {}, pixelOfRow(5));
        QVERIFY(window->State().excludedRows.empty());
        // A click on empty paper changes nothing.
        const int steps = window->UndoStack->count();
        QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(window->UndoStack->count(), steps);

        // A rectangle over the points of rows 2 to 4 (periods ascend with the row): those rows.
        QRect around;
        for (std::size_t row : {2, 3, 4}) around |= QRect(pixelOfRow(row), QSize(1, 1));
        around.adjust(-3, -3, 3, 3);
        const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            QMouseEvent event(type, QPointF(at), plot->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
            QCoreApplication::sendEvent(plot, &event);
        };
        QCOMPARE(plot->RowsIn(around), (std::vector<std::size_t>{2, 3, 4}));
        send(QEvent::MouseButtonPress, around.topLeft(), Qt::LeftButton);
        send(QEvent::MouseMove, around.center(), Qt::LeftButton);
        send(QEvent::MouseMove, around.bottomRight(), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, around.bottomRight(), Qt::NoButton);
        QCOMPARE(window->State().excludedRows, (std::vector<std::size_t>{2, 3, 4}));
        window->UndoAction->trigger();  // the rectangle is one step
        QVERIFY(window->State().excludedRows.empty());
    }

    void closingAChangedWindowAsksToSaveDiscardOrCancel()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        QTemporaryDir dir;
        chosenFile = dir.filePath(QStringLiteral("work.mt1dproj"));
        QPointer<SoundingWindow> watched(window);

        window->FloorBox->setValue(12.0);
        saveAnswer = FieldWorkspace::SaveAnswer::kCancel;
        window->close();
        QCOMPARE(saveQuestions.size(), 1);
        QTest::qWait(20);
        QVERIFY(!watched.isNull() && window->isVisible());
        QCOMPARE(window->State().floorPercent, 12.0);
        QVERIFY(!QFile::exists(chosenFile));

        saveAnswer = FieldWorkspace::SaveAnswer::kSave;
        window->close();
        QTRY_VERIFY(watched.isNull());
        const session::Project saved = session::LoadProject(chosenFile.toStdString());
        QCOMPARE(saved.windows.size(), std::size_t{1});
        QCOMPARE(saved.windows[0].session.floorPercent, 12.0);

        // Discarded: the window goes, the project keeps what was saved.
        SoundingWindow* again = OpenCull();
        QVERIFY(again);
        watched = again;
        again->FloorBox->setValue(3.0);
        saveAnswer = FieldWorkspace::SaveAnswer::kDiscard;
        again->close();
        QTRY_VERIFY(watched.isNull());
        QCOMPARE(session::LoadProject(chosenFile.toStdString()).windows[0].session.floorPercent, 12.0);
        QCOMPARE(saveQuestions.size(), 3);
    }

    void savingMarksEveryWindowSavedAndAnUnchangedWindowClosesWithoutAsking()
    {
        SoundingWindow* first = OpenCull();
        if (!first) return;
        SoundingWindow* second = OpenCull();
        QVERIFY(second);
        first->FloorBox->setValue(9.0);
        second->DataTable->item(0, SoundingWindow::kUseColumn)->setCheckState(Qt::Unchecked);
        QVERIFY(first->isWindowModified() && second->isWindowModified());
        QTemporaryDir dir;
        chosenFile = dir.filePath(QStringLiteral("both.mt1dproj"));
        QVERIFY(workspace->SaveProject(first));
        QVERIFY(!first->isWindowModified() && !second->isWindowModified());
        // Undoing past the save changes the window again.
        second->UndoAction->trigger();
        QVERIFY(second->isWindowModified());
        second->RedoAction->trigger();
        QVERIFY(!second->isWindowModified());
        QPointer<SoundingWindow> watched(first);
        first->close();
        QTRY_VERIFY(watched.isNull());
        QVERIFY(saveQuestions.isEmpty());
    }

    void modelTableLocksSplitsDeletesAndFitsFromTheTable()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        QVERIFY(RunAndWait(window, fitting::Method::kLayered));
        const session::Session fitted = window->State();
        QCOMPARE(fitted.edited->LayerCount(), std::size_t{3});
        // A tick in the second layer's resistivity cell locks it, as one step.
        const int steps = window->UndoStack->count();
        window->ResultsTable->item(1, SoundingWindow::kResistivityColumn)->setCheckState(Qt::Checked);
        QCOMPARE(window->UndoStack->count(), steps + 1);
        QCOMPARE(window->State().locked, (std::vector<bool>{false, true, false, false, false}));
        QCOMPARE(window->State().edited->resistivity, fitted.edited->resistivity);  // the value stays
        const session::Session locked = window->State();

        // Split the top layer, delete the half-space: each a step; undone, the table is back
        // bit for bit with its lock.
        window->ResultsTable->setCurrentCell(0, SoundingWindow::kResistivityColumn);
        window->InsertLayerButton->click();
        QCOMPARE(window->State().edited->LayerCount(), std::size_t{4});
        QVERIFY(window->State().locked[2]);  // the lock moved down with its layer
        QCOMPARE(window->ResultsTable->rowCount(), 4);
        QCOMPARE(window->ResultsTable->item(2, SoundingWindow::kResistivityColumn)->checkState(), Qt::Checked);
        window->ResultsTable->setCurrentCell(3, SoundingWindow::kResistivityColumn);
        window->DeleteLayerButton->click();
        QCOMPARE(window->State().edited->LayerCount(), std::size_t{3});
        window->UndoAction->trigger();
        window->UndoAction->trigger();
        QCOMPARE(window->State().edited->resistivity, locked.edited->resistivity);
        QCOMPARE(window->State().edited->thickness, locked.edited->thickness);
        QCOMPARE(window->State().locked, locked.locked);

        // Split again and fit from the table: four layers, the locked value kept bit for bit.
        window->ResultsTable->setCurrentCell(2, SoundingWindow::kResistivityColumn);
        window->InsertLayerButton->click();
        const session::Session table = window->State();
        QSignalSpy done(window, &SoundingWindow::fitFinished);
        window->FitFromTableButton->click();
        QVERIFY(done.wait(30000));
        const session::Session after = window->State();
        QVERIFY(after.layered);
        QCOMPARE(after.layered->model.LayerCount(), std::size_t{4});
        QCOMPARE(after.fit.layers, std::optional<std::size_t>{4});
        QCOMPARE(after.layered->model.resistivity[1], table.edited->resistivity[1]);
        QCOMPARE(after.locked, table.locked);
        // The thickness factor has a column of its own.
        QVERIFY(window->ResultsTable->item(0, SoundingWindow::kThicknessFactorColumn)->text().startsWith(QStringLiteral("×/÷"))
                || window->ResultsTable->item(0, SoundingWindow::kThicknessFactorColumn)->text() == QStringLiteral("未定"));
        window->UndoAction->trigger();  // the fit is one step
        QCOMPARE(window->State().edited->resistivity, table.edited->resistivity);
        QCOMPARE(window->State().fit.layers, std::optional<std::size_t>{3});
    }

private:
    SoundingWindow* OpenCull()
    {
        const QString file = SharedFile("cull1985-occam1987/aushield.dat");
        if (file.isEmpty()) {
            QTest::qSkip(testing_support::kNoSharedData, __FILE__, __LINE__);
            return nullptr;
        }
        SoundingWindow* window = Open(file, CullColumns());
        if (!window) QTest::qFail("the sounding did not open", __FILE__, __LINE__);
        return window;
    }
};

std::unique_ptr<QObject> NewUndoTest() { return std::make_unique<UndoTest>(); }

}  // namespace mt1d::test

#include "UndoTest.moc"
