// What the sounding window's plots show around the data: log-axis labels that are distinct and
// at least two on every axis of real soundings, a legend and a depth-of-investigation label that
// cover no data point or bar (Phoenix2025's ρa legend covered a point once), ranges that one huge
// error bar does not blow up, and exports that say what they are of.

#include "tests/gui/field/SoundingWindowTest.h"

#include "gui/field/CurvePlot.h"
#include "gui/field/DepthPlot.h"
#include "tests/gui/field/FieldFixture.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>

namespace mt1d::test {

using gui::field::CurvePlot;
using gui::field::DepthPlot;
using gui::field::ObservedPoint;
using gui::field::SoundingWindow;

namespace {

// The first data pixel inside `rect`, if any, as text for the failure message.
QString Covered(const QRectF& rect, const std::vector<QPointF>& pixels)
{
    for (const QPointF& p : pixels) {
        if (rect.contains(p)) return QStringLiteral("(%1, %2) inside %3,%4 %5×%6").arg(p.x()).arg(p.y())
                                            .arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
    }
    return {};
}

// Labels of an axis as drawn after the last replot.
QString LabelProblem(QCPAxis* axis)
{
    const QVector<QString> labels = axis->tickVectorLabels();
    if (labels.size() < 2) return QStringLiteral("%1 label(s) on %2").arg(labels.size()).arg(axis->label());
    QSet<QString> seen;
    for (const QString& label : labels) {
        if (seen.contains(label)) return QStringLiteral("%1 twice on %2").arg(label, axis->label());
        seen.insert(label);
    }
    return {};
}

// A ρa plot of `points` (value, low, high at periods 10^-3 … 10^3) laid out at a given size.
std::unique_ptr<CurvePlot> RhoPlotOf(const std::vector<ObservedPoint>& points, QSize size = {500, 360})
{
    auto plot = std::make_unique<CurvePlot>(CurvePlot::Quantity::kRho);
    plot->resize(size);
    plot->SetObserved(points);
    plot->Rescale();
    // Two replots: the legend is placed from the layout of the one before.
    plot->replot(QCustomPlot::rpImmediateRefresh);
    plot->replot(QCustomPlot::rpImmediateRefresh);
    return plot;
}

std::vector<ObservedPoint> Line(double fromRho, double toRho, int n)
{
    std::vector<ObservedPoint> points;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / (n - 1);
        const double rho = fromRho * std::pow(toRho / fromRho, t);
        points.push_back({std::pow(10.0, -3.0 + 6.0 * t), rho, rho / 1.1, rho * 1.1, false, false, std::size_t(i)});
    }
    return points;
}

}  // namespace

class PlotLayoutTest : public QObject, public FieldFixture {
    Q_OBJECT

private slots:
    void init() { StartWorkspace(); }
    void cleanup() { FinishWorkspace(); }

    void realSoundingsHaveLegendsOffTheDataAndDistinctLabels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("Phoenix2025") << QStringLiteral("edi/Phoenix2025.edi");
        QTest::newRow("IAJ34") << QStringLiteral("edi/IAJ34.edi");
        QTest::newRow("07E1_AMT") << QStringLiteral("ga-amt-rjmcmcmt/07E1_AMT.edi");
    }

    void realSoundingsHaveLegendsOffTheDataAndDistinctLabels()
    {
        QFETCH(QString, file);
        const QString path = SharedFile(file.toUtf8().constData());
        if (path.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(path);
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kOccam));
        for (QSize size : {QSize(1280, 860), QSize(1024, 600)}) {
            window->resize(size);
            QCoreApplication::processEvents();
            for (QCustomPlot* plot : {static_cast<QCustomPlot*>(window->RhoPlot), static_cast<QCustomPlot*>(window->PhasePlot),
                                      static_cast<QCustomPlot*>(window->ModelPlot)}) {
                plot->replot(QCustomPlot::rpImmediateRefresh);
                plot->replot(QCustomPlot::rpImmediateRefresh);
            }
            const QString where = QStringLiteral(" at %1×%2").arg(size.width()).arg(size.height());
            const QString rho = Covered(window->RhoPlot->legend->outerRect(), window->RhoPlot->DataPixels());
            QVERIFY2(rho.isEmpty(), qPrintable(QStringLiteral("ρa legend covers ") + rho + where));
            const auto depthData = window->ModelPlot->DataPixels();
            const QString depth = Covered(window->ModelPlot->legend->outerRect(), depthData);
            QVERIFY2(depth.isEmpty(), qPrintable(QStringLiteral("model legend covers ") + depth + where));
            QCPItemText* label = window->ModelPlot->InvestigationLabel();
            if (label->visible()) {
                const QPointF at = label->position->pixelPosition();
                const QFontMetricsF metrics(label->font());
                const QSizeF box = metrics.size(0, label->text());
                const Qt::Alignment align = label->positionAlignment();
                const QPointF corner(align & Qt::AlignRight ? at.x() - box.width() : at.x(),
                                     align & Qt::AlignBottom ? at.y() - box.height() : at.y());
                const QString covered = Covered(QRectF(corner, box).adjusted(1, 1, -1, -1), depthData);
                QVERIFY2(covered.isEmpty(), qPrintable(QStringLiteral("探测深度 covers ") + covered + where));
            }
            for (QCPAxis* axis : {window->RhoPlot->xAxis, window->RhoPlot->yAxis, window->PhasePlot->xAxis,
                                  window->ModelPlot->xAxis, window->ModelPlot->yAxis}) {
                const QString problem = LabelProblem(axis);
                QVERIFY2(problem.isEmpty(), qPrintable(problem + where));
            }
        }
    }

    // Points along the top and the right push the legend to the bottom left; points in every
    // corner put it above the plot, off the axis rect.
    void legendMovesToAnEmptyCornerOrAboveThePlot()
    {
        auto rising = Line(1.0, 1e4, 25);
        auto plot = RhoPlotOf(rising);
        const QRect area = plot->axisRect()->rect();
        QVERIFY2(Covered(plot->legend->outerRect(), plot->DataPixels()).isEmpty(), "rising curve covered");
        QVERIFY(plot->legend->outerRect().center().y() < area.center().y());  // top left: rising leaves it empty
        QVERIFY(plot->legend->outerRect().center().x() < area.center().x());

        auto everywhere = Line(1.0, 1e4, 25);
        const auto falling = Line(1e4, 1.0, 25);
        everywhere.insert(everywhere.end(), falling.begin(), falling.end());
        plot = RhoPlotOf(everywhere);
        QVERIFY2(Covered(plot->legend->outerRect(), plot->DataPixels()).isEmpty(), "crossing curves covered");
        const QRect lr = plot->legend->outerRect(), ar = plot->axisRect()->rect();
        QVERIFY2(lr.bottom() <= ar.top(), qPrintable(QStringLiteral("legend %1,%2 %3x%4 axis %5,%6 %7x%8 margins top %9")
                                                       .arg(lr.x()).arg(lr.y()).arg(lr.width()).arg(lr.height())
                                                       .arg(ar.x()).arg(ar.y()).arg(ar.width()).arg(ar.height()).arg(plot->axisRect()->margins().top())));
    }

    // One bar from 10⁻⁵ to 10⁵ Ω·m among points at 10…1000 Ω·m: the axis stops half a decade
    // (and its margin) beyond the points, and both ends of the cut bar are marked.
    void aHugeBarIsCutAndMarkedInsteadOfStretchingTheAxis()
    {
        auto points = Line(10.0, 1000.0, 9);
        points[4].low = 1e-5;
        points[4].high = 1e5;
        auto plot = RhoPlotOf(points);
        const QCPRange y = plot->yAxis->range();
        // 10 Ω·m / 10^(0.5 + 0.08 margin) = 2.63; 1000 · 10^0.58 = 3802.
        QVERIFY2(y.lower > 2.0 && y.upper < 5000.0, qPrintable(QStringLiteral("%1 … %2").arg(y.lower).arg(y.upper)));
        QCOMPARE(plot->CutHigh()->dataCount(), 1);
        QCOMPARE(plot->CutLow()->dataCount(), 1);
        QCOMPARE(plot->CutHigh()->data()->begin()->key, points[4].periodS);
        // Ordinary bars are not marked.
        plot = RhoPlotOf(Line(10.0, 1000.0, 9));
        QCOMPARE(plot->CutHigh()->dataCount() + plot->CutLow()->dataCount(), 0);
    }

    void exportsNameTheSiteModeAndRms()
    {
        const QString path = SharedFile("edi/IAJ34.edi");
        if (path.isEmpty()) QSKIP(testing_support::kNoSharedData);
        SoundingWindow* window = Open(path);
        QVERIFY(window);
        QVERIFY(RunAndWait(window, fitting::Method::kOccam));
        const QString site = QString::fromStdString(window->State().sounding.site.name);
        const QString caption = window->FigureCaption();
        QVERIFY2(caption.startsWith(site + QStringLiteral(" · ")), qPrintable(caption));
        QVERIFY2(caption.contains(QStringLiteral("RMS %1").arg(window->State().occam->report.rms, 0, 'f', 3)), qPrintable(caption));
        QTemporaryDir dir;
        const QString svg = dir.filePath(QStringLiteral("figure.svg"));
        QCOMPARE(window->ExportFigure(svg), QString());
        QFile file(svg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString svgText = QString::fromUtf8(file.readAll());
        QVERIFY(svgText.contains(site));
        QVERIFY(svgText.contains(QStringLiteral("RMS %1").arg(window->State().occam->report.rms, 0, 'f', 3)));

        // Nothing sampled yet: the posterior export says so and writes nothing.
        const QString json = dir.filePath(QStringLiteral("sample.json"));
        QVERIFY(!window->ExportPosterior(json).isEmpty());
        QVERIFY(!QFile::exists(json));

        // The report: a PDF of two pages naming the site and the RMS.
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        QCOMPARE(window->PrintReport(pdf), QString());
        QFile report(pdf);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QVERIFY(report.read(4) == "%PDF");
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess text;
        text.start(pdftotext, {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        const QString words = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(words.contains(site), qPrintable(words.left(400)));
        QVERIFY(words.contains(QStringLiteral("RMS ")));
        QVERIFY(words.contains(QStringLiteral("1/2")) && words.contains(QStringLiteral("2/2")));
    }
};

std::unique_ptr<QObject> NewPlotLayoutTest() { return std::make_unique<PlotLayoutTest>(); }

}  // namespace mt1d::test

#include "PlotLayoutTest.moc"
