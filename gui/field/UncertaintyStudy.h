#pragma once
// The uncertainty tab at work on real soundings, for the README and the measuring script:
// figures of the posterior beside the fits, and timings of a run as the user meets it.

#include <QString>
#include <QStringList>

namespace mt1d::gui::field {

// For each sounding file (read with its header, det mode, 5 % floor): a smooth fit, layered
// fits of 2 to 6 layers of which the one with the fewest layers within 10 % of the best RMS
// is kept, and a default sampling run in the uncertainty tab of a sounding window, written as
// DIR/<file's base name>-posterior.png; with `screenshot`, the first window as it looks, as
// DIR/uncertainty-tab.png. Returns one line per site, or what failed.
QString WritePosteriorFigures(const QStringList& files, const QString& dir, bool screenshot);

// Opens `file` in a sounding window and clicks the tab's run button several times with the
// default settings: the time from the click to the first progress shown and to the redrawn
// result (medians), and the sampling's own time.
QString MeasureUncertaintyTab(const QString& file);

}  // namespace mt1d::gui::field
