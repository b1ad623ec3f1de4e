#include "gui/classic/UpDown.h"

#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace mt1d::gui {

namespace {

QToolButton* MakeArrow(Qt::ArrowType arrow, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

UpDown::UpDown(QLineEdit* associate, int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent),
      associate_(associate),
      minimum_(minimum),
      maximum_(maximum),
      position_(std::clamp(position, minimum, maximum)),
      up_(MakeArrow(Qt::UpArrow, this)),
      down_(MakeArrow(Qt::DownArrow, this))
{
    up_->setObjectName(QStringLiteral("UpArrow"));
    down_->setObjectName(QStringLiteral("DownArrow"));
    associate_->setText(QString::number(position_));
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::resizeEvent(QResizeEvent*)
{
    const int upper = height() / 2;
    up_->setGeometry(0, 0, width(), upper);
    down_->setGeometry(0, upper, width(), height() - upper);
}

void UpDown::Step(int delta)
{
    const int moved = std::clamp(position_ + delta, minimum_, maximum_);
    if (moved == position_) {
        return;
    }
    position_ = moved;
    associate_->setText(QString::number(position_));
    emit Click(delta > 0);
}

}  // namespace mt1d::gui
