#include "gui/classic/ClickLabel.h"

#include <QMouseEvent>

namespace mt1d::gui {

ClickLabel::ClickLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Click();
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace mt1d::gui
