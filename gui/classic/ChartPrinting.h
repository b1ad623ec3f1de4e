#pragma once
// Printing a widget's picture: the picture of the widget's on-screen size, stretched over
// the whole printable page in both directions.

#include <functional>

class QPixmap;
class QPrinter;
class QWidget;

namespace mt1d::gui {

// Lets the user choose and set up the printer; false when the user cancels.
using PrinterSetup = std::function<bool(QPrinter& printer, QWidget* owner)>;

// The print dialog.
bool ChoosePrinter(QPrinter& printer, QWidget* owner);

// The picture of `widget` as it is on screen, of its size at kPictureDensity times the pixel
// density for a sharp page (FigureExport.h). A chart is drawn afresh at that density; any
// other widget renders itself into the picture.
QPixmap SharpPicture(QWidget& widget);

// Prints `picture` over the whole page as one print job. Throws std::runtime_error when the
// printer cannot start or finish the job.
void PrintStretched(const QPixmap& picture, QPrinter& printer);

// Prints SharpPicture(widget).
void PrintStretched(QWidget& widget, QPrinter& printer);

}  // namespace mt1d::gui
