#pragma once
// Printing a widget's picture: the picture of the widget's on-screen size, stretched over
// the whole printable page in both directions.

#include <functional>

class QPrinter;
class QWidget;

namespace mt1d::gui {

// Lets the user choose and set up the printer; false when the user cancels.
using PrinterSetup = std::function<bool(QPrinter& printer, QWidget* owner)>;

// The print dialog.
bool ChoosePrinter(QPrinter& printer, QWidget* owner);

// Draws `widget` as it is on screen into a picture of its size (at three times the pixel
// density for a sharp page) and prints it over the whole page as one print job. Throws
// std::runtime_error when the printer cannot start or finish the job.
void PrintStretched(QWidget& widget, QPrinter& printer);

}  // namespace mt1d::gui
