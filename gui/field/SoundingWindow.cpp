#include "gui/field/SoundingWindow.h"

#include "io/AtomicFile.h"
#include "gui/field/FieldWorkspace.h"
#include "gui/field/FieldFigure.h"
#include "fitting/LayeredFit.h"
#include "jobs/FitNotes.h"
#include "sounding/Modes.h"
#include "session/ResultExport.h"
#include "session/FitRecords.h"
#include "report/ReportPage.h"
#include "report/SampleJson.h"
#include "render/ReportPainter.h"
#include "gui/common/SettingsNames.h"
#include "gui/common/UserGuide.h"
#include "gui/common/WindowPlacement.h"

#include <QEvent>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

const QString kGeometryKey = QStringLiteral("SoundingWindow/geometry");
const QString kSplitterKey = QStringLiteral("SoundingWindow/splitter");

QString Number(double x, int digits = 4) { return QString::number(x, 'g', digits); }

QTableWidgetItem* ReadOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// Numbers the user types: the C locale's decimal point, or the user's own.
std::optional<double> ParseNumber(const QString& text)
{
    bool ok = false;
    double x = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok) x = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(x)) return std::nullopt;
    return x;
}

bool SameModel(const earth::LayeredModel& a, const earth::LayeredModel& b)
{
    return a.resistivity == b.resistivity && a.thickness == b.thickness;
}

QString ModeText(sounding::Mode mode)
{
    switch (mode) {
    case sounding::Mode::kXy: return QStringLiteral("xy");
    case sounding::Mode::kYx: return QStringLiteral("yx");
    case sounding::Mode::kDet: return Ui::tr("det（行列式）");
    case sounding::Mode::kBerd: return Ui::tr("berd（Berdichevsky 平均）");
    }
    return {};
}

QString StatusText(fitting::FitStatus status)
{
    switch (status) {
    case fitting::FitStatus::kConverged: return Ui::tr("已收敛");
    case fitting::FitStatus::kMaxIterations: return Ui::tr("达到迭代上限");
    case fitting::FitStatus::kTargetReached: return Ui::tr("达到目标 RMS");
    case fitting::FitStatus::kTargetNotReached: return Ui::tr("未达目标 RMS");
    case fitting::FitStatus::kCancelled: return Ui::tr("已取消");
    case fitting::FitStatus::kInvalidInput: return Ui::tr("数据不可用");
    case fitting::FitStatus::kDampingExhausted: return Ui::tr("阻尼耗尽，未收敛");
    case fitting::FitStatus::kNonFiniteMisfit: return Ui::tr("失配不是有限值");
    }
    return {};
}

// Whether a row is 1-D, in the data table: 是 or 否 (tinted, with the reason as a tooltip),
// empty where the analysis gives no verdict (with the reason, when there is one).
QTableWidgetItem* DimsItem(const std::optional<dims::DimsResult>& result, std::size_t row)
{
    auto* item = ReadOnlyItem(QString());
    item->setTextAlignment(Qt::AlignCenter);
    if (!result || row >= result->rows.size()) return item;
    const dims::DimsRow& d = result->rows[row];
    if (!d.oneD) {
        item->setToolTip(QString::fromStdString(d.note));
    } else if (*d.oneD) {
        item->setText(Ui::tr("是"));
    } else {
        item->setText(Ui::tr("否"));
        item->setForeground(QColor(170, 20, 20));
        item->setBackground(QColor(255, 228, 214));
        item->setToolTip(Ui::tr("非一维：%1").arg(QString::fromStdString(d.notOneD)));
    }
    return item;
}

}  // namespace

SoundingWindow::SoundingWindow(session::Session state, FieldWorkspace* workspace, QWidget* parent)
    : QMainWindow(parent), state_(std::move(state)), workspace_(workspace)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    const QString site = QString::fromStdString(state_.sounding.site.name);
    setWindowTitle(Ui::tr("%1[*] — 测点数据与拟合").arg(site.isEmpty() ? Ui::tr("测点") : site));
    UndoStack = new QUndoStack(this);
    connect(UndoStack, &QUndoStack::cleanChanged, this, [this](bool clean) { setWindowModified(!clean); });
    connect(UndoStack, &QUndoStack::indexChanged, this, &SoundingWindow::UpdateUndoActions);

    Runner = new FitRunner(this);
    connect(Runner, &FitRunner::finished, this, &SoundingWindow::FitDone);
    connect(Runner, &FitRunner::progressed, this, &SoundingWindow::ShowProgress);

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(BuildDataPanel(), 3);
    leftLayout->addWidget(BuildFitPanel(), 2);

    Tabs = new QTabWidget;
    Tabs->addTab(BuildPlots(), Ui::tr("曲线与模型"));
    Uncertainty = new UncertaintyView;
    Tabs->addTab(Uncertainty, Ui::tr("不确定性"));
    Dims = new DimsView;
    Tabs->addTab(Dims, Ui::tr("维度"));
    connect(Dims, &DimsView::analysed, this, [this] {
        ShowDataTable();
        ShowObserved();
        RhoPlot->replot(QCustomPlot::rpQueuedReplot);
        PhasePlot->replot(QCustomPlot::rpQueuedReplot);
    });
    connect(Dims, &DimsView::excludeRequested, this, &SoundingWindow::ExcludeNotOneD);
    connect(Dims, &DimsView::rotateRequested, this, &SoundingWindow::RotateTo);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("mainSplitter"));
    splitter->addWidget(left);
    splitter->addWidget(Tabs);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({470, 800});
    setCentralWidget(splitter);

    FitLabel = new QLabel;
    EditedRmsLabel = new QLabel;
    ProgressBar = new QProgressBar;
    ProgressBar->setMaximumWidth(180);
    ProgressBar->setVisible(false);
    CancelButton = new QPushButton(Ui::tr("取消"));
    CancelButton->setStatusTip(QStringLiteral("Cancel the running fit"));
    CancelButton->setVisible(false);
    connect(CancelButton, &QPushButton::clicked, Runner, &FitRunner::Cancel);
    statusBar()->addWidget(FitLabel, 1);
    statusBar()->addPermanentWidget(EditedRmsLabel);
    statusBar()->addPermanentWidget(ProgressBar);
    statusBar()->addPermanentWidget(CancelButton);

    BuildMenus();
    resize(1280, 760);
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
    splitter->restoreState(settings.value(kSplitterKey).toByteArray());

    Show(state_);
    UpdateUndoActions();
}

SoundingWindow::~SoundingWindow() = default;

bool SoundingWindow::IsModified() const { return !UndoStack->isClean(); }

void SoundingWindow::MarkSaved() { UndoStack->setClean(); }

QWidget* SoundingWindow::BuildDataPanel()
{
    auto* box = new QGroupBox(Ui::tr("测点数据"));
    auto* layout = new QVBoxLayout(box);
    SiteLabel = new QLabel;
    SiteLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LocationLabel = new QLabel;
    LocationLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(SiteLabel);
    layout->addWidget(LocationLabel);

    auto* form = new QHBoxLayout;
    ModeBox = new QComboBox;
    ModeBox->setStatusTip(QStringLiteral("Mode: the impedance the curve is derived from"));
    for (sounding::Mode mode : sounding::SupportedModes(state_.sounding)) {
        ModeBox->addItem(ModeText(mode), static_cast<int>(mode));
    }
    FloorBox = new QDoubleSpinBox;
    FloorBox->setRange(0.0, session::kMaxFloorPercent);
    FloorBox->setDecimals(1);
    FloorBox->setSingleStep(0.5);
    FloorBox->setSuffix(QStringLiteral(" %"));
    FloorBox->setStatusTip(QStringLiteral("Error floor in percent of |Z|"));
    form->addWidget(new QLabel(Ui::tr("模式")));
    form->addWidget(ModeBox, 1);
    form->addSpacing(12);
    form->addWidget(new QLabel(Ui::tr("误差下限")));
    form->addWidget(FloorBox);
    layout->addLayout(form);

    DataTable = new QTableWidget(0, 8);
    DataTable->setHorizontalHeaderLabels({Ui::tr("拟合"), Ui::tr("频率 (Hz)"), Ui::tr("周期 (s)"),
                                          QStringLiteral("ρa (Ω·m)"), QStringLiteral("± ρa"), Ui::tr("相位 (°)"),
                                          Ui::tr("± 相位"), Ui::tr("一维")});
    DataTable->verticalHeader()->setVisible(false);
    DataTable->verticalHeader()->setDefaultSectionSize(20);
    DataTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    DataTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    DataTable->setStatusTip(QStringLiteral("Untick a row to leave that frequency out of fitting"));
    layout->addWidget(DataTable, 1);

    connect(ModeBox, &QComboBox::activated, this, &SoundingWindow::ModeChosen);
    connect(FloorBox, &QDoubleSpinBox::valueChanged, this, &SoundingWindow::FloorChanged);
    connect(DataTable, &QTableWidget::cellChanged, this, &SoundingWindow::RowToggled);
    return box;
}

QWidget* SoundingWindow::BuildFitPanel()
{
    auto* box = new QGroupBox(Ui::tr("拟合"));
    auto* layout = new QVBoxLayout(box);
    auto* grid = new QGridLayout;
    MethodBox = new QComboBox;
    MethodBox->addItem(Ui::tr("光滑反演 (Occam)"), static_cast<int>(fitting::Method::kOccam));
    MethodBox->addItem(Ui::tr("层状反演"), static_cast<int>(fitting::Method::kLayered));
    MethodBox->setStatusTip(QStringLiteral("Method: smooth (Occam) or few layers"));
    LayersBox = new QSpinBox;
    LayersBox->setRange(static_cast<int>(session::kMinLayers), static_cast<int>(session::kMaxLayers));
    LayersBox->setStatusTip(QStringLiteral("Number of layers of a layered fit, the half-space included"));
    TargetBox = new QDoubleSpinBox;
    TargetBox->setRange(session::kMinTargetRms, session::kMaxTargetRms);
    TargetBox->setDecimals(2);
    TargetBox->setSingleStep(0.1);
    TargetBox->setStatusTip(QStringLiteral("Target RMS"));
    ComponentsBox = new QComboBox;
    ComponentsBox->addItem(Ui::tr("ρa 与相位"), static_cast<int>(fitting::FitComponents::kBoth));
    ComponentsBox->addItem(Ui::tr("仅 ρa"), static_cast<int>(fitting::FitComponents::kRho));
    ComponentsBox->addItem(Ui::tr("仅相位"), static_cast<int>(fitting::FitComponents::kPhase));
    ComponentsBox->setStatusTip(QStringLiteral("What to fit: apparent resistivity, phase or both"));
    StartsBox = new QSpinBox;
    StartsBox->setRange(1, static_cast<int>(session::kMaxStarts));
    StartsBox->setStatusTip(QStringLiteral("Starts of a layered fit: more find the best minimum more surely"));
    RunButton = new QPushButton(Ui::tr("开始拟合"));
    RunButton->setStatusTip(QStringLiteral("Run the fit"));
    grid->addWidget(new QLabel(Ui::tr("方法")), 0, 0);
    grid->addWidget(MethodBox, 0, 1);
    grid->addWidget(new QLabel(Ui::tr("层数")), 0, 2);
    grid->addWidget(LayersBox, 0, 3);
    grid->addWidget(new QLabel(Ui::tr("拟合")), 1, 0);
    grid->addWidget(ComponentsBox, 1, 1);
    grid->addWidget(new QLabel(Ui::tr("目标 RMS")), 1, 2);
    grid->addWidget(TargetBox, 1, 3);
    grid->addWidget(new QLabel(Ui::tr("起点数")), 2, 2);
    grid->addWidget(StartsBox, 2, 3);
    grid->addWidget(RunButton, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    auto* models = new QHBoxLayout;
    LayeredModelButton = new QPushButton(Ui::tr("表中换为层状结果"));
    LayeredModelButton->setStatusTip(QStringLiteral("Put the layered fit's model back in the table"));
    OccamModelButton = new QPushButton(Ui::tr("表中换为光滑结果"));
    OccamModelButton->setStatusTip(QStringLiteral("Put the smooth fit's model back in the table"));
    models->addWidget(LayeredModelButton);
    models->addWidget(OccamModelButton);
    layout->addLayout(models);
    // Two buttons a row, so that the panel stays as narrow as the row above.
    auto* edits = new QGridLayout;
    InsertLayerButton = new QPushButton(Ui::tr("拆分此层"));
    InsertLayerButton->setToolTip(Ui::tr("把当前层分成电阻率相同、各厚一半的两层（响应不变）"));
    DeleteLayerButton = new QPushButton(Ui::tr("删除此层"));
    DeleteLayerButton->setToolTip(Ui::tr("删除当前层：上面的层接过它的厚度，其他界面不动"));
    FitFromTableButton = new QPushButton(Ui::tr("拟合此模型"));
    FitFromTableButton->setToolTip(Ui::tr("以表中模型为起点做层状反演（层数取表中的，勾选的值保持不变）"));
    edits->addWidget(InsertLayerButton, 0, 0);
    edits->addWidget(DeleteLayerButton, 0, 1);
    edits->addWidget(FitFromTableButton, 1, 0);
    FewestLayersButton = new QPushButton(Ui::tr("最少层数"));
    FewestLayersButton->setToolTip(Ui::tr("依次做 1 到 N 层的层状反演（N 为层数设置），取 RMS 达到目标的最少层数"));
    edits->addWidget(FewestLayersButton, 1, 1);
    layout->addLayout(edits);

    ResultsTable = new QTableWidget(0, 8);
    ResultsTable->setHorizontalHeaderLabels({Ui::tr("层"), Ui::tr("顶深 (m)"), Ui::tr("厚度 (m)"),
                                             Ui::tr("电阻率 (Ω·m)"), Ui::tr("± 倍数"),
                                             Ui::tr("电导 (S)"), Ui::tr("横向电阻 (Ω·m²)"),
                                             Ui::tr("h ×/÷")});
    ResultsTable->verticalHeader()->setVisible(false);
    ResultsTable->verticalHeader()->setDefaultSectionSize(20);
    ResultsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ResultsTable->setStatusTip(
        QStringLiteral("The model: edit a thickness or a resistivity, or drag the model in the depth plot"));
    ResultsTable->setToolTip(Ui::tr("勾选电阻率或厚度即锁定该值：下一次层状反演保持它不变"));
    ResultsTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ResultsTable, &QWidget::customContextMenuRequested, this, &SoundingWindow::ResultsMenu);
    connect(InsertLayerButton, &QPushButton::clicked, this, [this] { InsertLayer(CurrentLayer()); });
    connect(DeleteLayerButton, &QPushButton::clicked, this, [this] { DeleteLayer(CurrentLayer()); });
    connect(FitFromTableButton, &QPushButton::clicked, this, &SoundingWindow::RunFromTable);
    connect(FewestLayersButton, &QPushButton::clicked, this, &SoundingWindow::RunFewestLayers);
    layout->addWidget(ResultsTable, 1);

    connect(MethodBox, &QComboBox::activated, this, &SoundingWindow::FitSettingsChanged);
    connect(ComponentsBox, &QComboBox::activated, this, &SoundingWindow::FitSettingsChanged);
    connect(LayersBox, &QSpinBox::valueChanged, this, &SoundingWindow::FitSettingsChanged);
    connect(StartsBox, &QSpinBox::valueChanged, this, &SoundingWindow::FitSettingsChanged);
    connect(TargetBox, &QDoubleSpinBox::valueChanged, this, &SoundingWindow::FitSettingsChanged);
    connect(RunButton, &QPushButton::clicked, this, &SoundingWindow::RunClicked);
    connect(ResultsTable, &QTableWidget::cellChanged, this, &SoundingWindow::ResultEdited);
    connect(LayeredModelButton, &QPushButton::clicked, this, [this] {
        if (state_.layered) {
            Apply(Ui::tr("表中换为层状模型"), [&] { return session::WithEditedModel(state_, state_.layered->model); }, false);
        }
    });
    connect(OccamModelButton, &QPushButton::clicked, this, [this] {
        if (state_.occam) {
            Apply(Ui::tr("表中换为光滑模型"), [&] { return session::WithEditedModel(state_, state_.occam->model); }, false);
        }
    });
    return box;
}

QWidget* SoundingWindow::BuildPlots()
{
    RhoPlot = new CurvePlot(CurvePlot::Quantity::kRho);
    PhasePlot = new CurvePlot(CurvePlot::Quantity::kPhase);
    ModelPlot = new DepthPlot;
    auto* curves = new QSplitter(Qt::Vertical);
    curves->addWidget(RhoPlot);
    curves->addWidget(PhasePlot);
    curves->setStretchFactor(0, 3);
    curves->setStretchFactor(1, 2);
    auto* plots = new QSplitter(Qt::Horizontal);
    plots->addWidget(curves);
    plots->addWidget(ModelPlot);
    plots->setStretchFactor(0, 3);
    plots->setStretchFactor(1, 2);
    for (CurvePlot* plot : {RhoPlot, PhasePlot}) {
        connect(plot, &CurvePlot::pointClicked, this, &SoundingWindow::PointClicked);
        connect(plot, &CurvePlot::rowsSelected, this, &SoundingWindow::RowsSelected);
    }
    connect(ModelPlot, &DepthPlot::resistivityDragged, this, &SoundingWindow::ResistivityDragged);
    connect(ModelPlot, &DepthPlot::interfaceDragged, this, &SoundingWindow::InterfaceDragged);
    connect(ModelPlot, &DepthPlot::dragFinished, this, [this] {
        if (!dragStart_) return Show(state_, true);
        session::Session before = std::move(*dragStart_);
        dragStart_.reset();
        UndoStack->push(new SessionStep(Ui::tr("拖动模型"), std::move(before), state_,
                                        [this](const session::Session& s, bool rescale) { Show(s, rescale); }, true));
    });
    return plots;
}

void SoundingWindow::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(Ui::tr("文件(&F)"));
    const auto add = [this](QMenu* menu, const QString& text, const QString& tip, QKeySequence keys = {}) {
        QAction* action = menu->addAction(text);
        action->setStatusTip(tip);
        if (!keys.isEmpty()) action->setShortcut(keys);
        return action;
    };
    OpenSoundingAction = add(file, Ui::tr("打开测点数据…"), QStringLiteral("Open sounding…"), QKeySequence::Open);
    OpenProjectAction = add(file, Ui::tr("打开工程…"), QStringLiteral("Open project…"));
    SaveProjectAction = add(file, Ui::tr("保存工程"), QStringLiteral("Save project"), QKeySequence::Save);
    SaveProjectAsAction = add(file, Ui::tr("另存工程…"), QStringLiteral("Save project as…"), QKeySequence::SaveAs);
    file->addSeparator();
    ExportFigureAction = add(file, Ui::tr("导出图件…"), QStringLiteral("Export figure… (PNG, SVG, PDF)"));
    ExportResultsAction = add(file, Ui::tr("导出结果…"), QStringLiteral("Export results… (CSV, JSON)"));
    ExportPosteriorAction = add(file, Ui::tr("导出后验采样…"), QStringLiteral("Export the uncertainty tab's posterior samples (mt1d sample JSON)"));
    PrintReportAction = add(file, Ui::tr("打印报告…"), QStringLiteral("Print report: this site's report as a two-page A4 PDF"), QKeySequence::Print);
    file->addSeparator();
    CloseAction = add(file, Ui::tr("关闭窗口"), QStringLiteral("Close this window"), QKeySequence::Close);
    QuitAction = add(file, Ui::tr("退出"), QStringLiteral("Quit"), QKeySequence::Quit);
    QMenu* edit = menuBar()->addMenu(Ui::tr("编辑(&E)"));
    UndoAction = add(edit, Ui::tr("撤销"), QStringLiteral("Undo"), QKeySequence::Undo);
    RedoAction = add(edit, Ui::tr("重做"), QStringLiteral("Redo"));
    RedoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // Not while a fit runs: its result is taken into the state it started from.
    connect(UndoAction, &QAction::triggered, this, [this] {
        if (!Runner->Busy()) UndoStack->undo();
    });
    connect(RedoAction, &QAction::triggered, this, [this] {
        if (!Runner->Busy()) UndoStack->redo();
    });
    QMenu* view = menuBar()->addMenu(Ui::tr("视图(&V)"));
    view->menuAction()->setStatusTip(QStringLiteral("View"));
    AddLanguageMenu(view);
    QMenu* help = menuBar()->addMenu(Ui::tr("帮助(&H)"));
    UserGuideAction = add(help, Ui::tr("用户指南"), QStringLiteral("User guide"), QKeySequence::HelpContents);
    AboutAction = add(help, Ui::tr("关于"), QStringLiteral("About"));
    connect(UserGuideAction, &QAction::triggered, this, [this] { OpenUserGuide(this); });

    connect(OpenSoundingAction, &QAction::triggered, this, [this] {
        if (workspace_) workspace_->ChooseAndOpenSoundings(this);
    });
    connect(OpenProjectAction, &QAction::triggered, this, [this] {
        if (workspace_) workspace_->ChooseAndOpenProject(this);
    });
    connect(SaveProjectAction, &QAction::triggered, this, [this] {
        if (workspace_) workspace_->SaveProject(this);
    });
    connect(SaveProjectAsAction, &QAction::triggered, this, [this] {
        if (workspace_) workspace_->SaveProjectAs(this);
    });
    connect(ExportFigureAction, &QAction::triggered, this, [this] {
        if (!workspace_) return;
        const QString suggested = QString::fromStdString(state_.sounding.site.name) + QStringLiteral(".png");
        const QString file = workspace_->seams.chooseExportFile(
            this, Ui::tr("导出图件"), suggested,
            Ui::tr("PNG 图像 (*.png);;SVG 矢量图 (*.svg);;PDF 文档 (*.pdf)"));
        if (file.isEmpty()) return;
        if (const QString problem = ExportFigure(file); !problem.isEmpty()) {
            workspace_->seams.message(this, Ui::tr("导出图件"), problem);
        }
    });
    connect(ExportResultsAction, &QAction::triggered, this, [this] {
        if (!workspace_) return;
        const QString suggested = QString::fromStdString(state_.sounding.site.name) + QStringLiteral(".json");
        const QString file = workspace_->seams.chooseExportFile(this, Ui::tr("导出结果"), suggested,
                                                                QStringLiteral("JSON (*.json);;CSV (*.csv)"));
        if (file.isEmpty()) return;
        if (const QString problem = ExportResults(file); !problem.isEmpty()) {
            workspace_->seams.message(this, Ui::tr("导出结果"), problem);
        }
    });
    connect(ExportPosteriorAction, &QAction::triggered, this, [this] {
        if (!workspace_) return;
        const QString suggested = QString::fromStdString(state_.sounding.site.name) + QStringLiteral("-sample.json");
        const QString file = workspace_->seams.chooseExportFile(this, Ui::tr("导出后验采样"), suggested, Ui::tr("JSON (*.json)"));
        if (file.isEmpty()) return;
        if (const QString problem = ExportPosterior(file); !problem.isEmpty()) {
            workspace_->seams.message(this, Ui::tr("导出后验采样"), problem);
        }
    });
    connect(PrintReportAction, &QAction::triggered, this, [this] {
        if (!workspace_) return;
        const QString suggested = QString::fromStdString(state_.sounding.site.name) + QStringLiteral("-report.pdf");
        const QString file = workspace_->seams.chooseExportFile(this, Ui::tr("打印报告"), suggested, Ui::tr("PDF 文档 (*.pdf)"));
        if (file.isEmpty()) return;
        if (const QString problem = PrintReport(file); !problem.isEmpty()) {
            workspace_->seams.message(this, Ui::tr("打印报告"), problem);
        }
    });
    connect(CloseAction, &QAction::triggered, this, &QWidget::close);
    connect(QuitAction, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    connect(AboutAction, &QAction::triggered, this, [this] {
        QMessageBox::about(this, Ui::tr("关于"),
                           Ui::tr("<b>mt1d</b> — 一维大地电磁测深<br>"
                                          "测点数据的光滑反演与层状反演、手动正演与工程文件。"));
    });
}

template <typename Command>
void SoundingWindow::Apply(const QString& text, Command&& command, bool rescale, StepKind kind)
{
    std::optional<session::Session> next;
    try {
        next = command();
    } catch (const session::Refusal& refusal) {
        statusBar()->showMessage(QString::fromStdString(refusal.what()), 8000);
        Show(state_, false);  // the widgets back to the state
        return;
    }
    Push(text, std::move(*next), rescale, kind);
}

void SoundingWindow::Push(const QString& text, session::Session next, bool rescale, StepKind kind)
{
    UndoStack->push(new SessionStep(text, state_, std::move(next),
                                    [this](const session::Session& s, bool r) { Show(s, r); }, rescale, kind));
}

void SoundingWindow::UpdateUndoActions()
{
    const bool idle = !Runner->Busy();
    UndoAction->setEnabled(idle && UndoStack->canUndo());
    RedoAction->setEnabled(idle && UndoStack->canRedo());
    UndoAction->setText(UndoStack->canUndo() ? Ui::tr("撤销 %1").arg(UndoStack->undoText()) : Ui::tr("撤销"));
    RedoAction->setText(UndoStack->canRedo() ? Ui::tr("重做 %1").arg(UndoStack->redoText()) : Ui::tr("重做"));
}

void SoundingWindow::Show(session::Session next, bool rescale)
{
    state_ = std::move(next);
    curve_ = session::CurveOf(state_);
    // The 维度 tab analyses the tensor again only when its frame changed (a rotation, or its undo).
    const std::optional<double> frame =
        state_.sounding.tensor.empty() ? std::nullopt : std::optional(state_.sounding.tensor.front().rotationDeg);
    if (!dimsSet_ || frame != dimsFrame_) {
        dimsSet_ = true;
        dimsFrame_ = frame;
        Dims->SetSounding(state_.sounding);
    }
    Dims->SetRotation(frame);
    filling_ = true;
    const auto& site = state_.sounding.site;
    SiteLabel->setText(Ui::tr("测点：%1    文件：%2")
                           .arg(QString::fromStdString(site.name),
                                QFileInfo(QString::fromStdString(state_.originalPath)).fileName()));
    SiteLabel->setToolTip(QString::fromStdString(state_.originalPath));
    QStringList location;
    if (site.location.latitudeDeg) location << Ui::tr("纬度 %1°").arg(*site.location.latitudeDeg, 0, 'f', 5);
    if (site.location.longitudeDeg) location << Ui::tr("经度 %1°").arg(*site.location.longitudeDeg, 0, 'f', 5);
    if (site.location.elevationM) location << Ui::tr("高程 %1 m").arg(*site.location.elevationM, 0, 'f', 1);
    LocationLabel->setText(location.isEmpty() ? Ui::tr("位置：未知") : Ui::tr("位置：") + location.join(Ui::tr("，")));
    ModeBox->setCurrentIndex(ModeBox->findData(static_cast<int>(state_.mode)));
    FloorBox->setValue(state_.floorPercent);
    MethodBox->setCurrentIndex(MethodBox->findData(static_cast<int>(state_.fit.method)));
    LayersBox->setValue(static_cast<int>(state_.fit.layers.value_or(3)));
    TargetBox->setValue(state_.fit.targetRms);
    ComponentsBox->setCurrentIndex(ComponentsBox->findData(static_cast<int>(state_.fit.components)));
    StartsBox->setValue(static_cast<int>(state_.fit.starts.value_or(fitting::DefaultStarts(state_.fit.layers.value_or(3)))));
    const bool layered = state_.fit.method == fitting::Method::kLayered;
    LayersBox->setEnabled(layered && !Runner->Busy());
    StartsBox->setEnabled(layered && !Runner->Busy());
    LayeredModelButton->setEnabled(state_.layered.has_value() && !Runner->Busy());
    OccamModelButton->setEnabled(state_.occam.has_value() && !Runner->Busy());
    ShowDataTable();
    filling_ = false;
    ShowObserved();
    ShowModels(rescale);
    ShowFitStatus();
    FitResultsColumns();
    Uncertainty->SetSession(state_);
    RhoPlot->replot(QCustomPlot::rpQueuedReplot);
    PhasePlot->replot(QCustomPlot::rpQueuedReplot);
    ModelPlot->replot(QCustomPlot::rpQueuedReplot);
    emit redrawn();
}

void SoundingWindow::ShowDataTable()
{
    const bool wasFilling = filling_;
    filling_ = true;
    DataTable->setRowCount(static_cast<int>(curve_.rows.size()));
    for (std::size_t i = 0; i < curve_.rows.size(); ++i) {
        const auto& row = curve_.rows[i];
        const int r = static_cast<int>(i);
        auto* use = new QTableWidgetItem;
        use->setFlags(row.usable ? (Qt::ItemIsUserCheckable | Qt::ItemIsEnabled) : Qt::ItemIsUserCheckable);
        use->setCheckState(row.usable && !session::IsExcluded(state_, i) ? Qt::Checked : Qt::Unchecked);
        if (!row.usable) use->setToolTip(QString::fromStdString(row.reason));
        DataTable->setItem(r, kUseColumn, use);
        DataTable->setItem(r, kFrequencyColumn, ReadOnlyItem(Number(row.frequencyHz, 5)));
        DataTable->setItem(r, kPeriodColumn, ReadOnlyItem(Number(row.periodS, 5)));
        DataTable->setItem(r, kRhoColumn, ReadOnlyItem(row.usable ? Number(row.rhoOhmM) : QString()));
        DataTable->setItem(r, kRhoErrColumn, ReadOnlyItem(row.usable ? Number(row.rhoErrOhmM, 3) : QString()));
        DataTable->setItem(r, kPhaseColumn, ReadOnlyItem(row.usable ? Number(row.phaseDeg) : QString()));
        DataTable->setItem(r, kPhaseErrColumn, ReadOnlyItem(row.usable ? Number(row.phaseErrDeg, 3) : QString()));
        DataTable->setItem(r, kDimsColumn, DimsItem(Dims->Result(), i));
    }
    DataTable->resizeColumnsToContents();
    filling_ = wasFilling;
}

void SoundingWindow::ShowObserved()
{
    std::vector<ObservedPoint> rho, phase;
    for (std::size_t i = 0; i < curve_.rows.size(); ++i) {
        const auto& row = curve_.rows[i];
        if (!row.usable) continue;
        const bool excluded = session::IsExcluded(state_, i);
        // σ(log10 ρa) = δρa / (ρa ln 10): the bar spans a factor 10^σ either way.
        const double factor = std::pow(10.0, row.rhoErrOhmM / (row.rhoOhmM * std::log(10.0)));
        const auto& result = Dims->Result();
        const bool notOneD = result && i < result->rows.size() && result->rows[i].oneD == false;
        rho.push_back({row.periodS, row.rhoOhmM, row.rhoOhmM / factor, row.rhoOhmM * factor, excluded, notOneD, i});
        phase.push_back({row.periodS, row.phaseDeg, row.phaseDeg - row.phaseErrDeg, row.phaseDeg + row.phaseErrDeg,
                         excluded, notOneD, i});
    }
    RhoPlot->SetObserved(rho);
    PhasePlot->SetObserved(phase);
}

void SoundingWindow::ShowModels(bool rescale)
{
    const auto response = [&](ModelLine line, const std::optional<earth::LayeredModel>& model) {
        std::vector<double> periods, rho, phase;
        if (model) {
            for (const auto& p : session::Evaluate(state_, *model).response) {
                periods.push_back(1.0 / p.frequencyHz);
                rho.push_back(p.rhoOhmM);
                phase.push_back(p.phaseDeg);
            }
        }
        RhoPlot->SetLine(line, periods, rho);
        PhasePlot->SetLine(line, periods, phase);
        ModelPlot->SetModel(line, model ? *model : earth::LayeredModel{});
    };
    response(ModelLine::kLayered, state_.layered ? std::optional(state_.layered->model) : std::nullopt);
    response(ModelLine::kOccam, state_.occam ? std::optional(state_.occam->model) : std::nullopt);

    const fitting::SelectedData selected = fitting::SelectData(curve_, session::SelectionOf(state_));
    std::vector<fitting::DepthPoint> points;
    if (selected.Ok()) points = fitting::NiblettBostick(selected.data);
    ModelPlot->SetNiblettBostick(points, fitting::DepthOfInvestigation(points));
    ShowEdited();
    if (rescale) {
        RhoPlot->Rescale();
        PhasePlot->Rescale();
        ModelPlot->Rescale();
    }
}

void SoundingWindow::ShowEdited()
{
    editedRms_.reset();
    std::vector<double> periods, rho, phase;
    if (state_.edited) {
        const session::ModelEvaluation e = session::Evaluate(state_, *state_.edited);
        editedRms_ = e.rms;
        for (const auto& p : e.response) {
            periods.push_back(1.0 / p.frequencyHz);
            rho.push_back(p.rhoOhmM);
            phase.push_back(p.phaseDeg);
        }
        EditedRmsLabel->setText(e.rms ? Ui::tr("表中模型 RMS %1").arg(*e.rms, 0, 'f', 3)
                                      : Ui::tr("表中模型 RMS —"));
        EditedRmsLabel->setToolTip(QString::fromStdString(e.rmsProblem));
    } else {
        EditedRmsLabel->clear();
    }
    // While the table holds a fit's model unchanged, that fit's own line stands for it.
    const bool sameAsFit = state_.edited && ((state_.layered && SameModel(*state_.edited, state_.layered->model))
                                             || (state_.occam && SameModel(*state_.edited, state_.occam->model)));
    if (sameAsFit) periods.clear(), rho.clear(), phase.clear();
    RhoPlot->SetLine(ModelLine::kEdited, periods, rho);
    PhasePlot->SetLine(ModelLine::kEdited, periods, phase);
    // The depth plot keeps the edited model to be dragged, drawn once it differs from the fits.
    ModelPlot->SetEditedShown(!sameAsFit);
    ModelPlot->SetModel(ModelLine::kEdited, state_.edited ? *state_.edited : earth::LayeredModel{});
    ShowResultsTable();
}

namespace {

// Sets a cell's text, making the item the first time: a drag rewrites the table many times a
// second, and new items each time would cost far more than the forward model.
// `locked`, when given, makes the cell carry a tick (the lock of its value).
void SetCell(QTableWidget* table, int row, int column, const QString& text, bool editable = false,
             std::optional<bool> locked = std::nullopt)
{
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
    Qt::ItemFlags flags = editable ? (item->flags() | Qt::ItemIsEditable) : (item->flags() & ~Qt::ItemIsEditable);
    flags = locked ? (flags | Qt::ItemIsUserCheckable) : (flags & ~Qt::ItemIsUserCheckable);
    if (item->flags() != flags) item->setFlags(flags);
    if (item->text() != text) item->setText(text);
    if (locked) {
        const Qt::CheckState state = *locked ? Qt::Checked : Qt::Unchecked;
        if (item->data(Qt::CheckStateRole) != QVariant(state)) item->setCheckState(state);
    } else if (item->data(Qt::CheckStateRole).isValid()) {
        item->setData(Qt::CheckStateRole, QVariant());
    }
}

}  // namespace

void SoundingWindow::ShowResultsTable()
{
    const bool wasFilling = filling_;
    filling_ = true;
    if (!state_.edited) {
        ResultsTable->setRowCount(0);
        filling_ = wasFilling;
        return;
    }
    const auto& model = *state_.edited;
    const auto tops = session::LayerTops(model);
    const std::size_t layers = model.LayerCount();
    // The errors belong to the layered fit's model; once edited they no longer hold.
    const std::vector<double>* sd =
        state_.layered && SameModel(model, state_.layered->model) && state_.layered->log10Sd.size() == model.ParameterCount()
            ? &state_.layered->log10Sd
            : nullptr;
    const std::vector<fitting::LayerProducts>* products =
        sd && state_.layered->context.products.size() + 1 == layers ? &state_.layered->context.products : nullptr;
    // A factor, or 未定 past jobs::kUnresolvedLog10Sd.
    const auto factor = [this](double log10Sd) {
        return jobs::IsResolved(log10Sd) ? QStringLiteral("×/÷%1").arg(Number(std::pow(10.0, log10Sd), 2)) : Ui::tr("未定");
    };
    // A combination of h and ρ; its factor, when the fit gave one, in the cell's tooltip (the
    // table keeps the window within a 1024-pixel screen).
    const auto product = [](double value, std::optional<double>) { return Number(value); };
    const auto productTip = [&](int r, int column, std::optional<double> log10Sd) {
        QTableWidgetItem* item = ResultsTable->item(r, column);
        const QString tip = log10Sd ? QStringLiteral("×/÷ %1").arg(Number(std::pow(10.0, *log10Sd), 3)) : QString();
        if (item && item->toolTip() != tip) item->setToolTip(tip);
    };
    const bool resized = ResultsTable->rowCount() != static_cast<int>(layers);
    ResultsTable->setRowCount(static_cast<int>(layers));
    for (std::size_t j = 0; j < layers; ++j) {
        const int r = static_cast<int>(j);
        const bool halfSpace = j + 1 == layers;
        const double rho = model.resistivity[j];
        const fitting::LayerProducts* p = products && !halfSpace ? &(*products)[j] : nullptr;
        SetCell(ResultsTable, r, kLayerColumn, halfSpace ? Ui::tr("%1 (半空间)").arg(j + 1) : QString::number(j + 1));
        SetCell(ResultsTable, r, kTopColumn, Number(tops[j]));
        SetCell(ResultsTable, r, kThicknessColumn, halfSpace ? QString() : Number(model.thickness[j]), !halfSpace,
                halfSpace ? std::nullopt : std::optional<bool>(session::IsLocked(state_, layers + j)));
        SetCell(ResultsTable, r, kResistivityColumn, Number(rho), true, session::IsLocked(state_, j));
        SetCell(ResultsTable, r, kFactorColumn, sd ? factor((*sd)[j]) : QString());
        SetCell(ResultsTable, r, kThicknessFactorColumn, sd && !halfSpace ? factor((*sd)[layers + j]) : QString());
        SetCell(ResultsTable, r, kConductanceColumn,
                halfSpace ? QString()
                          : product(model.thickness[j] / rho, p ? std::optional<double>(p->log10ConductanceSd) : std::nullopt));
        SetCell(ResultsTable, r, kTransverseColumn,
                halfSpace ? QString()
                          : product(model.thickness[j] * rho,
                                    p ? std::optional<double>(p->log10TransverseResistanceSd) : std::nullopt));
        productTip(r, kConductanceColumn, p ? std::optional<double>(p->log10ConductanceSd) : std::nullopt);
        productTip(r, kTransverseColumn, p ? std::optional<double>(p->log10TransverseResistanceSd) : std::nullopt);
    }
    if (resized) FitResultsColumns();
    filling_ = wasFilling;
}

void SoundingWindow::FitResultsColumns()
{
    // Every column as wide as its widest text, and the panel at least as wide as the table,
    // so that no column is cut off (a drag step skips this: it costs more than the forward model).
    ResultsTable->resizeColumnsToContents();
    const int frame = 2 * ResultsTable->frameWidth();
    const int scroll = ResultsTable->verticalScrollBar()->sizeHint().width();
    ResultsTable->setMinimumWidth(ResultsTable->horizontalHeader()->length() + frame + scroll);
    // The panels' divider moves at once, not at the next layout pass.
    auto* splitter = findChild<QSplitter*>(QStringLiteral("mainSplitter"));
    if (!splitter || splitter->count() < 2) return;
    QList<int> sizes = splitter->sizes();
    const int needed = splitter->widget(0)->minimumSizeHint().width();
    if (sizes[0] < needed) {
        sizes[1] = std::max(0, sizes[1] - (needed - sizes[0]));
        sizes[0] = needed;
        splitter->setSizes(sizes);
    }
}

void SoundingWindow::ShowFitStatus()
{
    const session::FitOutcome* last = nullptr;
    if (state_.fit.method == fitting::Method::kLayered && state_.layered) last = &*state_.layered;
    if (state_.fit.method == fitting::Method::kOccam && state_.occam) last = &*state_.occam;
    if (!last) last = state_.layered ? &*state_.layered : state_.occam ? &*state_.occam : nullptr;
    if (!last) {
        FitLabel->setText(Ui::tr("尚未拟合"));
        return;
    }
    FitLabel->setText(Ui::tr("%1：RMS %2，迭代 %3 次，用时 %4 ms，%5")
                          .arg(last->method == fitting::Method::kLayered ? Ui::tr("层状反演") : Ui::tr("光滑反演"))
                          .arg(last->report.rms, 0, 'f', 3)
                          .arg(last->report.iterations)
                          .arg(last->elapsedMs, 0, 'f', 0)
                          .arg(StatusText(last->report.status)));
    if (last->method == fitting::Method::kLayered
        && last->report.message.find(fitting::kFewStartsNote) != std::string::npos) {
        FitLabel->setText(FitLabel->text() + Ui::tr("；少数起点达到最佳失配：更多起点可能找到更低的失配"));
    }
    for (const std::string& note : last->context.notes) {
        if (note.rfind(jobs::kOverfitNotePrefix, 0) == 0) {
            FitLabel->setText(FitLabel->text() + Ui::tr("；RMS 远低于 1：模型可能在拟合噪声，更少的层数也许同样好"));
        } else if (note.rfind(session::kFewestLayersNote, 0) == 0) {
            FitLabel->setText(FitLabel->text() + Ui::tr("；达到目标的最少层数：%1").arg(last->model.LayerCount()));
        } else if (note.rfind(session::kNoLayerCountNote, 0) == 0) {
            FitLabel->setText(FitLabel->text() + Ui::tr("；没有哪个层数达到目标 RMS"));
        }
    }
    std::string tip = last->report.message;
    for (const std::string& note : last->context.notes) tip += "\n" + note;
    FitLabel->setToolTip(QString::fromStdString(tip));
}

void SoundingWindow::SetBusy(bool busy)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ModeBox, FloorBox, DataTable, MethodBox, ComponentsBox, TargetBox,
                                                       RunButton, ResultsTable, LayeredModelButton, OccamModelButton,
                                                       InsertLayerButton, DeleteLayerButton, FitFromTableButton,
                                                       FewestLayersButton}) {
        w->setEnabled(!busy);
    }
    Dims->ExcludeButton->setEnabled(!busy && Dims->Result() && !Dims->Figure().notOneDRows.empty());
    const bool layered = state_.fit.method == fitting::Method::kLayered;
    LayersBox->setEnabled(!busy && layered);
    StartsBox->setEnabled(!busy && layered);
    ModelPlot->setEnabled(!busy);
    Dims->RotationBox->setEnabled(!busy && Dims->Result());
    Dims->StrikeButton->setEnabled(!busy && Dims->Result() && Dims->Result()->strikeDeg);
    UpdateUndoActions();
    ProgressBar->setVisible(busy);
    CancelButton->setVisible(busy);
    CancelButton->setEnabled(busy);
    if (busy) {
        ProgressBar->setRange(0, 0);
        FitLabel->setText(Ui::tr("正在拟合…"));
    }
}

void SoundingWindow::ModeChosen()
{
    const auto mode = static_cast<sounding::Mode>(ModeBox->currentData().toInt());
    if (mode == state_.mode) return;
    Apply(Ui::tr("模式 %1").arg(ModeBox->currentText()), [&] { return session::WithMode(state_, mode); });
}

void SoundingWindow::FloorChanged()
{
    if (filling_) return;
    const double floor = FloorBox->value();
    Apply(Ui::tr("误差下限 %1 %").arg(floor), [&] { return session::WithFloor(state_, floor); }, true,
          StepKind::kFloor);
}

void SoundingWindow::RowToggled(int row, int column)
{
    if (filling_ || column != kUseColumn) return;
    const bool excluded = DataTable->item(row, column)->checkState() != Qt::Checked;
    Apply((excluded ? Ui::tr("排除第 %1 行") : Ui::tr("恢复第 %1 行")).arg(row + 1),
          [&] { return session::WithRowExcluded(state_, static_cast<std::size_t>(row), excluded); }, false);
}

void SoundingWindow::PointClicked(std::size_t row)
{
    if (Runner->Busy()) return;
    const bool excluded = !session::IsExcluded(state_, row);
    Apply((excluded ? Ui::tr("排除第 %1 行") : Ui::tr("恢复第 %1 行")).arg(row + 1),
          [&] { return session::WithRowExcluded(state_, row, excluded); }, false);
}

void SoundingWindow::RowsSelected(const std::vector<std::size_t>& rows)
{
    if (Runner->Busy()) return;
    Apply(Ui::tr("排除 %1 行").arg(rows.size()), [&] { return session::WithRowsExcluded(state_, rows); }, false);
}

void SoundingWindow::ExcludeNotOneD()
{
    if (Runner->Busy()) return;
    const std::vector<std::size_t> rows = Dims->Figure().notOneDRows;
    Apply(Ui::tr("排除 %1 个非一维频点").arg(rows.size()), [&] { return session::WithRowsExcluded(state_, rows); },
          false);
    statusBar()->showMessage(Ui::tr("已排除 %1 个非一维频点（撤销 Ctrl+Z 或勾选数据表中的行可恢复）").arg(rows.size()), 8000);
}

void SoundingWindow::RotateTo(double rotationDeg)
{
    if (Runner->Busy() || state_.read.rotateToDeg == rotationDeg) return;
    Apply(Ui::tr("旋转到 %1°").arg(rotationDeg, 0, 'f', 1),
          [&] { return session::WithRotation(state_, rotationDeg); }, true, StepKind::kRotation);
}

void SoundingWindow::FitSettingsChanged()
{
    if (filling_) return;
    jobs::FitOptions settings = state_.fit;
    settings.method = static_cast<fitting::Method>(MethodBox->currentData().toInt());
    settings.layers = static_cast<std::size_t>(LayersBox->value());
    settings.targetRms = TargetBox->value();
    settings.components = static_cast<fitting::FitComponents>(ComponentsBox->currentData().toInt());
    settings.starts = static_cast<std::size_t>(StartsBox->value());
    settings = session::StartsFollowLayers(state_.fit, settings);
    if (settings == state_.fit) return;
    Apply(Ui::tr("拟合设置"), [&] { return session::WithFitSettings(state_, settings); }, false,
          StepKind::kFitSettings);
}

void SoundingWindow::RunFit(fitting::Method method)
{
    MethodBox->setCurrentIndex(MethodBox->findData(static_cast<int>(method)));
    FitSettingsChanged();
    RunClicked();
}

void SoundingWindow::RunClicked()
{
    if (!Runner->Start(state_)) return;
    SetBusy(true);
}

void SoundingWindow::RunFromTable()
{
    if (!state_.edited) {
        statusBar()->showMessage(Ui::tr("表中还没有模型：先做一次拟合"), 8000);
        return;
    }
    if (!Runner->Start(state_, session::FitStart::kTable)) return;
    SetBusy(true);
}

void SoundingWindow::RunFewestLayers()
{
    if (!Runner->StartFewestLayers(state_)) return;
    SetBusy(true);
}

std::size_t SoundingWindow::CurrentLayer() const
{
    const int row = ResultsTable->currentRow();
    if (row >= 0) return static_cast<std::size_t>(row);
    return state_.edited ? state_.edited->LayerCount() - 1 : 0;
}

void SoundingWindow::InsertLayer(std::size_t layer)
{
    if (Runner->Busy()) return;
    Apply(Ui::tr("拆分第 %1 层").arg(layer + 1), [&] { return session::WithLayerInserted(state_, layer); }, true);
}

void SoundingWindow::DeleteLayer(std::size_t layer)
{
    if (Runner->Busy()) return;
    Apply(Ui::tr("删除第 %1 层").arg(layer + 1), [&] { return session::WithLayerDeleted(state_, layer); }, true);
}

void SoundingWindow::ResultsMenu(const QPoint& at)
{
    if (!state_.edited || Runner->Busy()) return;
    const int row = ResultsTable->rowAt(at.y());
    const std::size_t layer = row >= 0 ? static_cast<std::size_t>(row) : state_.edited->LayerCount() - 1;
    QMenu menu(this);
    menu.addAction(Ui::tr("拆分第 %1 层").arg(layer + 1), this, [this, layer] { InsertLayer(layer); });
    menu.addAction(Ui::tr("删除第 %1 层").arg(layer + 1), this, [this, layer] { DeleteLayer(layer); });
    menu.addSeparator();
    menu.addAction(Ui::tr("拟合此模型"), this, &SoundingWindow::RunFromTable);
    menu.exec(ResultsTable->viewport()->mapToGlobal(at));
}

void SoundingWindow::ShowProgress()
{
    const FitProgress p = Runner->Progress();
    if (!p.started) return;
    if (p.last.method == fitting::Method::kLayered && p.last.startCount > 0) {
        ProgressBar->setRange(0, static_cast<int>(p.last.startCount));
        ProgressBar->setValue(static_cast<int>(p.last.start));
        FitLabel->setText(Ui::tr("层状反演：第 %1/%2 个起点，最佳 RMS %3")
                              .arg(p.last.start)
                              .arg(p.last.startCount)
                              .arg(p.last.bestRms, 0, 'f', 3));
    } else {
        FitLabel->setText(Ui::tr("光滑反演：第 %1 次迭代，RMS %2").arg(p.last.iteration).arg(p.last.rms, 0, 'f', 3));
    }
}

void SoundingWindow::FitDone(const session::FitOutcome& outcome)
{
    SetBusy(false);
    try {
        Push(outcome.method == fitting::Method::kLayered ? Ui::tr("层状反演结果") : Ui::tr("光滑反演结果"),
             session::WithFitOutcome(state_, outcome), true);
    } catch (const session::Refusal& refusal) {
        Show(state_, false);
        FitLabel->setText(Ui::tr("拟合未进行：%1").arg(QString::fromStdString(refusal.what())));
    }
    emit fitFinished();
}

void SoundingWindow::ResultEdited(int row, int column)
{
    if (filling_ || !state_.edited) return;
    const auto layer = static_cast<std::size_t>(row);
    // A tick changed: the lock of the value, not the value.
    const QTableWidgetItem* item = ResultsTable->item(row, column);
    if (item->flags() & Qt::ItemIsUserCheckable) {
        const std::size_t parameter = column == kResistivityColumn ? layer : state_.edited->LayerCount() + layer;
        const bool locked = item->checkState() == Qt::Checked;
        if (locked != session::IsLocked(state_, parameter)) {
            const QString what = column == kResistivityColumn ? Ui::tr("第 %1 层电阻率").arg(row + 1) : Ui::tr("第 %1 层厚度").arg(row + 1);
            Apply((locked ? Ui::tr("锁定%1") : Ui::tr("解锁%1")).arg(what),
                  [&] { return session::WithParameterLocked(state_, parameter, locked); }, false);
            return;
        }
    }
    const auto value = ParseNumber(ResultsTable->item(row, column)->text());
    if (!value) {
        statusBar()->showMessage(Ui::tr("“%1”不是数").arg(ResultsTable->item(row, column)->text()), 8000);
        ShowResultsTable();
        return;
    }
    if (column == kResistivityColumn) {
        Apply(Ui::tr("第 %1 层电阻率").arg(row + 1),
              [&] { return session::WithLayerResistivity(state_, layer, *value); }, false);
    } else if (column == kThicknessColumn) {
        Apply(Ui::tr("第 %1 层厚度").arg(row + 1), [&] { return session::WithLayerThickness(state_, layer, *value); },
              false);
    }
}

void SoundingWindow::ResistivityDragged(std::size_t layer, double rho)
{
    if (!dragStart_) dragStart_ = state_;
    try {
        state_ = session::WithLayerResistivity(state_, layer, rho);
    } catch (const session::Refusal&) {
        return;
    }
    RedrawEditedNow();
}

void SoundingWindow::InterfaceDragged(std::size_t index, double depth)
{
    if (!dragStart_) dragStart_ = state_;
    try {
        state_ = session::WithInterfaceDepth(state_, index, depth);
    } catch (const session::Refusal&) {
        return;
    }
    RedrawEditedNow();
}

void SoundingWindow::RedrawEditedNow()
{
    ShowEdited();
    RhoPlot->replot(QCustomPlot::rpImmediateRefresh);
    PhasePlot->replot(QCustomPlot::rpImmediateRefresh);
    ModelPlot->replot(QCustomPlot::rpImmediateRefresh);
    emit redrawn();
}

session::WindowGeometry SoundingWindow::Geometry() const
{
    const QRect g = isMaximized() ? normalGeometry() : geometry();
    return {g.x(), g.y(), g.width(), g.height(), isMaximized()};
}

void SoundingWindow::ApplyGeometry(const session::WindowGeometry& g)
{
    // A project may hold any numbers (a forged width of 2^31 − 1 grew the process to 8 GB):
    // the window goes on the screen it names, cut to that screen's free area.
    if (g.width > 0 && g.height > 0) {
        const QPoint corner(g.x, g.y);
        QScreen* onScreen = QGuiApplication::screenAt(corner);
        if (onScreen == nullptr) onScreen = screen();
        if (onScreen == nullptr) onScreen = QGuiApplication::primaryScreen();
        if (onScreen != nullptr) {
            setGeometry(gui::FitToScreen(g.x, g.y, g.width, g.height, onScreen->availableGeometry()));
        }
    }
    if (g.maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

QString SoundingWindow::ExportFigure(const QString& file)
{
    const QString caption = FigureCaption();
    if (Tabs->currentWidget() == Uncertainty) return Uncertainty->ExportFigure(file, caption);
    if (Tabs->currentWidget() == Dims) return Dims->ExportFigure(file, caption);
    return SaveFigure(file, {RhoPlot, PhasePlot, ModelPlot}, kFigureSize, caption);
}

QString SoundingWindow::FigureCaption() const
{
    QStringList parts{QString::fromStdString(state_.sounding.site.name),
                      Ui::tr("模式 %1").arg(QString::fromStdString(std::string(sounding::ModeName(state_.mode))))};
    const auto rms = [](double value) { return QString::number(value, 'f', 3); };
    if (Tabs->currentWidget() == Uncertainty && Uncertainty->Shown()) {
        const auto& run = Uncertainty->Shown()->sampling;
        parts << Ui::tr("后验采样 %1 个样本").arg(run.samples) << Ui::tr("最佳 RMS %1").arg(rms(run.bestRms));
    } else if (Tabs->currentWidget() != Dims) {
        if (state_.layered) parts << Ui::tr("层状 %1 层 RMS %2").arg(state_.layered->model.LayerCount()).arg(rms(state_.layered->report.rms));
        if (state_.occam) parts << Ui::tr("Occam RMS %1").arg(rms(state_.occam->report.rms));
        if (!state_.layered && !state_.occam) parts << Ui::tr("未拟合");
    }
    return parts.join(QStringLiteral(" · "));
}

QString SoundingWindow::ExportPosterior(const QString& file)
{
    const auto& shown = Uncertainty->Shown();
    if (!shown || shown->sampling.samples == 0) return Ui::tr("尚无后验采样：请先在不确定度标签页运行采样");
    jobs::DataOptions curve;
    curve.mode = state_.mode;
    curve.floorPercent = state_.floorPercent;
    const jobs::SampleRecord record = jobs::MakeSampleRecord(
        session::SiteOf(state_), curve, Uncertainty->Options().samples, shown->sampling.dataCount, curve_.notes,
        shown->sampling);
    try {
        io::WriteFileAtomically(file.toStdString(), report::SampleJsonText(record));
    } catch (const io::WriteError& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

QString SoundingWindow::PrintReport(const QString& file)
{
    report::ReportInput input;
    if (state_.layered) input.fits.push_back(session::RecordOf(state_, *state_.layered));
    if (state_.occam) input.fits.push_back(session::RecordOf(state_, *state_.occam));
    if (input.fits.empty()) return Ui::tr("尚无拟合结果：报告需要至少一个拟合");
    input.curve = curve_;
    input.excludedRows = state_.excludedRows;
    return render::WriteReportPdf(report::MakeReportPage(input), file);
}

QString SoundingWindow::ExportResults(const QString& file)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    std::string text;
    if (suffix == QLatin1String("json")) {
        text = session::ResultsJson(state_);
    } else if (suffix == QLatin1String("csv")) {
        text = session::ResultsCsv(state_);
    } else {
        return Ui::tr("不支持的结果格式 “%1”：请用 .csv 或 .json").arg(suffix);
    }
    try {
        io::WriteFileAtomically(file.toStdString(), text);
    } catch (const io::WriteError& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

void SoundingWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::LanguageChange) return;
    const QString site = QString::fromStdString(state_.sounding.site.name);
    setWindowTitle(Ui::tr("%1[*] — 测点数据与拟合").arg(site.isEmpty() ? Ui::tr("测点") : site));
    if (!Runner->Busy()) Show(state_, false);  // while a fit runs its progress is shown
    // The steps' names, where they are whole texts (those with a row or a value stay as made).
    for (int i = 0; i < UndoStack->count(); ++i) {
        auto* step = const_cast<QUndoCommand*>(UndoStack->command(i));
        step->setText(Retranslated(step->text()));
    }
    UpdateUndoActions();
}

void SoundingWindow::closeEvent(QCloseEvent* event)
{
    if (IsModified() && workspace_ && workspace_->seams.askSave) {
        switch (workspace_->seams.askSave(this, QString::fromStdString(state_.sounding.site.name))) {
        case FieldWorkspace::SaveAnswer::kSave:
            if (!workspace_->SaveProject(this)) return event->ignore();  // not saved: the window stays
            break;
        case FieldWorkspace::SaveAnswer::kDiscard: break;
        case FieldWorkspace::SaveAnswer::kCancel: return event->ignore();
        }
    }
    Runner->Cancel();
    Uncertainty->Cancel();
    QSettings settings(kSettingsOrganisation, kSettingsApplication);
    settings.setValue(kGeometryKey, saveGeometry());
    if (auto* splitter = findChild<QSplitter*>(QStringLiteral("mainSplitter"))) {
        settings.setValue(kSplitterKey, splitter->saveState());
    }
    QMainWindow::closeEvent(event);
}

void SoundingWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void SoundingWindow::dropEvent(QDropEvent* event)
{
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
    }
    event->acceptProposedAction();
    if (workspace_ && !files.isEmpty()) workspace_->OpenDropped(files, this);
}

}  // namespace mt1d::gui::field
