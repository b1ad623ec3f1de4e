#pragma once
// Timings of the sounding window as the user meets them, for the measuring script:
// opening a sounding until its plots are painted, a smooth fit from the click on the run
// button until the plots show it, and one step of dragging a layer (forward model, repaint).

#include "session/Session.h"

#include <QString>

namespace mt1d::gui::field {

class FieldWorkspace;

// Opens `file` in `workspace`, runs the steps and returns one line per figure (medians of
// several repetitions where a step is short).
QString MeasureSoundingWindow(FieldWorkspace& workspace, const QString& file, const session::ReadSettings& read);

}  // namespace mt1d::gui::field
