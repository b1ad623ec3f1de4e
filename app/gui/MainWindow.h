#pragma once
// The main window: the model table and layer count, the inversion choices, the listing and
// the two response charts, and the commands. Handlers only move texts between the controls
// and the store's commands; every one runs guarded, so a refusal or error reaches the user in
// the error box and leaves the store as the command found it.

#include "ChartPrinting.h"
#include "ModelStore.h"

#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPlainTextEdit;
class QPushButton;
class TAbout;

namespace mt1d {
struct ResponseView;
}

namespace mt1d::gui {
class ClickLabel;
class NoticeBox;
class RadioGroup;
class ResponseChart;
class StringGrid;
class UpDown;
}  // namespace mt1d::gui

class TForm1 : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxLayerCount = mt1d::kMaxStoreLayers;  // the spin button's maximum

    // Builds the controls, runs FormCreate (default model and its response) and creates the
    // About box hidden.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    mt1d::ModelStore Store;

    // Sets up the printer before printing; by default the print dialog.
    mt1d::gui::PrinterSetup PreparePrinter;

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
    QLineSeries* Series1;
    mt1d::gui::ResponseChart* Chart2;
    QLineSeries* Series2;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QFrame* Bevel1;
    QLabel* Label1;
    QFrame* Bevel2;
    TAbout* About;

public slots:
    void FormCreate();
    void UpDown1Click();
    void Button1Click();
    void Button2Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void InvTypeClick();
    void StaticText3Click();

private:
    void CreateControls();
    void ConnectHandlers();
    void ShowResponse(const mt1d::ResponseView& view);
    // The controls whose commands read or write the store.
    QList<QWidget*> StoreCommands() const;

    std::unique_ptr<mt1d::gui::NoticeBox> notices_;
};
