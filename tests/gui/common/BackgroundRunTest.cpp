// A background run's rules, each against the fault it keeps out: the end handled inside a
// progress handler that processes events (the survey dialog deleted inside its own setValue),
// posts to a run that is gone, an owner that goes before a task it must wait for, a task that
// throws, and a report flood that would keep the GUI thread busy.

#include "gui/common/BackgroundRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

using mt1d::gui::BackgroundRun;
using Run = mt1d::gui::TypedRun<int, int>;

// Events for `ms` milliseconds, as a modal dialog's setValue() or a message box would run them.
void ProcessEventsFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class BackgroundRunTest : public QObject {
    Q_OBJECT

private slots:
    void theEndWaitsForAProgressHandlerThatProcessesEvents()
    {
        BackgroundRun run(10, BackgroundRun::OnDestroy::kLeave);
        Run typed(&run);
        auto returned = std::make_shared<std::atomic<bool>>(false);
        bool inHandler = false;
        bool endedInHandler = false;
        int handled = 0;
        connect(&run, &BackgroundRun::finished, this, [&] { endedInHandler = endedInHandler || inHandler; });
        connect(&run, &BackgroundRun::progressed, this, [&] {
            ++handled;
            inHandler = true;
            // The task reports once and returns; its end is posted while we process events.
            QElapsedTimer wait;
            wait.start();
            while (!returned->load() && wait.elapsed() < 10000) ProcessEventsFor(5);
            ProcessEventsFor(100);
            inHandler = false;
        });
        QSignalSpy finished(&run, &BackgroundRun::finished);
        QVERIFY(typed.Start([returned](Run::Block& block) {
            block.Report(1);
            // The end goes out after the report, once the handler is surely inside.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            returned->store(true);
            return 7;
        }));
        QVERIFY(finished.wait(10000));
        QCOMPARE(handled, 1);
        QVERIFY(!endedInHandler);
        QCOMPARE(typed.Take(), std::optional<int>(7));
        QVERIFY(!run.Busy());
        // Nothing after the end.
        QSignalSpy progressed(&run, &BackgroundRun::progressed);
        ProcessEventsFor(50);
        QCOMPARE(progressed.count(), 0);
    }

    void destroyingARunStopsItsTaskAndNothingReachesTheRunAfterwards()
    {
        auto run = std::make_unique<BackgroundRun>(5, BackgroundRun::OnDestroy::kLeave);
        Run typed(run.get());
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        auto reportsAfterStop = std::make_shared<std::atomic<int>>(0);
        QSignalSpy progressed(run.get(), &BackgroundRun::progressed);
        QVERIFY(typed.Start([stopped, reportsAfterStop](Run::Block& block) {
            int n = 0;
            while (!block.cancel.load()) block.Report(++n);
            // It keeps reporting for a while: none of it may reach the destroyed run.
            for (int k = 0; k < 2000; ++k, ++*reportsAfterStop) block.Report(++n);
            stopped->store(true);
            return n;
        }));
        QVERIFY(progressed.wait(10000));
        QVERIFY(!typed.Start([](Run::Block&) { return 0; }));  // one task at a time
        run.reset();
        QElapsedTimer wait;
        wait.start();
        while (!stopped->load() && wait.elapsed() < 10000) ProcessEventsFor(5);
        QVERIFY(stopped->load());
        QCOMPARE(reportsAfterStop->load(), 2000);
        ProcessEventsFor(100);  // a call posted to the destroyed run would run here
    }

    void destroyingARunThatMustWaitReturnsOnlyOnceItsTaskHasEnded()
    {
        auto ended = std::make_shared<std::atomic<bool>>(false);
        {
            BackgroundRun run(5, BackgroundRun::OnDestroy::kWait);
            Run typed(&run);
            QSignalSpy progressed(&run, &BackgroundRun::progressed);
            QVERIFY(typed.Start([ended](Run::Block& block) {
                block.Report(1);
                while (!block.stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                // What a batch does after the stop: finish writing its summary.
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                ended->store(true);
                return 0;
            }));
            QVERIFY(progressed.wait(10000));
        }
        QVERIFY(ended->load());
    }

    void aTaskThatThrowsEndsWithoutResultAndSaysWhy()
    {
        BackgroundRun run(5, BackgroundRun::OnDestroy::kLeave);
        Run typed(&run);
        QSignalSpy finished(&run, &BackgroundRun::finished);
        QVERIFY(typed.Start([](Run::Block&) -> int { throw std::runtime_error("the folder went away"); }));
        QVERIFY(finished.wait(10000));
        QVERIFY(!run.Busy());
        QVERIFY(!typed.Take().has_value());
        QCOMPARE(QString::fromStdString(typed.Failure()), QStringLiteral("the folder went away"));
        // The run takes the next task, and that one succeeds.
        QVERIFY(typed.Start([](Run::Block&) { return 3; }));
        QVERIFY(finished.wait(10000));
        QCOMPARE(typed.Take(), std::optional<int>(3));
        QVERIFY(typed.Failure().empty());
    }

    void aFloodOfReportsIsShownAtMostOncePerIntervalAndEndsAtTheLatest()
    {
        // 100 ms apart at most: 200000 reports in well under a few seconds give a handful of
        // progressed(); one per report (or per waiting call) would give thousands.
        BackgroundRun run(100, BackgroundRun::OnDestroy::kLeave);
        Run typed(&run);
        int shown = 0;
        int lastSeen = 0;
        connect(&run, &BackgroundRun::progressed, this, [&] {
            ++shown;
            lastSeen = typed.Latest().second;
        });
        QSignalSpy finished(&run, &BackgroundRun::finished);
        constexpr int kReports = 200000;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(typed.Start([](Run::Block& block) {
            for (int n = 1; n <= kReports; ++n) block.Report(n);
            return kReports;
        }));
        QVERIFY(finished.wait(60000));
        const auto intervals = static_cast<int>(timer.elapsed() / 100);
        QVERIFY2(shown >= 1 && shown <= intervals + 2, qPrintable(QStringLiteral("%1 shown in %2 intervals").arg(shown).arg(intervals)));
        QVERIFY(lastSeen >= 1 && lastSeen <= kReports);
        QCOMPARE(typed.Latest().second, kReports);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BackgroundRunTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BackgroundRunTest.moc"
