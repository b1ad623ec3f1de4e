#include "gui/classic/MainWindow.h"

#include "gui/classic/AboutBox.h"
#include "gui/classic/BoundsDialog.h"
#include "gui/classic/ClickLabel.h"
#include "gui/classic/CommandLock.h"
#include "gui/classic/FigureExport.h"
#include "classic/FittedResponse.h"
#include "gui/common/MessageBoxes.h"
#include "gui/classic/NoticeBox.h"
#include "numerics/PhaseRelation.h"
#include "gui/classic/RadioGroup.h"
#include "gui/classic/ResponseChart.h"
#include "gui/classic/StringGrid.h"
#include "gui/classic/UpDown.h"
#include "gui/common/UserGuide.h"
#include "gui/common/ViewSettings.h"
#include "gui/common/WaitCursor.h"
#include "gui/common/WindowPlacement.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QWindow>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


using mt1d::gui::Guarded;

namespace {

enum TableColumn { kNumberColumn, kResistivityColumn, kThicknessColumn, kTableColumns };
constexpr int kTableColumnWidth = 54;
constexpr int kStartLayerCount = mt1d::kDefaultLayerCount;
// The window may be made this small; the design area scrolls.
constexpr QSize kMinimumWindowSize(320, 240);

const char* const kPhaseTitle = QT_TRANSLATE_NOOP("mt1d::gui::Ui", "相位");
const QString kPhaseAxisTitle = QStringLiteral("Phase / degree");
const char* const kImpedancePhaseTitle = QT_TRANSLATE_NOOP("mt1d::gui::Ui", "阻抗相位");
const QString kImpedancePhaseAxisTitle = QStringLiteral("Impedance phase / degree");

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int x, int y, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, width, height);
    return widget;
}

QFrame* Rule(QWidget* parent)
{
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

QList<QPointF> Points(const std::vector<mt1d::ChartPoint>& curve)
{
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.size()));
    for (const mt1d::ChartPoint& point : curve) {
        points.append(QPointF(point.x, point.y));
    }
    return points;
}

// The classic phase curve in degrees as the conventional impedance phase φ = arg Z.
QList<QPointF> ImpedancePhasePoints(const std::vector<mt1d::ChartPoint>& classic)
{
    QList<QPointF> points = Points(classic);
    for (QPointF& point : points) {
        point.setY(mt1d::ImpedancePhaseDegrees(point.y()));
    }
    return points;
}

// The design area's size as the scroll area's natural size, so that the window's natural
// size shows all of it (a plain scroll area caps its size hint at a few dozen characters).
class DesignScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return (widget() != nullptr ? widget()->size() : QSize()) + QSize(frame, frame);
    }
};

QAction* AddAction(QMenu* menu, const QString& text, const QString& statusTip,
                   const char* name)
{
    QAction* action = menu->addAction(text);
    action->setStatusTip(statusTip);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      PreparePrinter(mt1d::gui::ChoosePrinter),
      ChooseSaveFile(mt1d::gui::AskSaveFileName),
      notices_(std::make_unique<mt1d::gui::NoticeBox>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Magnetotelluric"));
    CreateControls();
    CreateMenus();
    ConventionalPhaseAction->setChecked(mt1d::gui::LoadConventionalPhase());
    ConnectHandlers();
    FormCreate();
    About = new TAbout(this);
    setAcceptDrops(true);  // taken only once FileHooks.openFiles is set

    // Larger than the design area would only add empty space.
    setMinimumSize(kMinimumWindowSize);
    setMaximumSize(NaturalSize());
    PlaceOnScreen(screen()->availableGeometry());
}

TForm1::~TForm1() = default;

void TForm1::CreateControls()
{
    using namespace mt1d::gui;
    ScrollArea = new DesignScrollArea(this);
    ScrollArea->setObjectName(QStringLiteral("ScrollArea"));
    ScrollArea->setFrameShape(QFrame::NoFrame);
    ScrollArea->setWidgetResizable(false);
    DesignArea = new QWidget;
    DesignArea->setObjectName(QStringLiteral("DesignArea"));
    DesignArea->setFixedSize(kDesignSize);
    ScrollArea->setWidget(DesignArea);  // the scroll area owns the design area from here
    setCentralWidget(ScrollArea);
    QWidget* const area = DesignArea;

    StaticText3 = Place(new ClickLabel(Ui::tr("大地电磁测深正演模拟演示程序"), area),
                        "StaticText3", 280, 8, 200, 17);
    StaticText3->setCursor(Qt::WhatsThisCursor);
    StaticText1 = Place(new QLabel(Ui::tr("模型层数"), area), "StaticText1", 8, 48, 60, 17);
    Edit1 = Place(new QLineEdit(area), "Edit1", 8, 72, 121, 21);
    UpDown1 = Place(new UpDown(Edit1, 1, kMaxLayerCount, kStartLayerCount, area), "UpDown1",
                    129, 72, 15, 21);
    StaticText2 = Place(new QLabel(Ui::tr("模型参数"), area), "StaticText2", 8, 96, 60, 17);
    StringGrid1 = Place(new StringGrid(kTableColumns, kTableColumnWidth, area), "StringGrid1",
                        8, 120, 169, 105);
    RESPH = Place(new RadioGroup(Ui::tr("反演数据源"),
                                 {Ui::tr("视电阻率"), Ui::tr("相位"),
                                  Ui::tr("视电阻率+相位")},
                                 area),
                  "RESPH", 8, 240, 169, 89);
    InvType = Place(new RadioGroup(Ui::tr("反演方法"),
                                   {Ui::tr("奇异值反演"), Ui::tr("约束反演")}, area),
                    "InvType", 8, 344, 169, 65);
    RESPH->SetItemIndex(mt1d::kDefaultSource);
    InvType->SetItemIndex(mt1d::kDefaultMethod);
    Memo1 = Place(new QPlainTextEdit(area), "Memo1", 184, 48, 153, 361);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont listingFont = Memo1->font();  // a narrow face, so that a listing line fits the pane
    listingFont.setPointSize(8);
    listingFont.setStretch(QFont::Condensed);
    Memo1->setFont(listingFont);

    Chart1 = Place(new ResponseChart(Ui::tr("视电阻率曲线"), QString(),
                                     QStringLiteral("AppRes"),
                                     ResponseChart::ValueScale::Logarithmic,
                                     QColor(0, 128, 0), area),
                   "Chart1", 344, 48, 425, 169);
    Series1 = Chart1->Series();
    Series1->setObjectName(QStringLiteral("Series1"));
    Chart1->FittedSeries()->setObjectName(QStringLiteral("Fitted1"));
    Chart2 = Place(new ResponseChart(Ui::tr(kPhaseTitle), QStringLiteral("Period   / s"), kPhaseAxisTitle,
                                     ResponseChart::ValueScale::Linear, QColor(255, 0, 0), area),
                   "Chart2", 344, 224, 425, 185);
    Series2 = Chart2->Series();
    Series2->setObjectName(QStringLiteral("Series2"));
    Chart2->FittedSeries()->setObjectName(QStringLiteral("Fitted2"));

    Button1 = Place(new QPushButton(Ui::tr("正演计算"), area), "Button1", 8, 440, 75, 25);
    Button2 = Place(new QPushButton(Ui::tr("反演电阻"), area), "Button2", 104, 440, 75, 25);
    BitBtn1 = Place(new QPushButton(Ui::tr("打印"), area), "BitBtn1", 200, 440, 75, 25);
    BitBtn2 = Place(new QPushButton(Ui::tr("重置反演模型"), area), "BitBtn2",
                    384, 440, 89, 25);
    Bevel1 = Place(Rule(area), "Bevel1", 0, 422, 529, 4);
    Label1 = Place(new QLabel(QStringLiteral("Vantorel"), area), "Label1", 528, 416, 56, 17);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setEnabled(false);
    Bevel2 = Place(Rule(area), "Bevel2", 584, 422, 185, 4);
}

void TForm1::CreateMenus()
{
    FileMenu = menuBar()->addMenu(Ui::tr("文件"));
    FileMenu->setObjectName(QStringLiteral("FileMenu"));
    FileMenu->menuAction()->setStatusTip(QStringLiteral("File"));
    OpenSoundingAction = AddAction(FileMenu, Ui::tr("打开测点数据…"),
                                   QStringLiteral("Open sounding…"), "OpenSoundingAction");
    OpenSoundingAction->setShortcut(QKeySequence::Open);
    OpenProjectAction = AddAction(FileMenu, Ui::tr("打开工程…"),
                                  QStringLiteral("Open project…"), "OpenProjectAction");
    OpenSurveyAction = AddAction(FileMenu, Ui::tr("打开测区…"),
                                 QStringLiteral("Open survey folder…"), "OpenSurveyAction");
    SaveProjectAction = AddAction(FileMenu, Ui::tr("保存工程"),
                                  QStringLiteral("Save project"), "SaveProjectAction");
    SaveProjectAction->setShortcut(QKeySequence::Save);
    SaveProjectAsAction = AddAction(FileMenu, Ui::tr("另存工程…"),
                                    QStringLiteral("Save project as…"), "SaveProjectAsAction");
    SaveProjectAsAction->setShortcut(QKeySequence::SaveAs);
    FileMenu->addSeparator();
    ExportFigureAction = AddAction(FileMenu, Ui::tr("导出图件…"),
                                   QStringLiteral("Export figure…"), "ExportFigureAction");
    ExportResultsAction = AddAction(FileMenu, Ui::tr("导出结果…"),
                                    QStringLiteral("Export results…"), "ExportResultsAction");
    FileMenu->addSeparator();
    QuitAction = AddAction(FileMenu, Ui::tr("退出"), QStringLiteral("Quit"), "QuitAction");
    QuitAction->setShortcut(QKeySequence::Quit);

    ViewMenu = menuBar()->addMenu(Ui::tr("视图"));
    ViewMenu->setObjectName(QStringLiteral("ViewMenu"));
    ViewMenu->menuAction()->setStatusTip(QStringLiteral("View"));
    ConventionalPhaseAction =
        AddAction(ViewMenu, Ui::tr("常规阻抗相位"),
                  QStringLiteral("Conventional impedance phase"), "ConventionalPhaseAction");
    ConventionalPhaseAction->setCheckable(true);
    mt1d::gui::AddLanguageMenu(ViewMenu);

    HelpMenu = menuBar()->addMenu(Ui::tr("帮助"));
    HelpMenu->setObjectName(QStringLiteral("HelpMenu"));
    HelpMenu->menuAction()->setStatusTip(QStringLiteral("Help"));
    UserGuideAction = AddAction(HelpMenu, Ui::tr("用户指南"), QStringLiteral("User guide"), "UserGuideAction");
    UserGuideAction->setShortcut(QKeySequence::HelpContents);
    AboutAction = AddAction(HelpMenu, Ui::tr("关于"), QStringLiteral("About"), "AboutAction");

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    RefreshFileActions();
}

void TForm1::ConnectHandlers()
{
    connect(UpDown1, &mt1d::gui::UpDown::Click, this, &TForm1::UpDown1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(InvType, &mt1d::gui::RadioGroup::Click, this, &TForm1::InvTypeClick);
    connect(StaticText3, &mt1d::gui::ClickLabel::Click, this, &TForm1::StaticText3Click);

    connect(FileMenu, &QMenu::aboutToShow, this, &TForm1::RefreshFileActions);
    const auto callHook = [this](std::function<void()> mt1d::gui::FileMenuHooks::*hook) {
        return [this, hook] {
            Guarded(this, [this, hook] {
                // Copied first: the hook may replace the hooks.
                const std::function<void()> call = FileHooks.*hook;
                if (call) call();
            });
        };
    };
    using Hooks = mt1d::gui::FileMenuHooks;
    connect(OpenSoundingAction, &QAction::triggered, this, callHook(&Hooks::openSounding));
    connect(OpenProjectAction, &QAction::triggered, this, callHook(&Hooks::openProject));
    connect(OpenSurveyAction, &QAction::triggered, this, callHook(&Hooks::openSurvey));
    connect(SaveProjectAction, &QAction::triggered, this, callHook(&Hooks::saveProject));
    connect(SaveProjectAsAction, &QAction::triggered, this, callHook(&Hooks::saveProjectAs));
    connect(ExportFigureAction, &QAction::triggered, this, &TForm1::ExportFigureClick);
    connect(ExportResultsAction, &QAction::triggered, this, &TForm1::ExportResultsClick);
    // Every window is asked to close; each may refuse, and the program ends with the last.
    connect(QuitAction, &QAction::triggered, this, [] { QApplication::closeAllWindows(); });
    connect(ConventionalPhaseAction, &QAction::toggled, this, &TForm1::ConventionalPhaseClick);
    connect(AboutAction, &QAction::triggered, this, &TForm1::StaticText3Click);
    connect(UserGuideAction, &QAction::triggered, this, [this] { mt1d::gui::OpenUserGuide(this); });
}

void TForm1::FormCreate()
{
    Guarded(this, [this] {
        StringGrid1->SetRowCount(kStartLayerCount + 1);
        StringGrid1->SetCell(kNumberColumn, 0, QStringLiteral("No"));
        StringGrid1->SetCell(kResistivityColumn, 0, QStringLiteral("Res"));
        StringGrid1->SetCell(kThicknessColumn, 0, QStringLiteral("Th/m"));
        const std::vector<mt1d::LayerText> layers = mt1d::DefaultTable();
        for (int row = 1; row <= kStartLayerCount; ++row) {
            StringGrid1->SetCell(kNumberColumn, row, QString::number(row));
            StringGrid1->SetCell(kResistivityColumn, row, Text(layers[row - 1].resistivity));
            StringGrid1->SetCell(kThicknessColumn, row, Text(layers[row - 1].thickness));
        }
        Memo1->clear();
        Button1Click();
    });
}

void TForm1::UpDown1Click()
{
    Guarded(this, [this] {
        const int layers = UpDown1->Position();
        StringGrid1->SetRowCount(layers + 1);
        StringGrid1->SetCell(kNumberColumn, layers, QString::number(layers));
        if (StringGrid1->RowCount() > 2) {
            for (int column : {kResistivityColumn, kThicknessColumn}) {
                StringGrid1->SetCell(column, layers, StringGrid1->Cell(column, layers - 1));
            }
        }
    });
}

void TForm1::Button1Click()
{
    Guarded(this, [this] {
        StringGrid1->CommitEdit();
        std::vector<mt1d::LayerText> rows;
        for (int row = 1; row < StringGrid1->RowCount(); ++row) {
            rows.push_back({StringGrid1->Cell(kResistivityColumn, row).toStdString(),
                            StringGrid1->Cell(kThicknessColumn, row).toStdString()});
        }
        const mt1d::ResponseView view = mt1d::RunForward(Store, Edit1->text().toStdString(), rows);
        // The fitted response belonged to the data the forward calculation has replaced.
        lastInversion_.reset();
        runsSinceStart_ = 0;
        fitted_.reset();
        ShowResponse(view);
    });
}

void TForm1::Button2Click()
{
    Guarded(this, [this] {
        QCoreApplication::processEvents();
        mt1d::InversionOutcome outcome;
        const int source = RESPH->ItemIndex();
        const int method = InvType->ItemIndex();
        {
            // The run lets events through: nothing else may touch the store meanwhile.
            mt1d::gui::CommandLock lock(StoreCommands());
            mt1d::gui::WaitCursor wait;
            update();
            outcome = mt1d::RunInversion(Store, source, method,
                                         [] { QCoreApplication::processEvents(); });
        }
        const QString report = Text(outcome.report);
        lastInversion_ = mt1d::gui::RecordInversion(Store, ++runsSinceStart_, source, method,
                                                    std::move(outcome));
        // Drawn before the report appears, so that the fit is seen while the report is read.
        ShowFitted(mt1d::FittedResponse(Store));
        mt1d::gui::ShowProgramMessage(this, Ui::tr("Vantorel提示..."), report);
    });
}

void TForm1::BitBtn1Click()
{
    Guarded(this, [this] {
        QPrinter printer(QPrinter::HighResolution);
        if (PreparePrinter(printer, this)) {
            mt1d::gui::PrintStretched(*Chart1, printer);
        }
    });
}

void TForm1::BitBtn2Click()
{
    Guarded(this, [this] {
        mt1d::ResetInversion(Store);
        runsSinceStart_ = 0;  // the next run starts afresh, as the first after a calculation
    });
}

void TForm1::InvTypeClick()
{
    if (InvType->ItemIndex() != mt1d::kMethodConstrained) {
        return;
    }
    Guarded(this, [this] {
        TUDPForm dialog(this);
        const std::vector<mt1d::BoundsRow> shown = mt1d::BoundsTable(Store);
        dialog.Fill(shown);
        if (dialog.exec() == TUDPForm::kOk) {
            mt1d::ApplyBoundsDialog(Store, shown, dialog.Rows());
        }
    });
}

void TForm1::StaticText3Click()
{
    Guarded(this, [this] {
        About->setWindowTitle(Ui::tr("关于MT..."));
        About->exec();
    });
}

void TForm1::RefreshFileActions()
{
    OpenSoundingAction->setEnabled(static_cast<bool>(FileHooks.openSounding));
    OpenProjectAction->setEnabled(static_cast<bool>(FileHooks.openProject));
    OpenSurveyAction->setEnabled(static_cast<bool>(FileHooks.openSurvey));
    SaveProjectAction->setEnabled(static_cast<bool>(FileHooks.saveProject));
    SaveProjectAsAction->setEnabled(static_cast<bool>(FileHooks.saveProjectAs));
}

void TForm1::ExportFigureClick()
{
    Guarded(this, [this] {
        const QString file = ChooseSaveFile(
            this, Ui::tr("导出图件"),
            {Ui::tr("PNG 图像 (*.png)"), Ui::tr("SVG 矢量图 (*.svg)"),
             Ui::tr("PDF 文档 (*.pdf)")});
        if (!file.isEmpty()) {
            mt1d::gui::ExportFigure({Chart1, Chart2}, file);
        }
    });
}

void TForm1::ExportResultsClick()
{
    Guarded(this, [this] {
        const QString file = ChooseSaveFile(
            this, Ui::tr("导出结果"),
            {Ui::tr("CSV 表格 (*.csv)"), Ui::tr("JSON 文件 (*.json)")});
        if (!file.isEmpty()) {
            mt1d::gui::ExportResults(Store, lastInversion_, file);
        }
    });
}

void TForm1::ConventionalPhaseClick(bool shown)
{
    Guarded(this, [this, shown] {
        mt1d::gui::StoreConventionalPhase(shown);
        ShowPhaseChart();
    });
}

void TForm1::showEvent(QShowEvent* event)
{
    RefreshFileActions();  // hooks are installed between construction and showing
    QMainWindow::showEvent(event);
}

namespace {

QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    if (data == nullptr) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
    }
    return files;
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (FileHooks.openFiles && !LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (!FileHooks.openFiles || files.isEmpty()) return;
    event->acceptProposedAction();
    Guarded(this, [this, files] {
        const auto open = FileHooks.openFiles;  // copied: it may replace the hooks
        open(files);
    });
}

QSize TForm1::NaturalSize() const
{
    return sizeHint();
}

void TForm1::PlaceOnScreen(const QRect& available)
{
    // The frame is known only once the window system has framed the window.
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    const mt1d::gui::WindowPlacement place =
        mt1d::gui::PlaceWindow(NaturalSize(), minimumSize(), available, frame);
    resize(place.size);
    move(place.framePosition);
}

void TForm1::ShowResponse(const mt1d::ResponseView& view)
{
    QStringList lines;
    for (const std::string& line : view.listing) {
        lines.append(Text(line));
    }
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    response_ = view;
    ShowCharts();
}

void TForm1::ShowFitted(const std::optional<mt1d::ResponseView>& view)
{
    fitted_ = view;
    ShowCharts();
}

void TForm1::ShowCharts()
{
    Chart1->ShowCurves(Points(response_.appResCurve),
                       fitted_ ? Points(fitted_->appResCurve) : QList<QPointF>());
    ShowPhaseChart();
}

void TForm1::ShowPhaseChart()
{
    const bool conventional = ConventionalPhaseAction->isChecked();
    const auto points = [conventional](const std::vector<mt1d::ChartPoint>& classic) {
        return conventional ? ImpedancePhasePoints(classic) : Points(classic);
    };
    Chart2->SetTitles(Ui::tr(conventional ? kImpedancePhaseTitle : kPhaseTitle),
                      conventional ? kImpedancePhaseAxisTitle : kPhaseAxisTitle);
    Chart2->ShowCurves(points(response_.phaseCurve),
                       fitted_ ? points(fitted_->phaseCurve) : QList<QPointF>());
}

QList<QWidget*> TForm1::StoreCommands() const
{
    return {Button1, Button2, BitBtn2, RESPH, InvType, Edit1, UpDown1, StringGrid1};
}
