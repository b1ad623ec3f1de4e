#pragma once
// The main window: the model table and layer count, the inversion choices, the listing and
// the two response charts, and the commands. Handlers only move texts between the controls
// and the store's commands; every one runs guarded, so a refusal or error reaches the user in
// the error box and leaves the store as the command found it.
//
// The controls sit at fixed places on a design area of kDesignSize, inside a scroll area
// below the menu bar and above the status bar (where the menu entries show their English
// names). The window opens centred on its screen at the size that shows the whole design
// area; on a smaller screen it opens smaller and the design area scrolls.

#include "gui/classic/ChartPrinting.h"
#include "gui/classic/FileMenuHooks.h"
#include "classic/ModelStore.h"
#include "classic/Commands.h"
#include "gui/classic/ResultsExport.h"
#include "gui/common/SaveFileChooser.h"

#include <QMainWindow>

#include <memory>
#include <optional>

class QAction;
class QCPGraph;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class TAbout;

namespace mt1d::gui {
class ClickLabel;
class NoticeBox;
class RadioGroup;
class ResponseChart;
class StringGrid;
class UpDown;
}  // namespace mt1d::gui

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kMaxLayerCount = mt1d::kMaxStoreLayers;  // the spin button's maximum
    static constexpr QSize kDesignSize{773, 476};  // the area the controls are placed on

    // Builds the controls and menus, runs FormCreate (default model and its response),
    // creates the About box hidden, reads the remembered view and places the window on its
    // screen.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    mt1d::ModelStore Store;

    // What the File menu's sounding and project entries do; an empty one is disabled.
    mt1d::gui::FileMenuHooks FileHooks;
    // Sets up the printer before printing; by default the print dialog.
    mt1d::gui::PrinterSetup PreparePrinter;
    // Asks for the file an export writes; by default the file dialog.
    mt1d::gui::SaveFileChooser ChooseSaveFile;

    QScrollArea* ScrollArea;
    QWidget* DesignArea;

    mt1d::gui::ClickLabel* StaticText3;
    QLabel* StaticText1;
    QLineEdit* Edit1;
    mt1d::gui::UpDown* UpDown1;
    QLabel* StaticText2;
    mt1d::gui::StringGrid* StringGrid1;
    mt1d::gui::RadioGroup* RESPH;
    mt1d::gui::RadioGroup* InvType;
    QPlainTextEdit* Memo1;
    mt1d::gui::ResponseChart* Chart1;
    QCPGraph* Series1;
    mt1d::gui::ResponseChart* Chart2;
    QCPGraph* Series2;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QFrame* Bevel1;
    QLabel* Label1;
    QFrame* Bevel2;
    TAbout* About;

    QMenu* FileMenu;
    QAction* OpenSoundingAction;
    QAction* OpenProjectAction;
    QAction* OpenSurveyAction;
    QAction* SaveProjectAction;
    QAction* SaveProjectAsAction;
    QAction* ExportFigureAction;
    QAction* ExportResultsAction;
    QAction* QuitAction;
    QMenu* ViewMenu;
    QAction* ConventionalPhaseAction;
    QMenu* HelpMenu;
    QAction* UserGuideAction;
    QAction* AboutAction;

    // The size that shows the whole design area with the menu and status bars.
    QSize NaturalSize() const;
    // Sizes and centres the window within `available`, a screen's area without task bars
    // (WindowPlacement.h).
    void PlaceOnScreen(const QRect& available);

public slots:
    void FormCreate();
    void UpDown1Click();
    void Button1Click();
    void Button2Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void InvTypeClick();
    void StaticText3Click();

    // Enables each sounding and project entry whose hook is set.
    void RefreshFileActions();
    void ExportFigureClick();
    void ExportResultsClick();
    // Shows the conventional impedance phase (true) or the classic phase in the phase chart
    // and remembers the choice.
    void ConventionalPhaseClick(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    // Local files dropped on the window go to FileHooks.openFiles, when it is set.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    void ConnectHandlers();
    void ShowResponse(const mt1d::ResponseView& view);
    void ShowFitted(const std::optional<mt1d::ResponseView>& view);
    // Both charts from response_ and fitted_; the phase chart alone.
    void ShowCharts();
    void ShowPhaseChart();
    // The controls whose commands read or write the store.
    QList<QWidget*> StoreCommands() const;

    std::unique_ptr<mt1d::gui::NoticeBox> notices_;
    mt1d::ResponseView response_;                 // what the charts show
    std::optional<mt1d::ResponseView> fitted_;    // the last inversion's fitted response
    std::optional<mt1d::gui::InversionRecord> lastInversion_;
    int runsSinceStart_ = 0;  // inversions since the last forward calculation or reset
};
