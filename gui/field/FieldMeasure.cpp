#include "gui/field/FieldMeasure.h"

#include "gui/field/FieldWorkspace.h"
#include "gui/field/SoundingWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace mt1d::gui::field {

namespace {

// Counts paint events of the watched widgets.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(const std::vector<QWidget*>& widgets)
    {
        for (QWidget* w : widgets) {
            w->installEventFilter(this);
            painted_.push_back({w, false});
        }
    }
    void Reset()
    {
        for (auto& p : painted_) p.second = false;
    }
    bool AllPainted() const
    {
        return std::all_of(painted_.begin(), painted_.end(), [](const auto& p) { return p.second; });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            for (auto& p : painted_) {
                if (p.first == watched) p.second = true;
            }
        }
        return false;
    }

private:
    std::vector<std::pair<QObject*, bool>> painted_;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// Runs the event loop until `done` or 10 s have passed.
template <typename Done>
void Until(Done&& done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done() && limit.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

QString MeasureSoundingWindow(FieldWorkspace& workspace, const QString& file, const session::ReadSettings& read)
{
    QString out;
    std::vector<double> openings;
    SoundingWindow* window = nullptr;
    for (int repeat = 0; repeat < 5; ++repeat) {
        if (window) {
            window->close();
            QCoreApplication::processEvents();
        }
        QElapsedTimer timer;
        timer.start();
        const auto opened = workspace.OpenSoundings({file}, read);
        if (opened.isEmpty()) return QStringLiteral("cannot open %1\n").arg(file);
        window = opened.first();
        PaintCounter painted({window->RhoPlot, window->PhasePlot, window->ModelPlot});
        Until([&] { return painted.AllPainted(); });
        openings.push_back(Ms(timer));
    }
    out += QStringLiteral("open sounding to painted plots: %1 ms (median of %2)\n")
               .arg(Median(openings), 0, 'f', 1)
               .arg(openings.size());

    window->MethodBox->setCurrentIndex(window->MethodBox->findData(static_cast<int>(fitting::Method::kOccam)));
    emit window->MethodBox->activated(window->MethodBox->currentIndex());
    std::vector<double> fits;
    double fitOnly = 0.0;
    for (int repeat = 0; repeat < 5; ++repeat) {
        PaintCounter painted({window->RhoPlot, window->PhasePlot, window->ModelPlot});
        bool finished = false;
        // Paints before the end (the controls greyed out while the fit runs) do not count.
        const auto connection = QObject::connect(window, &SoundingWindow::fitFinished, [&] {
            finished = true;
            painted.Reset();
        });
        QElapsedTimer timer;
        timer.start();
        window->RunButton->click();
        Until([&] { return finished && painted.AllPainted(); });
        fits.push_back(Ms(timer));
        QObject::disconnect(connection);
        if (window->State().occam) fitOnly = window->State().occam->elapsedMs;
    }
    out += QStringLiteral("smooth fit, click to updated plots: %1 ms (median of %2; the fit itself %3 ms)\n")
               .arg(Median(fits), 0, 'f', 1)
               .arg(fits.size())
               .arg(fitOnly, 0, 'f', 1);

    // Drag steps on the edited model: every layer's resistivity in turn up and down by a few
    // per cent, each step forward-modelled and repainted before the next.
    std::vector<double> steps;
    if (window->State().edited) {
        for (int step = 0; step < 60; ++step) {
            const auto& model = *window->State().edited;
            const std::size_t layer = static_cast<std::size_t>(step) % model.LayerCount();
            const double rho = model.resistivity[layer] * (step % 2 == 0 ? 1.05 : 1 / 1.05);
            QElapsedTimer timer;
            timer.start();
            emit window->ModelPlot->resistivityDragged(layer, rho);
            steps.push_back(Ms(timer));
        }
    }
    out += QStringLiteral("one drag step, forward model and repaint: %1 ms (median of %2, max %3 ms)\n")
               .arg(Median(steps), 0, 'f', 2)
               .arg(steps.size())
               .arg(steps.empty() ? 0.0 : *std::max_element(steps.begin(), steps.end()), 0, 'f', 2);
    window->close();
    return out;
}

}  // namespace mt1d::gui::field
