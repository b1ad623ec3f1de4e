#include "gui/classic/Measure.h"

#include "gui/classic/MainWindow.h"
#include "gui/classic/RadioGroup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace mt1d::gui {

namespace {

constexpr int kForwardRuns = 21;
constexpr int kInversionRuns = 5;

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

QString Figures(const QString& name, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return QStringLiteral("%1: median %2 ms, max %3 ms (%4 runs)\n")
        .arg(name)
        .arg(samples[samples.size() / 2], 0, 'f', 2)
        .arg(samples.back(), 0, 'f', 2)
        .arg(samples.size());
}

// Presses the inversion button and returns the time until the report box is shown; closes
// the box.
double TimeInversion(TForm1& form)
{
    QElapsedTimer timer;
    double shownAfter = -1.0;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        shownAfter = Milliseconds(timer);
        poll.stop();
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    timer.start();
    form.Button2->click();
    return shownAfter;
}

}  // namespace

QString MeasureCommands(TForm1& form)
{
    QString report;
    std::vector<double> forward;
    for (int run = 0; run < kForwardRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        form.Button1->click();
        form.repaint();
        forward.push_back(Milliseconds(timer));
    }
    report += Figures(QStringLiteral("forward (click to repainted window)"), forward);

    const char* sources[] = {"apparent resistivity", "phase", "both"};
    const char* methods[] = {"singular value", "constrained"};
    for (int method = 0; method < 2; ++method) {
        for (int source = 0; source < 3; ++source) {
            const QSignalBlocker quiet(form.InvType);  // no bounds dialog while measuring
            form.RESPH->SetItemIndex(source);
            form.InvType->SetItemIndex(method);
            std::vector<double> runs;
            for (int run = 0; run < kInversionRuns; ++run) {
                form.BitBtn2->click();  // every run from the default starting model
                runs.push_back(TimeInversion(form));
            }
            report += Figures(QStringLiteral("inversion, %1, %2 (click to report shown)")
                                  .arg(QLatin1String(sources[source]),
                                       QLatin1String(methods[method])),
                              runs);
        }
    }
    return report;
}

}  // namespace mt1d::gui
