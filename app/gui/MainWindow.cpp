#include "MainWindow.h"

#include "AboutBox.h"
#include "BoundsDialog.h"
#include "ClickLabel.h"
#include "CommandLock.h"
#include "Commands.h"
#include "MessageBoxes.h"
#include "NoticeBox.h"
#include "RadioGroup.h"
#include "ResponseChart.h"
#include "StringGrid.h"
#include "UpDown.h"
#include "WaitCursor.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>

using mt1d::gui::Guarded;

namespace {

enum TableColumn { kNumberColumn, kResistivityColumn, kThicknessColumn, kTableColumns };
constexpr int kTableColumnWidth = 54;
constexpr int kStartLayerCount = mt1d::kDefaultLayerCount;

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

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      PreparePrinter(mt1d::gui::ChoosePrinter),
      notices_(std::make_unique<mt1d::gui::NoticeBox>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Magnetotelluric"));
    setFixedSize(773, 476);
    move(161, 167);
    CreateControls();
    ConnectHandlers();
    FormCreate();
    About = new TAbout(this);
}

TForm1::~TForm1() = default;

void TForm1::CreateControls()
{
    using namespace mt1d::gui;
    StaticText3 = Place(new ClickLabel(QStringLiteral("大地电磁测深正演模拟演示程序"), this),
                        "StaticText3", 280, 8, 200, 17);
    StaticText3->setCursor(Qt::WhatsThisCursor);
    StaticText1 = Place(new QLabel(QStringLiteral("模型层数"), this), "StaticText1", 8, 48, 60, 17);
    Edit1 = Place(new QLineEdit(this), "Edit1", 8, 72, 121, 21);
    UpDown1 = Place(new UpDown(Edit1, 1, kMaxLayerCount, kStartLayerCount, this), "UpDown1",
                    129, 72, 15, 21);
    StaticText2 = Place(new QLabel(QStringLiteral("模型参数"), this), "StaticText2", 8, 96, 60, 17);
    StringGrid1 = Place(new StringGrid(kTableColumns, kTableColumnWidth, this), "StringGrid1",
                        8, 120, 169, 105);
    RESPH = Place(new RadioGroup(QStringLiteral("反演数据源"),
                                 {QStringLiteral("视电阻率"), QStringLiteral("相位"),
                                  QStringLiteral("视电阻率+相位")},
                                 this),
                  "RESPH", 8, 240, 169, 89);
    InvType = Place(new RadioGroup(QStringLiteral("反演方法"),
                                   {QStringLiteral("奇异值反演"), QStringLiteral("约束反演")}, this),
                    "InvType", 8, 344, 169, 65);
    RESPH->SetItemIndex(mt1d::kDefaultSource);
    InvType->SetItemIndex(mt1d::kDefaultMethod);
    Memo1 = Place(new QPlainTextEdit(this), "Memo1", 184, 48, 153, 361);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont listingFont = Memo1->font();  // a narrow face, so that a listing line fits the pane
    listingFont.setPointSize(8);
    listingFont.setStretch(QFont::Condensed);
    Memo1->setFont(listingFont);

    Chart1 = Place(new ResponseChart(QStringLiteral("视电阻率曲线"), QString(),
                                     QStringLiteral("AppRes"),
                                     ResponseChart::ValueScale::Logarithmic,
                                     QColor(0, 128, 0), this),
                   "Chart1", 344, 48, 425, 169);
    Series1 = Chart1->Series();
    Series1->setObjectName(QStringLiteral("Series1"));
    Chart2 = Place(new ResponseChart(QStringLiteral("相位"), QStringLiteral("Period   / s"),
                                     QStringLiteral("Phase / degree"),
                                     ResponseChart::ValueScale::Linear, QColor(255, 0, 0), this),
                   "Chart2", 344, 224, 425, 185);
    Series2 = Chart2->Series();
    Series2->setObjectName(QStringLiteral("Series2"));

    Button1 = Place(new QPushButton(QStringLiteral("正演计算"), this), "Button1", 8, 440, 75, 25);
    Button2 = Place(new QPushButton(QStringLiteral("反演电阻"), this), "Button2", 104, 440, 75, 25);
    BitBtn1 = Place(new QPushButton(QStringLiteral("打印"), this), "BitBtn1", 200, 440, 75, 25);
    BitBtn2 = Place(new QPushButton(QStringLiteral("重置反演模型"), this), "BitBtn2",
                    384, 440, 89, 25);
    Bevel1 = Place(Rule(this), "Bevel1", 0, 422, 529, 4);
    Label1 = Place(new QLabel(QStringLiteral("Vantorel"), this), "Label1", 528, 416, 56, 17);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setEnabled(false);
    Bevel2 = Place(Rule(this), "Bevel2", 584, 422, 185, 4);
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
        ShowResponse(mt1d::RunForward(Store, Edit1->text().toStdString(), rows));
    });
}

void TForm1::Button2Click()
{
    Guarded(this, [this] {
        QCoreApplication::processEvents();
        mt1d::InversionOutcome outcome;
        {
            // The run lets events through: nothing else may touch the store meanwhile.
            mt1d::gui::CommandLock lock(StoreCommands());
            mt1d::gui::WaitCursor wait;
            update();
            outcome = mt1d::RunInversion(Store, RESPH->ItemIndex(), InvType->ItemIndex(),
                                         [] { QCoreApplication::processEvents(); });
        }
        mt1d::gui::ShowProgramMessage(this, QStringLiteral("Vantorel提示..."), Text(outcome.report));
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
    Guarded(this, [this] { mt1d::ResetInversion(Store); });
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
        About->setWindowTitle(QStringLiteral("关于MT..."));
        About->exec();
    });
}

void TForm1::ShowResponse(const mt1d::ResponseView& view)
{
    QStringList lines;
    for (const std::string& line : view.listing) {
        lines.append(Text(line));
    }
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    Chart1->ShowCurve(Points(view.appResCurve));
    Chart2->ShowCurve(Points(view.phaseCurve));
}

QList<QWidget*> TForm1::StoreCommands() const
{
    return {Button1, Button2, BitBtn2, RESPH, InvType, Edit1, UpDown1, StringGrid1};
}
