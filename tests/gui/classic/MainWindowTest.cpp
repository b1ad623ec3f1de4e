// The main window driven through its controls: start-up, the layer-count arrows, the forward
// calculation with good and bad input, the inversion and its report, the reset, the lock on
// the store's commands during a run, the error boxes and the fonts.

#include "tests/gui/classic/GuiFixture.h"
#include "tests/gui/classic/GuiTests.h"
#include "tests/classic/WholeRunExpectations.h"

#include "gui/classic/AboutBox.h"
#include "classic/Commands.h"
#include "gui/common/MessageBoxes.h"
#include "numerics/Notice.h"
#include "gui/classic/ResponseChart.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mt1d::test {

namespace {

// The engine's message of every ending of either method.
QStringList EndingMessages()
{
    QStringList messages;
    for (const bool constrained : {false, true}) {
        for (const mt::RunEnding ending :
             {mt::RunEnding::kFittedAtStart, mt::RunEnding::kConverged, mt::RunEnding::kIterationLimit,
              mt::RunEnding::kAttemptLimit, mt::RunEnding::kDecompositionFailure,
              mt::RunEnding::kRankZero, mt::RunEnding::kNonFinite}) {
            messages << QString::fromStdString(std::string(mt::EndingMessage(ending, constrained)));
        }
    }
    return messages;
}

// The report box of a recorded press (WholeRunExpectations.h) of the default model: the
// report of its ending, iteration count, misfit and layers.
QString ExpectedReport(const whole_runs::Expected& expected, mt::RunEnding ending)
{
    const std::vector<float>& p = expected.parameters;
    const float res[3] = {p[0], p[1], p[2]};
    const float thick[3] = {p[3], p[4], 20.0f};  // the half-space's 0.2 × 100, no parameter
    const std::string message(mt::EndingMessage(ending, expected.method == kMethodConstrained));
    return QString::fromStdString(
        InversionReport(message, expected.iterations, expected.misfit, 5, res, thick));
}

QStringList ListingLines(const QPlainTextEdit& memo)
{
    return memo.toPlainText().split(QLatin1Char('\n'));
}

// An object whose event handling throws, as a faulty handler would.
class ThrowingReceiver : public QObject {
protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) {
            throw std::runtime_error("handler failed");
        }
        return QObject::event(event);
    }
};

}  // namespace

class MainWindowTest : public QObject, private GuiFixture {
    Q_OBJECT

private slots:
    void initTestCase() { PinLocale(); }
    void init() { StartWindow(); }
    void cleanup() { FinishWindow(); }

    void startUpShowsDefaultModelAndResponse()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Magnetotelluric"));
        // The controls' area keeps its size; on the test screen (800×600) all of it shows.
        QCOMPARE(form->DesignArea->size(), QSize(773, 476));
        QCOMPARE(form->ScrollArea->viewport()->size(), QSize(773, 476));
        QCOMPARE(GridRows(*form->StringGrid1),
                 QStringList({"No|Res|Th/m", "1|1000|500", "2|10|500", "3|1000|100"}));
        QCOMPARE(form->Edit1->text(), QStringLiteral("3"));
        QCOMPARE(form->UpDown1->Position(), 3);
        QCOMPARE(form->UpDown1->Maximum(), 50);
        QCOMPARE(form->RESPH->ItemIndex(), 0);
        QCOMPARE(form->InvType->ItemIndex(), 0);

        const QStringList lines = ListingLines(*form->Memo1);
        QCOMPARE(lines.size(), 41);
        QVERIFY2(lines.first().startsWith(QStringLiteral("1.0E-04 ")), qPrintable(lines.first()));
        QVERIFY2(lines.last().startsWith(QStringLiteral("1.0E+04 ")), qPrintable(lines.last()));
        QCOMPARE(lines[20].split(QLatin1Char(' ')).size(), 3);

        const QList<QPointF> curve = gui::GraphPoints(*form->Series1);
        QCOMPARE(curve.size(), 41);
        QCOMPARE(gui::GraphPoints(*form->Series2).size(), 41);
        // The plot keeps its points by period, from 0.0001 s (the highest frequency) to
        // 10000 s. The frequencies are floats: relative 2^-24 per rounding, with a safety
        // factor 10.
        QVERIFY(qAbs(curve.first().x() / 1e-4 - 1.0) < 1e-6);
        QVERIFY(qAbs(curve.last().x() / 1e4 - 1.0) < 1e-6);
        QVERIFY(gui::GraphPoints(*form->Chart1->FittedSeries()).isEmpty());
        QVERIFY(!form->Chart1->legend->visible());
        QVERIFY(form->About != nullptr);
        QVERIFY(!form->About->isVisible());
    }

    void chartsPlotTheStoreResponse()
    {
        const ResponseView view = DescribeResponse(form->Store);
        const QList<QPointF> appRes = gui::GraphPoints(*form->Series1);
        const QList<QPointF> phase = gui::GraphPoints(*form->Series2);
        QCOMPARE(appRes.size(), form->Store.FreqCount);
        QCOMPARE(phase.size(), form->Store.FreqCount);
        // Ascending frequency in the store is descending period in the plot.
        for (int k = 0; k < form->Store.FreqCount; ++k) {
            const int plotted = form->Store.FreqCount - 1 - k;
            QCOMPARE(appRes[plotted], QPointF(view.appResCurve[k].x, view.appResCurve[k].y));
            QCOMPARE(phase[plotted], QPointF(view.phaseCurve[k].x, view.phaseCurve[k].y));
            QCOMPARE(appRes[plotted].y(), static_cast<double>(form->Store.AppRes[k]));
        }
    }

    void axesSpanTheCurves_data()
    {
        QTest::addColumn<int>("chart");
        QTest::addColumn<QCPAxis::ScaleType>("valueScale");
        QTest::newRow("apparent resistivity") << 1 << QCPAxis::stLogarithmic;
        QTest::newRow("phase") << 2 << QCPAxis::stLinear;
    }

    void axesSpanTheCurves()
    {
        QFETCH(int, chart);
        QFETCH(QCPAxis::ScaleType, valueScale);
        const QCPGraph* series = chart == 1 ? form->Series1 : form->Series2;
        QCOMPARE(series->keyAxis()->scaleType(), QCPAxis::stLogarithmic);
        QCOMPARE(series->valueAxis()->scaleType(), valueScale);
        // The periods are 1e-4 .. 1e4 s from float frequencies: the axis ends on those
        // decades, not one further.
        const QCPRange period = series->keyAxis()->range();
        QVERIFY2(qAbs(period.lower / 1e-4 - 1.0) < 1e-6, qPrintable(QString::number(period.lower)));
        QVERIFY2(qAbs(period.upper / 1e4 - 1.0) < 1e-6, qPrintable(QString::number(period.upper)));
        const QCPRange value = series->valueAxis()->range();
        for (const QPointF& point : gui::GraphPoints(*series)) {
            QVERIFY(point.y() >= value.lower && point.y() <= value.upper);
        }
    }

    void controlsCarryTheirTexts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("title") << "StaticText3" << "大地电磁测深正演模拟演示程序";
        QTest::newRow("layers") << "StaticText1" << "模型层数";
        QTest::newRow("parameters") << "StaticText2" << "模型参数";
        QTest::newRow("forward") << "Button1" << "正演计算";
        QTest::newRow("invert") << "Button2" << "反演电阻";
        QTest::newRow("print") << "BitBtn1" << "打印";
        QTest::newRow("reset") << "BitBtn2" << "重置反演模型";
        QTest::newRow("label") << "Label1" << "Vantorel";
        QTest::newRow("source") << "RESPH" << "反演数据源";
        QTest::newRow("method") << "InvType" << "反演方法";
    }

    void controlsCarryTheirTexts()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget* control = form->findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(control)) {
            shown = label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            shown = button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
            shown = group->title();
        }
        QCOMPARE(shown, text);
    }

    void upArrowAddsCopyOfRowAbove()
    {
        PressUp();
        QCOMPARE(form->Edit1->text(), QStringLiteral("4"));
        QCOMPARE(GridRows(*form->StringGrid1).mid(3),
                 QStringList({"3|1000|100", "4|1000|100"}));
        QCOMPARE(form->Store.LayerCount, 3);  // the store waits for the forward calculation
    }

    void downArrowOverwritesNewLastRow()
    {
        PressUp();
        form->StringGrid1->SetCell(1, 4, QStringLiteral("7"));
        form->StringGrid1->SetCell(1, 3, QStringLiteral("8"));
        PressDown();
        QCOMPARE(form->Edit1->text(), QStringLiteral("3"));
        // Row 4 is gone and row 3 holds row 2's texts again: its own value 8 is lost.
        QCOMPARE(GridRows(*form->StringGrid1),
                 QStringList({"No|Res|Th/m", "1|1000|500", "2|10|500", "3|10|500"}));
    }

    void arrowsStopAtTheirLimits_data()
    {
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("position");
        QTest::newRow("down to one") << false << 5 << 1;
        QTest::newRow("up to fifty") << true << 60 << 50;
    }

    void arrowsStopAtTheirLimits()
    {
        QFETCH(bool, up);
        QFETCH(int, presses);
        QFETCH(int, position);
        up ? PressUp(presses) : PressDown(presses);
        QCOMPARE(form->UpDown1->Position(), position);
        QCOMPARE(form->Edit1->text(), QString::number(position));
        QCOMPARE(form->StringGrid1->RowCount(), position + 1);
        QCOMPARE(form->StringGrid1->Cell(0, position), QString::number(position));
        // A press at the limit leaves the last row alone.
        form->StringGrid1->SetCell(1, position, QStringLiteral("42"));
        up ? PressUp() : PressDown();
        QCOMPARE(form->StringGrid1->Cell(1, position), QStringLiteral("42"));
    }

    void typingLayerCountMovesNoRows()
    {
        QTest::keyClicks(form->Edit1, QStringLiteral("5"));
        QCOMPARE(form->StringGrid1->RowCount(), 4);
        QCOMPARE(form->UpDown1->Position(), 3);
    }

    void forwardOfHalfSpaceListsItsResistivity()
    {
        PressDown(2);
        form->StringGrid1->SetCell(1, 1, QStringLiteral("100"));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        const QStringList lines = ListingLines(*form->Memo1);
        QCOMPARE(lines.size(), 41);
        for (const QString& line : lines) {
            QVERIFY2(line.endsWith(QStringLiteral(" 1.0E+02 -7.9E-01")), qPrintable(line));
        }
        const QList<QPointF> phase = gui::GraphPoints(*form->Series2);
        QCOMPARE(phase.size(), 41);
        for (const QPointF& point : phase) {
            QVERIFY(qAbs(point.y() + 45.0) < 1e-3);
        }
        QCOMPARE(form->Store.LayerCount, 1);
    }

    void forwardRefusalChangesNothing_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("layerCount");
        QTest::newRow("letters in a resistivity") << 1 << 2 << "abc" << "3";
        QTest::newRow("empty thickness") << 2 << 1 << "" << "3";
        QTest::newRow("negative resistivity") << 1 << 1 << "-5" << "3";
        QTest::newRow("layer count not a number") << 1 << 1 << "1000" << "x";
        QTest::newRow("layer count zero") << 1 << 1 << "1000" << "0";
        QTest::newRow("layer count above fifty") << 1 << 1 << "1000" << "51";
    }

    void forwardRefusalChangesNothing()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QString, layerCount);
        const QString listing = form->Memo1->toPlainText();
        const QList<QPointF> curve = gui::GraphPoints(*form->Series1);
        const ModelStore before = form->Store;

        form->StringGrid1->SetCell(column, row, text);
        form->Edit1->setText(layerCount);
        driver->ExpectMessage();
        QTest::mouseClick(form->Button1, Qt::LeftButton);

        QCOMPARE(driver->Messages().size(), 1);
        const SeenMessage& box = driver->Messages().first();
        QCOMPARE(box.title, gui::kApplicationTitle);
        QVERIFY(!box.text.isEmpty());
        QVERIFY(box.okButton);
        QCOMPARE(form->Memo1->toPlainText(), listing);
        QCOMPARE(gui::GraphPoints(*form->Series1), curve);
        QVERIFY(std::memcmp(&before, &form->Store, sizeof before) == 0);
    }

    void inversionReportsItsEnding_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("method");
        const char* sources[] = {"resistivity", "phase", "both"};
        const char* methods[] = {"singular value", "constrained"};
        for (int method = 0; method < 2; ++method) {
            for (int source = 0; source < 3; ++source) {
                QTest::addRow("%s, %s", sources[source], methods[method]) << source << method;
            }
        }
    }

    void inversionReportsItsEnding()
    {
        QFETCH(int, source);
        QFETCH(int, method);
        ChooseSource(source);
        ChooseMethod(method);
        QCOMPARE(form->RESPH->ItemIndex(), source);
        QCOMPARE(form->InvType->ItemIndex(), method);
        const float start[6] = {200.0f, 2.0f, 200.0f, 100.0f, 100.0f, 20.0f};
        QVERIFY(std::equal(start, start + 6, form->Store.InvModel));

        driver->ExpectMessage();
        QTest::mouseClick(form->Button2, Qt::LeftButton);

        QCOMPARE(driver->Messages().size(), 1);
        const SeenMessage& box = driver->Messages().first();
        QCOMPARE(box.title, QStringLiteral("Vantorel提示..."));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY(box.okButton);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        // The first press of the default model as the whole-run tests pin it.
        const auto expected = std::find_if(whole_runs::kExpected.begin(), whole_runs::kExpected.end(),
                                           [&](const whole_runs::Expected& e) {
                                               return e.model == 0 && e.source == source &&
                                                      e.method == method && e.press == 1;
                                           });
        QVERIFY(expected != whole_runs::kExpected.end());
        QStringList reports = {ExpectedReport(*expected, expected->ending)};
        if (expected->zeroLastStep) reports << ExpectedReport(*expected, mt::RunEnding::kAttemptLimit);
        QVERIFY2(reports.contains(box.text), qPrintable(box.text));
        const std::vector<float> model(form->Store.InvModel, form->Store.InvModel + 5);
        QVERIFY(model == expected->parameters);
        QCOMPARE(form->Store.InvModel[5], 20.0f);
    }

    void inversionLocksStoreCommandsWhileRunning()
    {
        ChooseMethod(kMethodConstrained);
        const QList<QWidget*> locked = {form->Button1, form->Button2, form->BitBtn2,
                                        form->RESPH,   form->InvType, form->Edit1,
                                        form->UpDown1, form->StringGrid1};
        // Sampled from inside the run: the constrained method lets events through.
        int samples = 0;
        QStringList enabledDuringRun;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, [&] {
            if (QGuiApplication::overrideCursor() == nullptr || QApplication::activeModalWidget()) {
                return;
            }
            ++samples;
            for (QWidget* control : locked) {
                if (control->isEnabled()) {
                    enabledDuringRun << control->objectName();
                }
            }
        });
        sampler.start(0);
        driver->ExpectMessage();
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        sampler.stop();

        QVERIFY(samples > 0);
        enabledDuringRun.removeDuplicates();
        QVERIFY2(enabledDuringRun.isEmpty(), qPrintable(enabledDuringRun.join(QLatin1Char(' '))));
        for (QWidget* control : locked) {
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        }
        QVERIFY(form->BitBtn1->isEnabled());
    }

    void resetRestoresDefaultSetup()
    {
        driver->ExpectMessage();
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
        const ModelStore& store = form->Store;
        const auto& model = kDefaultModel;
        QVERIFY(std::equal(model.begin(), model.end(), store.Model));
        QCOMPARE(store.LowerBound[0], 1000.0f);
        QCOMPARE(store.UpperBound[0], 1000.0f);
        for (int k = 0; k < 6; ++k) {
            QCOMPARE(store.InvModel[k], static_cast<float>(0.2 * model[k]));
        }
        for (int k = 1; k < 6; ++k) {
            QCOMPARE(store.LowerBound[k], static_cast<float>(0.1 * model[k]));
            QCOMPARE(store.UpperBound[k], static_cast<float>(10.0 * model[k]));
        }
    }

    void coreNoticeIsWarningBoxWhileWindowLives()
    {
        driver->ExpectMessage();
        mt::ShowNotice("错误提示...", "数据设置不正确。");
        QCOMPARE(driver->Messages().size(), 1);
        QCOMPARE(driver->Messages()[0].title, QStringLiteral("错误提示..."));
        QCOMPARE(driver->Messages()[0].text, QStringLiteral("数据设置不正确。"));
        QCOMPARE(driver->Messages()[0].icon, QMessageBox::Warning);

        form.reset();
        std::string heard;
        const mt::NoticeHandler previous =
            mt::SetNoticeHandler([&](const std::string&, const std::string& text) { heard = text; });
        mt::ShowNotice("c", "after the window");
        mt::SetNoticeHandler(previous);
        QCOMPARE(QString::fromStdString(heard), QStringLiteral("after the window"));
        form = std::make_unique<TForm1>();
    }

    void escapedExceptionShownAndProgramGoesOn()
    {
        ThrowingReceiver receiver;
        driver->ExpectMessage();
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&receiver, &event);
        QCOMPARE(driver->Messages().size(), 1);
        QCOMPARE(driver->Messages()[0].title, gui::kApplicationTitle);
        QCOMPARE(driver->Messages()[0].text, QStringLiteral("handler failed"));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(ListingLines(*form->Memo1).size(), 41);
    }

    void fontsCoverEveryChineseText()
    {
        QStringList texts = {QStringLiteral("Vantorel提示..."), QStringLiteral("错误提示..."),
                             QStringLiteral("参数范围"), QStringLiteral("关于MT..."),
                             gui::kApplicationTitle,
                             QStringLiteral("反演结果拟合情况：迭代次数：拟 合 差：模型参数：")};
        texts += EndingMessages();
        QList<QWidget*> windows = {form.get(), form->About};
        texts << gui::ResponseChart::kCurveName << gui::ResponseChart::kFittedName
              << QStringLiteral("阻抗相位");
        QList<QFont> fonts = {QApplication::font(), form->font(), form->Chart1->Title()->font(),
                              form->Chart1->legend->font()};
        for (QWidget* window : windows) {
            for (const QLabel* label : window->findChildren<QLabel*>()) {
                texts << label->text();
                fonts << label->font();
            }
            for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
                texts << button->text();
            }
            for (const QGroupBox* group : window->findChildren<QGroupBox*>()) {
                texts << group->title();
            }
        }
        texts << form->Chart1->Title()->text() << form->Chart2->Title()->text();
        for (const QAction* action : form->menuBar()->findChildren<QAction*>()) {
            texts << action->text();
        }
        QStringList missing;
        for (const QFont& font : fonts) {
            const QFontMetrics metrics(font);
            for (const QString& text : texts) {
                for (const char32_t character : text.toUcs4()) {
                    if (character > 0x7f && !metrics.inFontUcs4(character)) {
                        missing << QStringLiteral("%1 in %2").arg(QString::fromUcs4(&character, 1),
                                                                   font.family());
                    }
                }
            }
        }
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }
};

std::unique_ptr<QObject> NewMainWindowTest()
{
    return std::make_unique<MainWindowTest>();
}

}  // namespace mt1d::test

#include "MainWindowTest.moc"
