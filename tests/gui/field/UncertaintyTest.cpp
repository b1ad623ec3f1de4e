// The uncertainty tab: the plot series made from a hand-built sampling result, the R-hat
// warning's threshold, and the tab driven through its controls on the Cull (1985) sounding
// (what is drawn against the result it shows, cancelling, closing during a run, stale data,
// refused data and export).

#include "tests/gui/field/SoundingWindowTest.h"

#include "tests/gui/field/FieldFixture.h"
#include "gui/field/PosteriorSeries.h"
#include "gui/field/UncertaintyView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThreadPool>

#include <limits>

namespace mt1d::test {

using gui::field::ModelLine;
using gui::field::PosteriorPlot;
using gui::field::SoundingWindow;
using gui::field::UncertaintyView;

namespace {

// Two depth cells (edges 10, 100, 1000 m: centres √10·10 and √10·100) by three resistivity
// bins (centres 1, 2, 3 in log10 Ω·m), every number distinct so that a swapped index shows.
sampling::SamplingResult HandMadeResult()
{
    sampling::SamplingResult r;
    r.status = sampling::SamplingStatus::kCompleted;
    r.depthEdgesM = {10.0, 100.0, 1000.0};
    r.depthM = {std::sqrt(10.0) * 10.0, std::sqrt(10.0) * 100.0};
    r.log10RhoGrid = {1.0, 2.0, 3.0};
    r.density = {0.5, 0.3, 0.2, 0.1, 0.25, 0.65};
    r.p10 = {1.1, 1.6};
    r.p50 = {1.5, 2.4};
    r.p90 = {2.6, 2.9};
    r.mean = {1.6, 2.5};
    r.interfaceProbability = {0.125, 0.75};
    r.layerCount = {{1, 0.0}, {2, 0.625}, {3, 0.375}};
    r.samples = 8;
    return r;
}

// The curve's data as the plot holds them.
std::vector<std::pair<double, double>> Points(const QCPCurve* curve)
{
    std::vector<std::pair<double, double>> points;
    for (auto it = curve->data()->constBegin(); it != curve->data()->constEnd(); ++it) points.push_back({it->key, it->value});
    return points;
}

bool Close(double a, double b, double relative = 1e-12)
{
    return std::abs(a - b) <= relative * std::max(std::abs(a), std::abs(b));
}

// Waits for the tab's run to end.
bool SampleAndWait(UncertaintyView* view)
{
    QSignalSpy done(view, &UncertaintyView::runFinished);
    if (!view->Run()) return false;
    return done.wait(60000);
}

// A small run: 2 chains, 30,000 samples (after 20,000 burn-in steps per chain), a few tenths
// of a second on the Cull sounding.
void SmallRun(UncertaintyView* view, int seed)
{
    view->SamplesBox->setValue(30'000);
    view->ChainsBox->setValue(2);
    view->MaxLayersBox->setValue(8);
    view->SeedBox->setValue(seed);
}

}  // namespace

class UncertaintyTest : public QObject, public FieldFixture {
    Q_OBJECT

private slots:
    void init() { StartWorkspace(); }
    void cleanup() { FinishWorkspace(); }

    // --- The series, from a result whose every number is known --------------------------

    void imageCellsAndRangesFollowTheGrid()
    {
        const auto image = gui::field::DensityImageOf(HandMadeResult());
        QCOMPARE(image.rhoBins, std::size_t{3});
        QCOMPARE(image.depthCells, std::size_t{2});
        // Ranges are cell centres: 10^1 and 10^3 Ω·m, the two depth centres.
        QVERIFY(Close(image.rhoOhmM.lower, 10.0));
        QVERIFY(Close(image.rhoOhmM.upper, 1000.0));
        QVERIFY(Close(image.depthM.lower, std::sqrt(10.0) * 10.0));
        QVERIFY(Close(image.depthM.upper, std::sqrt(10.0) * 100.0));
        QCOMPARE(image.cells, HandMadeResult().density);
        QCOMPARE(image.maxProbability, 0.65);
        // Without samples there is no image.
        auto empty = HandMadeResult();
        empty.density.clear();
        QVERIFY(gui::field::DensityImageOf(empty).cells.empty());
    }

    void linesAndBarsFollowTheResult()
    {
        const auto r = HandMadeResult();
        const auto p50 = gui::field::PercentileLine(r, r.p50);
        QCOMPARE(p50.depthM, r.depthM);
        QCOMPARE(p50.x.size(), std::size_t{2});
        QVERIFY(Close(p50.x[0], std::pow(10.0, 1.5)));
        QVERIFY(Close(p50.x[1], std::pow(10.0, 2.4)));
        // The interface probability holds over each whole cell, edge to edge.
        const auto steps = gui::field::InterfaceSteps(r);
        QCOMPARE(steps.x, (std::vector<double>{0.125, 0.125, 0.75, 0.75}));
        QCOMPARE(steps.depthM, (std::vector<double>{10.0, 100.0, 100.0, 1000.0}));
        const auto bars = gui::field::LayerCountBars(r);
        QCOMPARE(bars.keys, (std::vector<double>{1.0, 2.0, 3.0}));
        QCOMPARE(bars.values, (std::vector<double>{0.0, 0.625, 0.375}));
    }

    void staircaseAndEquivalenceBarsSitOnTheModel()
    {
        // 100 Ω·m, 50 m; 10 Ω·m, 150 m; 1000 Ω·m: interfaces at 50 and 200 m.
        const earth::LayeredModel model{{100.0, 10.0, 1000.0}, {50.0, 150.0}};
        const auto stairs = gui::field::Staircase(model, 5.0, 5000.0);
        QCOMPARE(stairs.x, (std::vector<double>{100.0, 100.0, 10.0, 10.0, 1000.0, 1000.0}));
        QCOMPARE(stairs.depthM, (std::vector<double>{5.0, 50.0, 50.0, 200.0, 200.0, 5000.0}));

        sampling::EquivalenceResult ranges;
        ranges.status = sampling::EquivalenceStatus::kCompleted;
        const auto range = [](std::size_t layer, bool thickness, double value, double lower, double upper) {
            sampling::ParameterRange p;
            p.layer = layer;
            p.thickness = thickness;
            p.value = value;
            p.lower = lower;
            p.upper = upper;
            return p;
        };
        ranges.parameters = {range(0, false, 100.0, 80.0, 120.0), range(1, false, 10.0, 5.0, 30.0),
                             range(2, false, 1000.0, 300.0, 5000.0), range(0, true, 50.0, 40.0, 70.0),
                             range(1, true, 150.0, 100.0, 400.0)};
        const auto bars = gui::field::EquivalenceBarsOf(ranges, model, 5.0, 5000.0);
        QCOMPARE(bars.resistivity.size(), std::size_t{3});
        QCOMPARE(bars.interfaces.size(), std::size_t{2});
        // Resistivity bars at the log middle of their layers: √(5·50), √(50·200), √(200·5000).
        const double middles[] = {std::sqrt(250.0), 100.0, 1000.0};
        for (std::size_t j = 0; j < 3; ++j) {
            QVERIFY2(Close(bars.resistivity[j].at, middles[j]), qPrintable(QString::number(j)));
            QCOMPARE(bars.resistivity[j].value, model.resistivity[j]);
        }
        QCOMPARE(bars.resistivity[1].lower, 5.0);
        QCOMPARE(bars.resistivity[1].upper, 30.0);
        // The second interface lies at 50 + h₁: 200 m, ranging 150 to 450 m with h₁.
        QCOMPARE(bars.interfaces[1].value, 200.0);
        QCOMPARE(bars.interfaces[1].lower, 150.0);
        QCOMPARE(bars.interfaces[1].upper, 450.0);
        QVERIFY(Close(bars.interfaces[1].at, 100.0));  // √(10·1000)
        QCOMPARE(bars.interfaces[0].lower, 40.0);
        QVERIFY(Close(bars.interfaces[0].at, std::sqrt(1000.0)));
    }

    void rhatWarnsAtOrAboveTheThresholdAndWhenUnknown_data()
    {
        QTest::addColumn<double>("misfit");
        QTest::addColumn<double>("layers");
        QTest::addColumn<bool>("warns");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("both below") << 1.0999 << 1.02 << false;
        QTest::newRow("misfit at 1.1") << 1.1 << 1.0 << true;
        QTest::newRow("layer count at 1.1") << 1.0 << 1.1 << true;
        QTest::newRow("layer count above") << 1.0 << 1.32 << true;
        QTest::newRow("too few samples") << nan << 1.0 << true;
        QTest::newRow("chains stuck apart") << 1.0 << HUGE_VAL << true;
    }

    void rhatWarnsAtOrAboveTheThresholdAndWhenUnknown()
    {
        QFETCH(double, misfit);
        QFETCH(double, layers);
        QFETCH(bool, warns);
        QCOMPARE(gui::field::RhatWarns({misfit, layers}), warns);
    }

    // --- The tab in a window --------------------------------------------------------------

    void plotsShowTheRunTheTabHolds()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        QVERIFY(FieldFixture::RunAndWait(window, fitting::Method::kOccam));
        window->LayersBox->setValue(3);
        QVERIFY(FieldFixture::RunAndWait(window, fitting::Method::kLayered));
        UncertaintyView* view = window->Uncertainty;
        window->Tabs->setCurrentWidget(view);
        SmallRun(view, 7);
        QVERIFY(SampleAndWait(view));
        QVERIFY(view->Shown().has_value());
        const sampling::SamplingResult& r = view->Shown()->sampling;
        QCOMPARE(r.status, sampling::SamplingStatus::kCompleted);
        QCOMPARE(r.seed, std::uint64_t{7});
        QCOMPARE(r.prior.maxInterfaces, std::size_t{7});  // 8 layers at most

        // The image: one cell per bin and depth cell, ranges at the outer centres.
        QCPColorMapData* map = view->Posterior->Density()->data();
        const int bins = static_cast<int>(r.log10RhoGrid.size());
        QCOMPARE(map->keySize(), bins);
        QCOMPARE(map->valueSize(), static_cast<int>(r.depthM.size()));
        QVERIFY(Close(map->keyRange().lower, std::pow(10.0, r.log10RhoGrid.front())));
        QVERIFY(Close(map->keyRange().upper, std::pow(10.0, r.log10RhoGrid.back())));
        QCOMPARE(map->valueRange().lower, r.depthM.front());
        QCOMPARE(map->valueRange().upper, r.depthM.back());
        for (int d = 0; d < map->valueSize(); ++d) {
            for (int k = 0; k < bins; ++k) QCOMPARE(map->cell(k, d), r.density[static_cast<std::size_t>(d * bins + k)]);
        }
        // The depth axis is downwards and takes in the whole grid.
        QVERIFY(view->Posterior->yAxis->rangeReversed());
        QVERIFY(view->Posterior->yAxis->range().lower <= r.depthEdgesM.front());
        QVERIFY(view->Posterior->yAxis->range().upper >= r.depthEdgesM.back());

        // P50 and P10 against the result's own numbers.
        for (auto [which, values] : {std::pair{PosteriorPlot::kP10, &r.p10}, std::pair{PosteriorPlot::kP50, &r.p50}}) {
            const auto points = Points(view->Posterior->PercentileCurve(which));
            QCOMPARE(points.size(), r.depthM.size());
            for (std::size_t i = 0; i < points.size(); ++i) {
                QVERIFY(Close(points[i].first, std::pow(10.0, (*values)[i])));
                QCOMPARE(points[i].second, r.depthM[i]);
            }
        }
        // The interface probability shares the depth axis.
        QCOMPARE(view->Posterior->InterfaceRect()->axis(QCPAxis::atLeft)->range(), view->Posterior->yAxis->range());
        QCOMPARE(view->Posterior->InterfaceLine()->dataCount(), static_cast<int>(2 * r.depthM.size()));

        // The histogram: one bar per layer count with its probability.
        const QCPBars* bars = view->LayerCounts->Bars();
        QCOMPARE(bars->dataCount(), static_cast<int>(r.layerCount.size()));
        double total = 0.0;
        for (int i = 0; i < bars->dataCount(); ++i) {
            QCOMPARE(bars->data()->at(i)->key, static_cast<double>(r.layerCount[static_cast<std::size_t>(i)].layers));
            QCOMPARE(bars->data()->at(i)->value, r.layerCount[static_cast<std::size_t>(i)].probability);
            total += bars->data()->at(i)->value;
        }
        QVERIFY(Close(total, 1.0, 1e-9));  // a sum of 8 probabilities: a few ulps

        // Both fits over the image, and the layered fit's ranges on its own values.
        QVERIFY(view->Posterior->FitLine(ModelLine::kOccam)->visible());
        const auto layered = window->State().layered->model;
        const auto stairs = Points(view->Posterior->FitLine(ModelLine::kLayered));
        QCOMPARE(stairs.size(), 2 * layered.LayerCount());
        QCOMPARE(stairs[2].first, layered.resistivity[1]);
        QVERIFY(Close(stairs[2].second, layered.thickness[0]));
        QVERIFY(view->Shown()->equivalence.has_value());
        QCOMPARE(view->Shown()->equivalence->status, sampling::EquivalenceStatus::kCompleted);
        const QCPGraph* rhoRanges = view->Posterior->ResistivityRanges();
        QVERIFY(rhoRanges->visible());
        QCOMPARE(rhoRanges->dataCount(), static_cast<int>(layered.LayerCount()));
        const QCPErrorBars* rhoBars = view->Posterior->ResistivityRangeBars();
        for (int j = 0; j < rhoRanges->dataCount(); ++j) {
            // Keys are depths, sorted: layer j at index j.
            const double fitted = layered.resistivity[static_cast<std::size_t>(j)];
            QCOMPARE(rhoRanges->data()->at(j)->value, fitted);
            const auto& p = view->Shown()->equivalence->parameters[static_cast<std::size_t>(j)];
            QVERIFY(Close(fitted - rhoBars->data()->at(j).errorMinus, p.lower, 1e-9));
            QVERIFY(Close(fitted + rhoBars->data()->at(j).errorPlus, p.upper, 1e-9));
            QVERIFY(p.lower <= fitted && fitted <= p.upper);
        }
        QCOMPARE(view->Posterior->InterfaceRanges()->dataCount(), static_cast<int>(layered.LayerCount() - 1));

        // R-hat is shown, with the warning exactly when it is due.
        QVERIFY(view->RhatLabel->text().contains(QStringLiteral("R-hat")));
        QCOMPARE(view->RhatLabel->text().contains(QStringLiteral("⚠")), gui::field::RhatWarns(r.rhat));
        QVERIFY(!view->ShownIsStale());
    }

    void sameSeedGivesTheSameImage()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        UncertaintyView* view = window->Uncertainty;
        SmallRun(view, 3);
        QVERIFY(SampleAndWait(view));
        const std::vector<double> first = view->Shown()->sampling.density;
        SmallRun(view, 4);
        QVERIFY(SampleAndWait(view));
        QVERIFY(view->Shown()->sampling.density != first);
        SmallRun(view, 3);
        QVERIFY(SampleAndWait(view));
        QCOMPARE(view->Shown()->sampling.density, first);
    }

    void cancelStopsSoonAndKeepsThePreviousResult()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        UncertaintyView* view = window->Uncertainty;
        SmallRun(view, 5);
        QVERIFY(SampleAndWait(view));
        const std::vector<double> previous = view->Shown()->sampling.density;

        view->SamplesBox->setValue(100'000'000);  // minutes
        view->SeedBox->setValue(6);
        QSignalSpy progressed(view, &UncertaintyView::progressShown);
        QSignalSpy done(view, &UncertaintyView::runFinished);
        QVERIFY(view->Run());
        QVERIFY(view->Busy());
        QVERIFY(!view->RunButton->isEnabled());
        QVERIFY(progressed.wait(5000));
        QVERIFY(view->StatusLabel->text().contains(QStringLiteral("接受率")));
        QElapsedTimer timer;
        timer.start();
        view->CancelButton->click();
        QVERIFY(done.wait(5000));
        // The sampler stops within its 25 ms progress interval; the tab hears of it at its
        // next event. 1 s leaves room for a loaded machine and still fails a run that goes on.
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!view->Busy());
        QVERIFY(view->RunButton->isEnabled());
        QCOMPARE(view->Shown()->sampling.seed, std::uint64_t{5});
        QCOMPARE(view->Shown()->sampling.density, previous);
        QCPColorMapData* map = view->Posterior->Density()->data();
        const int bins = map->keySize();
        for (int d = 0; d < map->valueSize(); ++d) {
            for (int k = 0; k < bins; ++k) QCOMPARE(map->cell(k, d), previous[static_cast<std::size_t>(d * bins + k)]);
        }
        QVERIFY(view->StatusLabel->text().contains(QStringLiteral("上一次")));
    }

    void closingTheWindowDuringARunEndsTheRun()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        QPointer<SoundingWindow> guard(window);
        UncertaintyView* view = window->Uncertainty;
        view->SamplesBox->setValue(100'000'000);
        QSignalSpy progressed(view, &UncertaintyView::progressShown);
        QVERIFY(view->Run());
        QVERIFY(progressed.wait(5000));
        window->close();
        QTRY_VERIFY(guard.isNull());  // deleted on close
        // The task hears the cancel within the sampler's interval and leaves the pool.
        QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
        QCoreApplication::processEvents();
    }

    void changedDataMarkTheResultAndChangedFitsDropTheRanges()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        window->LayersBox->setValue(2);
        QVERIFY(FieldFixture::RunAndWait(window, fitting::Method::kLayered));
        UncertaintyView* view = window->Uncertainty;
        SmallRun(view, 2);
        QVERIFY(SampleAndWait(view));
        QVERIFY(view->Posterior->ResistivityRanges()->visible());
        window->FloorBox->setValue(10.0);
        QVERIFY(view->ShownIsStale());
        QVERIFY(view->StatusLabel->text().contains(QStringLiteral("数据已改变")));
        window->FloorBox->setValue(5.0);
        QVERIFY(!view->ShownIsStale());
        // A new layered fit has other values: the ranges of the old one go.
        window->LayersBox->setValue(3);
        QVERIFY(FieldFixture::RunAndWait(window, fitting::Method::kLayered));
        QVERIFY(!view->Posterior->ResistivityRanges()->visible());
        QVERIFY(!view->Posterior->InterfaceRanges()->visible());
    }

    void dataThatCannotBeSampledAreRefusedWithTheReason()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        for (int row = 0; row < window->DataTable->rowCount(); ++row) {
            window->DataTable->item(row, SoundingWindow::kUseColumn)->setCheckState(Qt::Unchecked);
        }
        UncertaintyView* view = window->Uncertainty;
        QVERIFY(!view->Run());
        QVERIFY(!view->Busy());
        QVERIFY2(view->StatusLabel->text().startsWith(QStringLiteral("无法采样")), qPrintable(view->StatusLabel->text()));
        QVERIFY(!view->Shown().has_value());
    }

    void tabExportsAsAFigure_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("png") << QStringLiteral("png") << QByteArray("\x89PNG");
        QTest::newRow("pdf") << QStringLiteral("pdf") << QByteArray("%PDF");
        QTest::newRow("svg") << QStringLiteral("svg") << QByteArray("<?xml");
    }

    void tabExportsAsAFigure()
    {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, header);
        SoundingWindow* window = OpenCull();
        if (!window) return;
        UncertaintyView* view = window->Uncertainty;
        SmallRun(view, 1);
        QVERIFY(SampleAndWait(view));
        window->Tabs->setCurrentWidget(view);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("posterior.") + suffix);
        QCOMPARE(window->ExportFigure(file), QString());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(header.size()) == header);
        QVERIFY(f.size() > 10'000);
    }

    // The posterior as `mt1d sample --format json` writes it: its site, its samples and the
    // density rows of the run on show.
    void posteriorExportsAsTheSampleJson()
    {
        SoundingWindow* window = OpenCull();
        if (!window) return;
        UncertaintyView* view = window->Uncertainty;
        SmallRun(view, 1);
        QVERIFY(SampleAndWait(view));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("sample.json"));
        QCOMPARE(window->ExportPosterior(file), QString());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject json = QJsonDocument::fromJson(f.readAll()).object();
        QCOMPARE(json.value(QStringLiteral("format")).toString(), QStringLiteral("mt1d sample"));
        QCOMPARE(json.value(QStringLiteral("site")).toObject().value(QStringLiteral("name")).toString(),
                 QString::fromStdString(window->State().sounding.site.name));
        const auto& run = view->Shown()->sampling;
        QCOMPARE(json.value(QStringLiteral("samples")).toInteger(), static_cast<qint64>(run.samples));
        QCOMPARE(json.value(QStringLiteral("density")).toArray().size(), static_cast<qsizetype>(run.depthM.size()));
        QCOMPARE(json.value(QStringLiteral("best_rms")).toDouble(), run.bestRms);
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
        if (!window) QTest::qFail("the Cull sounding did not open", __FILE__, __LINE__);
        return window;
    }
};

std::unique_ptr<QObject> NewUncertaintyTest() { return std::make_unique<UncertaintyTest>(); }

}  // namespace mt1d::test

#include "UncertaintyTest.moc"
