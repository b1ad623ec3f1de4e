#include "gui/classic/ChartPrinting.h"

#include "gui/common/Language.h"

#include "gui/classic/FigureExport.h"

#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

#include <qcustomplot.h>

#include <stdexcept>

namespace mt1d::gui {

bool ChoosePrinter(QPrinter& printer, QWidget* owner)
{
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

QPixmap SharpPicture(QWidget& widget)
{
    // A chart paints itself on screen from a buffer of screen density: rendering the widget
    // would only enlarge that buffer.
    if (auto* chart = qobject_cast<QCustomPlot*>(&widget)) {
        return ChartPicture(*chart, kPictureDensity);
    }
    QPixmap picture(widget.size() * kPictureDensity);
    picture.setDevicePixelRatio(kPictureDensity);
    picture.fill(Qt::white);
    widget.render(&picture);
    return picture;
}

void PrintStretched(const QPixmap& picture, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw std::runtime_error(mt1d::gui::Ui::tr("打印机无法开始打印。").toStdString());
    }
    // The painter's device is the printable area: stretch the picture over all of it.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(0, 0, printer.width(), printer.height()), picture);
    if (!painter.end()) {
        throw std::runtime_error(mt1d::gui::Ui::tr("打印未能完成。").toStdString());
    }
}

void PrintStretched(QWidget& widget, QPrinter& printer)
{
    PrintStretched(SharpPicture(widget), printer);
}

}  // namespace mt1d::gui
