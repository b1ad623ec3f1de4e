#pragma once
// What the sounding window's tests share: a workspace whose dialogs and messages are answered
// by the test, a watchdog that fails and closes any modal window that still appears, the real
// sounding files, and an independent forward model and misfit to check the window against.

#include "gui/field/FieldWorkspace.h"
#include "numerics/LayeredEarth.h"
#include "session/SessionCommands.h"
#include "tests/support/SharedData.h"
#include "gui/field/SoundingWindow.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace mt1d::test {

inline const char* kCullColumns = "period,log10rho,log10rho_err,phase,phase_err";

inline QString SharedFile(const char* relative)
{
    const auto data = testing_support::SharedDataDir();
    if (!data) return {};
    return QString::fromStdString((*data / relative).string());
}

inline session::ReadSettings CullColumns()
{
    session::ReadSettings read;
    read.columns = sounding::ParseColumnList(kCullColumns);
    return read;
}

// Closes any modal window after noting it: a test that opens one has failed.
class ModalWatchdog : public QObject {
public:
    ModalWatchdog()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                seen << modal->windowTitle();
                modal->close();
            }
        });
        timer_.start(20);
    }
    QStringList seen;

private:
    QTimer timer_;
};

class FieldFixture {
protected:
    void StartWorkspace()
    {
        watchdog = std::make_unique<ModalWatchdog>();
        workspace = std::make_unique<gui::field::FieldWorkspace>();
        messages.clear();
        auto& s = workspace->seams;
        s.message = [this](QWidget*, const QString& title, const QString& text) { messages << title + ": " + text; };
        s.chooseSoundings = [this](QWidget*) { return chosenSoundings; };
        s.chooseProjectToOpen = [this](QWidget*) { return chosenFile; };
        s.chooseProjectToSave = [this](QWidget*, const QString&) { return chosenFile; };
        s.chooseExportFile = [this](QWidget*, const QString&, const QString&, const QString&) { return chosenFile; };
        s.askColumns = [this](QWidget*, const QString&, const QString&) -> std::optional<QString> {
            ++columnQuestions;
            return columnAnswer;
        };
        saveQuestions.clear();
        saveAnswer = gui::field::FieldWorkspace::SaveAnswer::kDiscard;
        s.askSave = [this](QWidget*, const QString& site) {
            saveQuestions << site;
            return saveAnswer;
        };
    }

    // Fails the test for every modal window the watchdog had to close.
    void FinishWorkspace()
    {
        const QStringList seen = watchdog ? watchdog->seen : QStringList();
        workspace.reset();
        watchdog.reset();
        QVERIFY2(seen.isEmpty(), qPrintable(QStringLiteral("modal windows: ") + seen.join(QStringLiteral(", "))));
    }

    gui::field::SoundingWindow* Open(const QString& file, const session::ReadSettings& read = {})
    {
        const auto opened = workspace->OpenSoundings({file}, read);
        if (opened.isEmpty()) return nullptr;
        if (!QTest::qWaitForWindowExposed(opened.first())) return nullptr;
        return opened.first();
    }

    static bool RunAndWait(gui::field::SoundingWindow* window, fitting::Method method)
    {
        QSignalSpy done(window, &gui::field::SoundingWindow::fitFinished);
        window->RunFit(method);
        return done.wait(30000);
    }

    std::unique_ptr<ModalWatchdog> watchdog;
    std::unique_ptr<gui::field::FieldWorkspace> workspace;
    QStringList messages;
    QStringList chosenSoundings;
    QString chosenFile;
    std::optional<QString> columnAnswer;
    int columnQuestions = 0;
    QStringList saveQuestions;  // the sites of windows that asked to save on closing
    gui::field::FieldWorkspace::SaveAnswer saveAnswer = gui::field::FieldWorkspace::SaveAnswer::kDiscard;
};

// The response of a model at the given frequencies, by the kernel.
inline earth::Response ResponseOf(const earth::LayeredModel& model, const std::vector<double>& frequencies)
{
    earth::LayeredEarth kernel(frequencies);
    return kernel.Compute(model);
}

// The RMS of a model against the usable, included rows of a window's curve, fitting ρa and
// phase, computed here from its definition: r = (log10 ρa − log10 ρa_model)/σ with
// σ = δρa/(ρa ln 10), and (φ − φ_model)/δφ; RMS = sqrt(Σr²/N).
inline double IndependentRms(const gui::field::SoundingWindow& window, const earth::LayeredModel& model)
{
    std::vector<double> f, rho, rhoErr, phase, phaseErr;
    const auto& rows = window.ShownCurve().rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].usable || session::IsExcluded(window.State(), i)) continue;
        f.push_back(rows[i].frequencyHz);
        rho.push_back(rows[i].rhoOhmM);
        rhoErr.push_back(rows[i].rhoErrOhmM);
        phase.push_back(rows[i].phaseDeg);
        phaseErr.push_back(rows[i].phaseErrDeg);
    }
    const earth::Response r = ResponseOf(model, f);
    double sum = 0.0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const double a = (std::log10(rho[i]) - std::log10(r.rhoA[i])) / (rhoErr[i] / (rho[i] * std::log(10.0)));
        const double b = (phase[i] - r.phaseDeg[i]) / phaseErr[i];
        sum += a * a + b * b;
    }
    return std::sqrt(sum / (2.0 * f.size()));
}

}  // namespace mt1d::test
