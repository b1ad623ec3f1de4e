// Where the main window opens: centred on the screen's free area at the size that shows all
// of it, and on a small screen smaller, with every control still reachable by scrolling.

#include "tests/gui/classic/GuiFixture.h"
#include "tests/gui/classic/GuiTests.h"

#include "gui/classic/ClickLabel.h"
#include "gui/common/WindowPlacement.h"

#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

#include <limits>

namespace mt1d::test {

class PlacementTest : public QObject, private GuiFixture {
    Q_OBJECT

private slots:
    void initTestCase() { PinLocale(); }
    void init() { StartWindow(); }
    void cleanup() { FinishWindow(); }

    // ------------------------------------------------------------------ the arithmetic

    void windowIsCentredAndCutToTheScreen_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<QSize>("size");
        const QMargins none;
        const QMargins framed(4, 30, 4, 4);  // a title bar and thin borders
        // The window wants 773 × 520 and may shrink to 320 × 240.
        QTest::newRow("large screen") << QRect(0, 0, 1920, 1080) << none << QPoint(573, 280)
                                      << QSize(773, 520);
        QTest::newRow("large screen, framed") << QRect(0, 0, 1920, 1080) << framed
                                              << QPoint(569, 263) << QSize(773, 520);
        QTest::newRow("panel along the top") << QRect(0, 27, 1280, 997) << none << QPoint(253, 265)
                                             << QSize(773, 520);
        QTest::newRow("second screen to the right") << QRect(1920, 0, 1280, 1024) << none
                                                    << QPoint(2173, 252) << QSize(773, 520);
        QTest::newRow("odd pixel left over") << QRect(0, 0, 1024, 768) << none << QPoint(125, 124)
                                             << QSize(773, 520);
        QTest::newRow("1024 x 600, framed") << QRect(0, 0, 1024, 600) << framed << QPoint(121, 23)
                                            << QSize(773, 520);
        QTest::newRow("exactly the screen") << QRect(0, 0, 773, 520) << none << QPoint(0, 0)
                                            << QSize(773, 520);
        QTest::newRow("640 x 480") << QRect(0, 0, 640, 480) << none << QPoint(0, 0) << QSize(640, 480);
        QTest::newRow("640 x 480, framed") << QRect(0, 0, 640, 480) << framed << QPoint(0, 0)
                                           << QSize(632, 446);
        QTest::newRow("only the height short") << QRect(0, 0, 1024, 500) << none << QPoint(125, 0)
                                               << QSize(773, 500);
        QTest::newRow("below the minimum") << QRect(10, 20, 300, 200) << none << QPoint(10, 20)
                                           << QSize(320, 240);
    }

    void windowIsCentredAndCutToTheScreen()
    {
        QFETCH(QRect, available);
        QFETCH(QMargins, frame);
        QFETCH(QPoint, position);
        QFETCH(QSize, size);
        const gui::WindowPlacement place =
            gui::PlaceWindow(QSize(773, 520), QSize(320, 240), available, frame);
        QCOMPARE(place.framePosition, position);
        QCOMPARE(place.size, size);
    }

    // A remembered geometry with any numbers ends up on the screen, cut to it.
    void rememberedGeometryIsMovedAndCutToTheScreen_data()
    {
        // As stored: four ints (a QRect of the largest would overflow its right edge).
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("placed");
        const int most = std::numeric_limits<int>::max();
        const int least = std::numeric_limits<int>::min();
        QTest::newRow("fits") << 100 << 50 << 800 << 600 << QRect(100, 50, 800, 600);
        QTest::newRow("exactly the screen") << 0 << 0 << 1920 << 1080 << QRect(0, 0, 1920, 1080);
        QTest::newRow("one pixel too wide") << 0 << 0 << 1921 << 1080 << QRect(0, 0, 1920, 1080);
        QTest::newRow("largest size") << 0 << 0 << most << most << QRect(0, 0, 1920, 1080);
        QTest::newRow("off to the right") << 5000 << 10 << 800 << 600 << QRect(1120, 10, 800, 600);
        QTest::newRow("largest position") << most << most << 800 << 600 << QRect(1120, 480, 800, 600);
        QTest::newRow("far up and left") << least << -40 << 800 << 600 << QRect(0, 0, 800, 600);
        QTest::newRow("overhanging the right edge") << 1500 << 0 << 800 << 600 << QRect(1120, 0, 800, 600);
        QTest::newRow("second screen") << 2000 << 0 << 4000 << 600 << QRect(1920, 0, 1280, 600);
    }

    void rememberedGeometryIsMovedAndCutToTheScreen()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, placed);
        const QRect screen = QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("second screen")
                                 ? QRect(1920, 0, 1280, 1024)
                                 : QRect(0, 0, 1920, 1080);
        QCOMPARE(gui::FitToScreen(x, y, width, height, screen), placed);
    }

    // ------------------------------------------------------------------ the window

    void largeScreenShowsTheWholeDesignAreaCentred()
    {
        const QRect screen(0, 0, 1920, 1080);
        form->PlaceOnScreen(screen);
        QCoreApplication::processEvents();
        QCOMPARE(form->size(), form->NaturalSize());
        QCOMPARE(form->ScrollArea->viewport()->size(), TForm1::kDesignSize);
        QVERIFY(!form->ScrollArea->horizontalScrollBar()->isVisible());
        QVERIFY(!form->ScrollArea->verticalScrollBar()->isVisible());
        const QPoint offset = form->frameGeometry().center() - screen.center();
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
        // The bars add to the design area and nothing else does.
        QCOMPARE(form->NaturalSize(),
                 TForm1::kDesignSize + QSize(0, form->menuBar()->height() + form->statusBar()->height()));
        QCOMPARE(form->maximumSize(), form->NaturalSize());
    }

    void smallScreenKeepsEveryControlReachable_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::newRow("640 x 480") << QSize(640, 480);
        QTest::newRow("1024 x 600") << QSize(1024, 600);
        QTest::newRow("800 x 480") << QSize(800, 480);
    }

    void smallScreenKeepsEveryControlReachable()
    {
        QFETCH(QSize, screen);
        const QRect available(QPoint(0, 0), screen);
        form->PlaceOnScreen(available);
        QCoreApplication::processEvents();
        QVERIFY(available.contains(form->frameGeometry()));
        QVERIFY(form->menuBar()->isVisible());

        QWidget* viewport = form->ScrollArea->viewport();
        const QList<QWidget*> controls = {
            form->StaticText3, form->Edit1,   form->UpDown1, form->StringGrid1, form->RESPH,
            form->InvType,     form->Memo1,   form->Chart1,  form->Chart2,      form->Button1,
            form->Button2,     form->BitBtn1, form->BitBtn2, form->Label1};
        for (QWidget* control : controls) {
            form->ScrollArea->ensureWidgetVisible(control, 0, 0);
            const QRect shown(control->mapTo(viewport, QPoint(0, 0)), control->size());
            QVERIFY2(viewport->rect().contains(shown),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 outside the %6x%7 view")
                                    .arg(control->objectName())
                                    .arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())
                                    .arg(viewport->width()).arg(viewport->height())));
            // What the user sees there is the control itself.
            QWidget* hit = form->childAt(control->mapTo(form.get(), control->rect().center()));
            QVERIFY2(hit == control || control->isAncestorOf(hit), qPrintable(control->objectName()));
        }
        // A press on a scrolled-to button still runs its command.
        form->ScrollArea->ensureWidgetVisible(form->Button1, 0, 0);
        PressUp();
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(form->Store.LayerCount, 4);
    }
};

std::unique_ptr<QObject> NewPlacementTest()
{
    return std::make_unique<PlacementTest>();
}

}  // namespace mt1d::test

#include "PlacementTest.moc"
