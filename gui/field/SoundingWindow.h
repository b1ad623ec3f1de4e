#pragma once
// The window of one sounding: its data (site, mode, error floor, the rows with a check box
// each to leave a frequency out of fitting), the fit settings and results, and three plots
// (ρa and phase against period, the models against depth) in a tab of their own, the
// uncertainty tab, and the dimensionality tab (DimsView.h), whose rows that are not 1-D are
// marked in the data table and can be left out of fitting with one click.
//
// The window holds a session::Session and nothing else of consequence: every slot reads the
// widgets, calls one command of the session library and shows the new state; a refusal goes
// to the status bar or a message and leaves the state as it was. Fits run on a FitRunner; the
// controls that would change the data are disabled while one runs. The hand-edited model
// follows drags in the depth plot and edits in the results table at once.
//
// Every change of the state (exclusions, floor, mode, rotation, fit settings, a fit taken into
// the table, hand edits, a whole drag) is a step on the window's undo stack (编辑 → 撤销 Ctrl+Z,
// 重做 Ctrl+Shift+Z). A window whose state differs from the one last saved or opened shows
// the mark [*] in its title, and closing it asks to save the project, discard the changes or
// cancel (through the workspace's seams).

#include "gui/field/CurvePlot.h"
#include "gui/field/DepthPlot.h"
#include "gui/field/DimsView.h"
#include "gui/field/FitRunner.h"
#include "gui/field/SessionStep.h"
#include "session/Project.h"
#include "session/Session.h"
#include "gui/field/UncertaintyView.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;
class QUndoStack;

namespace mt1d::gui::field {

class FieldWorkspace;

class SoundingWindow : public QMainWindow {
    Q_OBJECT

public:
    // Columns of the data table and of the results table.
    enum DataColumn { kUseColumn, kFrequencyColumn, kPeriodColumn, kRhoColumn, kRhoErrColumn, kPhaseColumn, kPhaseErrColumn, kDimsColumn };
    enum ResultColumn { kLayerColumn, kTopColumn, kThicknessColumn, kResistivityColumn, kFactorColumn,
                        kConductanceColumn, kTransverseColumn, kThicknessFactorColumn };

    SoundingWindow(session::Session state, FieldWorkspace* workspace, QWidget* parent = nullptr);
    ~SoundingWindow() override;

    const session::Session& State() const { return state_; }
    const sounding::Curve& ShownCurve() const { return curve_; }
    // The RMS of the hand-edited model against the fitted data, when there is one.
    std::optional<double> EditedRms() const { return editedRms_; }

    // Whether the state differs from the one last saved or opened.
    bool IsModified() const;
    // The state as it is now has been saved.
    void MarkSaved();

    session::WindowGeometry Geometry() const;
    void ApplyGeometry(const session::WindowGeometry& geometry);

    // Writes the figure or the results (by suffix: .png/.svg/.pdf; .csv/.json); returns an
    // empty string, or what went wrong.
    QString ExportFigure(const QString& file);
    QString ExportResults(const QString& file);
    // The posterior on show in the uncertainty tab as `mt1d sample --format json` writes it;
    // an empty string, or what went wrong (nothing sampled yet).
    QString ExportPosterior(const QString& file);
    // The printable report of the site (report/ReportPage.h) as a PDF of two A4 pages.
    QString PrintReport(const QString& file);
    // What an exported figure is of: site, mode, and each fit's method and RMS (or the
    // sampling run's, for the uncertainty tab).
    QString FigureCaption() const;

    // Chooses the method and starts a fit, as the user does with the method box and the run
    // button.
    void RunFit(fitting::Method method);

    // Redraws the edited model and its response now (the plots repaint at once), as one step
    // of a drag does; for timing.
    void RedrawEditedNow();

    // Controls, for the tests that drive them.
    QLabel* SiteLabel;
    QLabel* LocationLabel;
    QComboBox* ModeBox;
    QDoubleSpinBox* FloorBox;
    QTableWidget* DataTable;
    QComboBox* MethodBox;
    QSpinBox* LayersBox;
    QDoubleSpinBox* TargetBox;
    QComboBox* ComponentsBox;
    QSpinBox* StartsBox;
    QPushButton* RunButton;
    QPushButton* CancelButton;
    QProgressBar* ProgressBar;
    QPushButton* LayeredModelButton;
    QPushButton* OccamModelButton;
    // The model table: a tick in a resistivity or thickness cell locks that value for the next
    // layered fit; layers are split or deleted by the buttons or the table's context menu.
    QTableWidget* ResultsTable;
    QPushButton* InsertLayerButton;
    QPushButton* DeleteLayerButton;
    QPushButton* FitFromTableButton;
    QPushButton* FewestLayersButton;  // layered fits of 1 … N layers, the fewest that reach the target
    QLabel* FitLabel;
    QLabel* EditedRmsLabel;
    QTabWidget* Tabs;
    CurvePlot* RhoPlot;
    CurvePlot* PhasePlot;
    DepthPlot* ModelPlot;
    FitRunner* Runner;
    UncertaintyView* Uncertainty;  // the uncertainty tab
    DimsView* Dims;                // the dimensionality tab
    QAction* OpenSoundingAction;
    QAction* OpenProjectAction;
    QAction* SaveProjectAction;
    QAction* SaveProjectAsAction;
    QAction* ExportFigureAction;
    QAction* ExportResultsAction;
    QAction* ExportPosteriorAction;
    QAction* PrintReportAction;
    QAction* CloseAction;
    QAction* QuitAction;
    QAction* UndoAction;
    QAction* RedoAction;
    QUndoStack* UndoStack;
    QAction* UserGuideAction;
    QAction* AboutAction;

signals:
    // The plots show a new state (after a command, a fit or one step of a drag).
    void redrawn();
    void fitFinished();

protected:
    // On a language change, the texts that carry names and numbers are formed again.
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* BuildDataPanel();
    QWidget* BuildFitPanel();
    QWidget* BuildPlots();
    void BuildMenus();

    // Puts a new state in place and shows it; `rescale` fits the plots' ranges to it.
    void Show(session::Session next, bool rescale = true);
    void ShowDataTable();
    void ShowObserved();
    void ShowModels(bool rescale);
    void ShowEdited();
    void ShowResultsTable();
    void FitResultsColumns();
    void ShowFitStatus();
    void SetBusy(bool busy);
    // Runs a command of the state and puts what it gives on the undo stack as a step called
    // `text`; a refusal is shown in the status bar and changes nothing.
    template <typename Command>
    void Apply(const QString& text, Command&& command, bool rescale = true, StepKind kind = StepKind::kOnce);
    // Puts a new state in place as a step of the undo stack.
    void Push(const QString& text, session::Session next, bool rescale, StepKind kind = StepKind::kOnce);
    void UpdateUndoActions();

    void ModeChosen();
    void FloorChanged();
    void RowToggled(int row, int column);
    // A point of the curves clicked (its row in or out) or a rectangle drawn over points (out).
    void PointClicked(std::size_t row);
    void RowsSelected(const std::vector<std::size_t>& rows);
    // Leaves out of fitting every row the dimensionality tab finds not 1-D.
    void ExcludeNotOneD();
    void RotateTo(double rotationDeg);
    void FitSettingsChanged();
    void RunClicked();
    // A layered fit from the model in the table (session::FitStart::kTable).
    void RunFromTable();
    void RunFewestLayers();
    // The layer of the table's current row (the last layer when none is current).
    std::size_t CurrentLayer() const;
    void InsertLayer(std::size_t layer);
    void DeleteLayer(std::size_t layer);
    void ResultsMenu(const QPoint& at);
    void FitDone(const session::FitOutcome& outcome);
    void ShowProgress();
    void ResultEdited(int row, int column);
    void ResistivityDragged(std::size_t layer, double rho);
    void InterfaceDragged(std::size_t index, double depth);

    session::Session state_;
    sounding::Curve curve_;
    std::optional<double> editedRms_;
    QPointer<FieldWorkspace> workspace_;
    bool filling_ = false;  // the tables are being filled by the window itself
    std::optional<session::Session> dragStart_;  // the state before the drag under way
    bool dimsSet_ = false;                        // the 维度 tab has been given the sounding
    std::optional<double> dimsFrame_;             // the frame of the tensor it shows
};

}  // namespace mt1d::gui::field
