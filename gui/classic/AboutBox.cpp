#include "gui/classic/AboutBox.h"

#include "gui/classic/ClickLabel.h"
#include "gui/common/MessageBoxes.h"

#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace {

// A small log-log sounding curve as the box's picture.
QPixmap Logo()
{
    QPixmap logo(64, 64);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::gray, 1));
    painter.drawLine(8, 56, 60, 56);
    painter.drawLine(8, 4, 8, 56);
    QPainterPath curve(QPointF(10, 20));
    curve.cubicTo(QPointF(26, 20), QPointF(30, 50), QPointF(40, 46));
    curve.cubicTo(QPointF(48, 43), QPointF(52, 14), QPointF(60, 10));
    painter.setPen(QPen(QColor(0, 128, 0), 2.5));
    painter.drawPath(curve);
    return logo;
}

QLabel* Text(const QString& text, int x, int y, int width, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 20);
    return label;
}

QFrame* Rule(int y, QWidget* parent)
{
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(16, y, 411, 4);
    return rule;
}

}  // namespace

TAbout::TAbout(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      OpenUrl([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About"));
    setProperty("mt1dSameInEveryLanguage", true);  // the title the click replaces is English in both
    setFixedSize(443, 422);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(16, 16, 76, 76);
    auto* picture = new QLabel(panel);
    picture->setPixmap(Logo());
    picture->setGeometry(6, 6, 64, 64);

    ProductName = Text(QStringLiteral("mt1d"), 112, 24, 300, this);
    QFont productFont = ProductName->font();
    productFont.setPointSize(productFont.pointSize() + 4);
    productFont.setBold(true);
    ProductName->setFont(productFont);
    ProductName->setFixedHeight(28);
    Text(Ui::tr("一维大地电磁测深正演与反演演示程序"), 112, 56, 310, this);
    Text(Ui::tr("mt1d 项目组"), 112, 76, 310, this);

    Rule(104, this);
    Version = Text(Ui::tr("版本: 2004.04"), 24, 116, 300, this);
    Date = Text(Ui::tr("最后日期:  2004-04-25"), 24, 140, 300, this);
    Text(Ui::tr("地址: 开源项目，无通信地址"), 24, 172, 395, this);

    auto* contacts = new QFrame(this);
    contacts->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    contacts->setGeometry(16, 200, 411, 100);
    Text(Ui::tr("电话: 无"), 12, 10, 380, contacts);
    Text(Ui::tr("电子邮件: mt1d@example.org"), 12, 36, 380, contacts);
    StaticText10 = new mt1d::gui::ClickLabel(kProjectUrl, contacts);
    StaticText10->setObjectName(QStringLiteral("StaticText10"));
    StaticText10->setGeometry(12, 62, 380, 20);
    StaticText10->setStyleSheet(QStringLiteral("color: red;"));
    StaticText10->setCursor(Qt::PointingHandCursor);
    StaticText10->setToolTip(Ui::tr("欢迎访问 mt1d 项目主页"));
    connect(StaticText10, &mt1d::gui::ClickLabel::Click, this, &TAbout::StaticText10Click);

    Rule(316, this);
    Text(Ui::tr("本程序是自由软件，按 GNU 通用公共许可证第 3 版或更新版本发布，"),
         24, 328, 400, this);
    Text(Ui::tr("不附带任何担保。"), 24, 348, 400, this);

    BitBtn1 = new QPushButton(Ui::tr("确定"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(184, 384, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TAbout::StaticText10Click()
{
    mt1d::gui::Guarded(this, [this] { OpenUrl(QUrl(kProjectUrl)); });
}
