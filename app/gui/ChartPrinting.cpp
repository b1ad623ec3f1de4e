#include "ChartPrinting.h"

#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

#include <stdexcept>

namespace mt1d::gui {

namespace {

// A picture of screen size stretched over A4 comes out at about 60 ppi; three times the
// pixel density gives about 180 ppi at a few hundred kilobytes.
constexpr qreal kPictureDensity = 3.0;

}  // namespace

bool ChoosePrinter(QPrinter& printer, QWidget* owner)
{
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

void PrintStretched(QWidget& widget, QPrinter& printer)
{
    QPixmap picture(widget.size() * kPictureDensity);
    picture.setDevicePixelRatio(kPictureDensity);
    picture.fill(Qt::white);
    widget.render(&picture);

    QPainter painter;
    if (!painter.begin(&printer)) {
        throw std::runtime_error("打印机无法开始打印。");
    }
    // The painter's device is the printable area: stretch the picture over all of it.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(0, 0, printer.width(), printer.height()), picture);
    if (!painter.end()) {
        throw std::runtime_error("打印未能完成。");
    }
}

}  // namespace mt1d::gui
