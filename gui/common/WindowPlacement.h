#pragma once
// Where a top-level window goes on a screen, as plain arithmetic that a test can drive with
// any screen size.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace mt1d::gui {

struct WindowPlacement {
    QPoint framePosition;  // top-left corner of the frame (what QWidget::move takes)
    QSize size;            // the window without its frame (what QWidget::resize takes)
};

// The window at its `wanted` size, cut to what fits with its `frame` inside `available` (a
// screen's area without task bars), yet never below `minimum`; centred in `available`, and
// at its top-left corner when even the minimum does not fit.
WindowPlacement PlaceWindow(const QSize& wanted, const QSize& minimum, const QRect& available,
                            const QMargins& frame);

// A window's geometry as a project or the settings remember it (any ints, however absurd),
// moved and cut so that it lies within `available`: at most its size, at least 1 × 1
// pixel, as far from where it was as that allows.
QRect FitToScreen(int x, int y, int width, int height, const QRect& available);

}  // namespace mt1d::gui
