#include "gui/field/UncertaintyStudy.h"

#include "session/SessionCommands.h"
#include "gui/field/SoundingWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <vector>

namespace mt1d::gui::field {

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// Runs the event loop until `done` or `limitMs` have passed; false on the time limit.
template <typename Done>
bool Until(Done&& done, qint64 limitMs = 120000)
{
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The session of the README's comparison: smooth fit, and the layered fit with the fewest
// layers (2 to 6) whose RMS is within 10 % of the best of them.
session::Session Fitted(const QString& file, QString& note)
{
    session::Session state = session::OpenSounding(file.toStdString());
    state = session::WithMode(state, sounding::Mode::kDet);
    state = session::WithFloor(state, 5.0);
    jobs::FitOptions settings = state.fit;
    settings.method = fitting::Method::kOccam;
    state = session::WithFitSettings(state, settings);
    state = session::WithFitOutcome(state, session::RunFit(state));
    std::vector<session::FitOutcome> fits;
    double best = HUGE_VAL;
    for (std::size_t layers = 2; layers <= 6; ++layers) {
        settings.method = fitting::Method::kLayered;
        settings.layers = layers;
        settings.starts = fitting::DefaultStarts(layers);
        fits.push_back(session::RunFit(session::WithFitSettings(state, settings)));
        best = std::min(best, fits.back().report.rms);
    }
    std::size_t chosen = fits.size() - 1;
    for (std::size_t i = 0; i < fits.size(); ++i) {
        if (fits[i].report.rms <= 1.1 * best) {
            chosen = i;
            break;
        }
    }
    settings.layers = chosen + 2;
    settings.starts = fitting::DefaultStarts(*settings.layers);
    state = session::WithFitSettings(state, settings);
    state = session::WithFitOutcome(state, fits[chosen]);
    note = QStringLiteral("Occam RMS %1, layered %2 layers RMS %3")
               .arg(state.occam->report.rms, 0, 'f', 3)
               .arg(*settings.layers)
               .arg(fits[chosen].report.rms, 0, 'f', 3);
    return state;
}

}  // namespace

QString WritePosteriorFigures(const QStringList& files, const QString& dir, bool screenshot)
{
    QString out;
    QDir().mkpath(dir);
    bool first = true;
    for (const QString& file : files) {
        QString note;
        session::Session state;
        try {
            state = Fitted(file, note);
        } catch (const std::exception& e) {
            out += QStringLiteral("%1: %2\n").arg(file, QString::fromUtf8(e.what()));
            continue;
        }
        auto* window = new SoundingWindow(state, nullptr);
        window->resize(1400, 860);
        window->show();
        window->Tabs->setCurrentWidget(window->Uncertainty);
        bool done = false;
        QObject::connect(window->Uncertainty, &UncertaintyView::runFinished, [&] { done = true; });
        window->Uncertainty->Run();
        if (!Until([&] { return done; })) out += QStringLiteral("%1: sampling did not end in time\n").arg(file);
        QCoreApplication::processEvents();
        const QString base = QFileInfo(file).completeBaseName();
        const QString png = QDir(dir).filePath(base + QStringLiteral("-posterior.png"));
        const QString problem = window->Uncertainty->ExportFigure(png);
        if (first && screenshot) {
            window->Uncertainty->Posterior->replot();
            window->grab().save(QDir(dir).filePath(QStringLiteral("uncertainty-tab.png")));
            // And on a small screen (1024 × 600, the smallest the window is made for).
            window->resize(1024, 600);
            QCoreApplication::processEvents();
            window->Uncertainty->Posterior->replot();
            window->Uncertainty->Posterior->replot();
            window->grab().save(QDir(dir).filePath(QStringLiteral("uncertainty-tab-1024x600.png")));
        }
        first = false;
        const auto& run = window->Uncertainty->Shown();
        out += QStringLiteral("%1: %2; %3\n")
                   .arg(base, note,
                        problem.isEmpty() && run ? QString::fromStdString(run->sampling.message) : problem);
        window->close();
        QCoreApplication::processEvents();
    }
    return out;
}

QString MeasureUncertaintyTab(const QString& file)
{
    session::Session state;
    try {
        state = session::OpenSounding(file.toStdString());
    } catch (const std::exception& e) {
        return QStringLiteral("%1: %2\n").arg(file, QString::fromUtf8(e.what()));
    }
    auto* window = new SoundingWindow(state, nullptr);
    window->show();
    window->Tabs->setCurrentWidget(window->Uncertainty);
    UncertaintyView* view = window->Uncertainty;
    std::vector<double> firstProgress, painting, sampling;
    for (int repeat = 0; repeat < 5; ++repeat) {
        bool progressed = false, finished = false;
        QElapsedTimer timer;
        const auto c1 = QObject::connect(view, &UncertaintyView::progressShown, [&] {
            if (!progressed) firstProgress.push_back(Ms(timer));
            progressed = true;
        });
        // The tab redraws its plots into their buffers before it says the run has ended; the
        // events that follow put them on the screen.
        const auto c2 = QObject::connect(view, &UncertaintyView::runFinished, [&] { finished = true; });
        timer.start();
        view->RunButton->click();
        Until([&] { return finished; });
        QCoreApplication::processEvents();
        painting.push_back(Ms(timer));
        if (view->Shown()) sampling.push_back(view->Shown()->samplingMs);
        QObject::disconnect(c1);
        QObject::disconnect(c2);
    }
    const auto options = view->Options();
    window->close();  // deletes the window and the tab
    QCoreApplication::processEvents();
    return QStringLiteral("uncertainty tab, %1 samples, chains %2, %3:\n"
                          "  click to first progress shown: %4 ms (median of %5)\n"
                          "  click to the redrawn result: %6 ms (median of %7; the sampling itself %8 ms)\n")
        .arg(options.samples)
        .arg(sampling::ResolvedChains(options))
        .arg(QFileInfo(file).fileName())
        .arg(Median(firstProgress), 0, 'f', 1)
        .arg(firstProgress.size())
        .arg(Median(painting), 0, 'f', 0)
        .arg(painting.size())
        .arg(Median(sampling), 0, 'f', 0);
}

}  // namespace mt1d::gui::field
