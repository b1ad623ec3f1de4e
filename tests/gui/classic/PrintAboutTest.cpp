// Printing the apparent-resistivity chart through a printer set up by the test instead of
// the print dialog, and the About box opened from the main window.

#include "tests/gui/classic/GuiFixture.h"
#include "tests/gui/classic/GuiTests.h"

#include "gui/classic/AboutBox.h"
#include "gui/classic/ClickLabel.h"
#include "gui/common/MessageBoxes.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

namespace mt1d::test {

class PrintAboutTest : public QObject, private GuiFixture {
    Q_OBJECT

private slots:
    void initTestCase() { PinLocale(); }
    void init() { StartWindow(); }
    void cleanup() { FinishWindow(); }

    void printWritesChartPage_data()
    {
        QTest::addColumn<QPageLayout::Orientation>("orientation");
        QTest::newRow("portrait") << QPageLayout::Portrait;
        QTest::newRow("landscape") << QPageLayout::Landscape;
    }

    void printWritesChartPage()
    {
        QFETCH(QPageLayout::Orientation, orientation);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("chart.pdf"));
        QRect page;
        form->PreparePrinter = [&](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageOrientation(orientation);
            page = QRect(0, 0, printer.width(), printer.height());
            return true;
        };
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);

        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray content = pdf.readAll();
        QVERIFY(content.startsWith("%PDF"));
        QVERIFY(content.contains("/Subtype /Image"));  // the chart's picture is on the page
        // Drawn afresh at three times the chart's 425 × 169 pixels, not enlarged from them.
        QVERIFY(content.contains("/Width 1275"));
        QVERIFY(content.contains("/Height 507"));
        QCOMPARE(content.count("/Type /Page\n") + content.count("/Type /Page "), 1);
        QCOMPARE(orientation == QPageLayout::Landscape, page.width() > page.height());
    }

    void cancelledPrintDialogPrintsNothing()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("chart.pdf"));
        form->PreparePrinter = [&](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            return false;
        };
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QVERIFY(!QFile::exists(file));
    }

    void printerFailureShownInErrorBox()
    {
        form->PreparePrinter = [](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QStringLiteral("/nonexistent-folder/chart.pdf"));
            return true;
        };
        driver->ExpectMessage();
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        QCOMPARE(driver->Messages().size(), 1);
        QCOMPARE(driver->Messages()[0].title, gui::kApplicationTitle);
        QVERIFY(!driver->Messages()[0].text.isEmpty());
    }

    void aboutBoxCaptionOnEveryOpening()
    {
        QStringList captions;
        QStringList lines;
        const auto answer = [&](TAbout* about) {
            captions << about->windowTitle();
            lines << about->Version->text() << about->Date->text();
            ModalDriver::ClickLater(about->BitBtn1);
        };
        driver->ExpectWindow<TAbout>(QStringLiteral("About box"), answer);
        QTest::mouseClick(form->StaticText3, Qt::LeftButton);
        form->About->setWindowTitle(QStringLiteral("changed meanwhile"));
        driver->ExpectWindow<TAbout>(QStringLiteral("About box again"), answer);
        QTest::mouseClick(form->StaticText3, Qt::LeftButton);

        QCOMPARE(captions, QStringList({"关于MT...", "关于MT..."}));
        QCOMPARE(lines.mid(0, 2), QStringList({"版本: 2004.04", "最后日期:  2004-04-25"}));
        QVERIFY(!form->About->isVisible());
        QCOMPARE(form->About->size(), QSize(443, 422));
    }

    void aboutLinkOpensProjectPage()
    {
        QList<QUrl> opened;
        form->About->OpenUrl = [&](const QUrl& url) { opened << url; };
        gui::ClickLabel* link = form->About->StaticText10;
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!link->toolTip().isEmpty());
        form->About->show();
        QTest::mouseClick(link, Qt::LeftButton);
        form->About->hide();
        QCOMPARE(opened, QList<QUrl>({QUrl(TAbout::kProjectUrl)}));
        QCOMPARE(link->text(), TAbout::kProjectUrl);
    }
};

std::unique_ptr<QObject> NewPrintAboutTest()
{
    return std::make_unique<PrintAboutTest>();
}

}  // namespace mt1d::test

#include "PrintAboutTest.moc"
