// What the two charts show beyond the forward response: the conventional impedance phase
// when the View menu asks for it (remembered for the next window), and the fitted response
// of an inversion as a dashed line until the next forward calculation.

#include "tests/gui/classic/GuiFixture.h"
#include "tests/gui/classic/GuiTests.h"

#include "classic/Commands.h"
#include "classic/FittedResponse.h"
#include "numerics/PhaseRelation.h"
#include "gui/classic/ResponseChart.h"
#include "gui/common/ViewSettings.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QSettings>

namespace mt1d::test {

namespace {

// The classic phase curve of a view, as conventional impedance phase when asked.
QList<QPointF> PhasePoints(const std::vector<ChartPoint>& classic, bool conventional)
{
    QList<QPointF> points;
    for (auto it = classic.rbegin(); it != classic.rend(); ++it) {  // plotted by ascending period
        points.append(QPointF(it->x, conventional ? ImpedancePhaseDegrees(it->y) : it->y));
    }
    return points;
}

QList<QPointF> AppResPoints(const std::vector<ChartPoint>& curve)
{
    QList<QPointF> points;
    for (auto it = curve.rbegin(); it != curve.rend(); ++it) {
        points.append(QPointF(it->x, it->y));
    }
    return points;
}

bool RememberedConventional()
{
    return QSettings(gui::kSettingsOrganisation, gui::kSettingsApplication)
        .value(QStringLiteral("mainWindow/conventionalPhase"))
        .toBool();
}

}  // namespace

class ChartViewTest : public QObject, private GuiFixture {
    Q_OBJECT

private slots:
    void initTestCase() { PinLocale(); }
    void init() { StartWindow(); }
    void cleanup() { FinishWindow(); }

    void phaseChartSwitchesBetweenClassicAndConventional_data()
    {
        QTest::addColumn<bool>("conventional");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("axisTitle");
        QTest::newRow("classic") << false << "相位" << "Phase / degree";
        QTest::newRow("conventional") << true << "阻抗相位" << "Impedance phase / degree";
    }

    void phaseChartSwitchesBetweenClassicAndConventional()
    {
        QFETCH(bool, conventional);
        QFETCH(QString, title);
        QFETCH(QString, axisTitle);
        QVERIFY(!form->ConventionalPhaseAction->isChecked());  // off for a new user
        QVERIFY(form->ConventionalPhaseAction->isCheckable());
        const QString listing = form->Memo1->toPlainText();
        const QList<QPointF> appRes = gui::GraphPoints(*form->Series1);

        if (conventional) {
            form->ConventionalPhaseAction->trigger();
        }
        const ResponseView view = DescribeResponse(form->Store);
        QCOMPARE(gui::GraphPoints(*form->Series2), PhasePoints(view.phaseCurve, conventional));
        QCOMPARE(form->Chart2->Title()->text(), title);
        QCOMPARE(form->Chart2->yAxis->label(), axisTitle);
        const QCPRange range = form->Chart2->yAxis->range();
        for (const QPointF& point : gui::GraphPoints(*form->Series2)) {
            QVERIFY(point.y() >= range.lower && point.y() <= range.upper);
        }
        // Only the phase chart changes.
        QCOMPARE(form->Memo1->toPlainText(), listing);
        QCOMPARE(gui::GraphPoints(*form->Series1), appRes);
        QCOMPARE(RememberedConventional(), conventional);

        if (conventional) {  // and back
            form->ConventionalPhaseAction->trigger();
            QCOMPARE(gui::GraphPoints(*form->Series2), PhasePoints(view.phaseCurve, false));
            QCOMPARE(form->Chart2->Title()->text(), QStringLiteral("相位"));
            QVERIFY(!RememberedConventional());
        }
    }

    void halfSpaceHasFortyFiveDegreesOfImpedancePhase()
    {
        PressDown(2);
        form->StringGrid1->SetCell(1, 1, QStringLiteral("100"));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        form->ConventionalPhaseAction->trigger();
        const QList<QPointF> phase = gui::GraphPoints(*form->Series2);
        QCOMPARE(phase.size(), 41);
        for (const QPointF& point : phase) {
            // φ = arg Z is 45° over a uniform earth; the classic −π/4 went through a float:
            // half of 1e-3° is ample.
            QVERIFY2(qAbs(point.y() - 45.0) < 1e-3, qPrintable(QString::number(point.y())));
        }
    }

    void nextWindowOpensWithTheRememberedPhase()
    {
        form->ConventionalPhaseAction->trigger();
        form.reset();
        form = std::make_unique<TForm1>();
        QVERIFY(form->ConventionalPhaseAction->isChecked());
        QCOMPARE(form->Chart2->Title()->text(), QStringLiteral("阻抗相位"));
        const ResponseView view = DescribeResponse(form->Store);
        QCOMPARE(gui::GraphPoints(*form->Series2), PhasePoints(view.phaseCurve, true));
    }

    void conventionalViewLeavesTheInversionAlone()
    {
        ModelStore expected = form->Store;
        const InversionOutcome outcome = RunInversion(expected, kSourcePhase, kMethodSvd);

        form->ConventionalPhaseAction->trigger();
        ChooseSource(kSourcePhase);
        driver->ExpectMessage();
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QCOMPARE(driver->Messages().size(), 1);
        QCOMPARE(driver->Messages()[0].text, QString::fromStdString(outcome.report));
        QVERIFY(std::memcmp(&expected, &form->Store, sizeof expected) == 0);
    }

    void inversionDrawsTheFittedResponseDashed_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("conventional");
        QTest::newRow("resistivity, singular value") << 0 << 0 << false;
        QTest::newRow("phase, constrained") << 1 << 1 << false;
        QTest::newRow("both, singular value, conventional phase") << 2 << 0 << true;
    }

    void inversionDrawsTheFittedResponseDashed()
    {
        QFETCH(int, source);
        QFETCH(int, method);
        QFETCH(bool, conventional);
        if (conventional) {
            form->ConventionalPhaseAction->trigger();
        }
        ChooseSource(source);
        ChooseMethod(method);
        const QList<QPointF> observedAppRes = gui::GraphPoints(*form->Series1);
        const QList<QPointF> observedPhase = gui::GraphPoints(*form->Series2);

        // The charts already show the fit while the report is on screen.
        QList<QPointF> fittedWhileReporting;
        driver->Expect(QStringLiteral("report"), [&](QWidget* box) {
            fittedWhileReporting = gui::GraphPoints(*form->Chart1->FittedSeries());
            ModalDriver::CloseLater(box);
        });
        QTest::mouseClick(form->Button2, Qt::LeftButton);

        const ResponseView fitted = FittedResponse(form->Store);
        QCOMPARE(fittedWhileReporting, AppResPoints(fitted.appResCurve));
        QCOMPARE(gui::GraphPoints(*form->Chart1->FittedSeries()), AppResPoints(fitted.appResCurve));
        QCOMPARE(gui::GraphPoints(*form->Chart2->FittedSeries()),
                 PhasePoints(fitted.phaseCurve, conventional));
        for (const gui::ResponseChart* chart : {form->Chart1, form->Chart2}) {
            QCOMPARE(chart->FittedSeries()->pen().style(), Qt::DashLine);
            QCOMPARE(chart->Series()->pen().style(), Qt::SolidLine);
            QVERIFY(chart->legend->visible());
        }
        // The observed curves stay as they were.
        QCOMPARE(gui::GraphPoints(*form->Series1), observedAppRes);
        QCOMPARE(gui::GraphPoints(*form->Series2), observedPhase);
    }

    void forwardCalculationRemovesTheFittedResponse()
    {
        driver->ExpectMessage();
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QCOMPARE(gui::GraphPoints(*form->Chart1->FittedSeries()).size(), 41);

        // A refused calculation changes nothing, the fit included.
        form->StringGrid1->SetCell(1, 2, QStringLiteral("abc"));
        driver->ExpectMessage();
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(gui::GraphPoints(*form->Chart2->FittedSeries()).size(), 41);

        form->StringGrid1->SetCell(1, 2, QStringLiteral("20"));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        for (const gui::ResponseChart* chart : {form->Chart1, form->Chart2}) {
            QVERIFY(gui::GraphPoints(*chart->FittedSeries()).isEmpty());
            QVERIFY(!chart->legend->visible());
        }
    }

    // The axes take in the fitted response where it leaves the observed curve's range.
    void axesSpanTheFittedResponseToo_data()
    {
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("resistivity") << true << 1.0 << 1000.0;  // decades around 2 .. 500
        QTest::newRow("phase") << false << -60.0 << 90.0;      // steps of 30 around -47 .. 71
    }

    void axesSpanTheFittedResponseToo()
    {
        QFETCH(bool, logarithmic);
        QFETCH(double, low);
        QFETCH(double, high);
        using Scale = gui::ResponseChart::ValueScale;
        gui::ResponseChart chart(QStringLiteral("t"), QString(), QString(),
                                 logarithmic ? Scale::Logarithmic : Scale::Linear, Qt::red);
        const QList<QPointF> curve = logarithmic
                                         ? QList<QPointF>{{0.01, 10.0}, {1.0, 50.0}, {100.0, 80.0}}
                                         : QList<QPointF>{{0.01, 10.0}, {1.0, 20.0}, {100.0, 30.0}};
        const QList<QPointF> fitted = logarithmic
                                          ? QList<QPointF>{{0.01, 2.0}, {1.0, 50.0}, {100.0, 500.0}}
                                          : QList<QPointF>{{0.01, -47.0}, {1.0, 20.0}, {100.0, 71.0}};
        chart.ShowCurves(curve, fitted);
        // Ends of decades or of round steps: exact but for the log axis' relative 1e-9 slack.
        QVERIFY(qAbs(chart.yAxis->range().lower / low - 1.0) < 1e-6);
        QVERIFY(qAbs(chart.yAxis->range().upper / high - 1.0) < 1e-6);
        chart.ShowCurves(curve);
        QVERIFY(chart.yAxis->range().lower > low + 1.0);  // the fit gone, its range goes too
    }
};

std::unique_ptr<QObject> NewChartViewTest()
{
    return std::make_unique<ChartViewTest>();
}

}  // namespace mt1d::test

#include "ChartViewTest.moc"
