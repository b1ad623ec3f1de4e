#pragma once
// Timings of the window's commands as the user meets them: each button pressed and the
// window repainted, an inversion until its report box is on screen.

#include <QString>

class TForm1;

namespace mt1d::gui {

// Runs the commands through the window's buttons and returns one line per figure.
QString MeasureCommands(TForm1& form);

}  // namespace mt1d::gui
