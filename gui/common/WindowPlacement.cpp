#include "gui/common/WindowPlacement.h"

#include <algorithm>

namespace mt1d::gui {

WindowPlacement PlaceWindow(const QSize& wanted, const QSize& minimum, const QRect& available,
                            const QMargins& frame)
{
    const QSize room = available.size().shrunkBy(frame);
    const QSize size = wanted.boundedTo(room).expandedTo(minimum);
    const QSize outer = size.grownBy(frame);
    const int x = available.left() + std::max(0, (available.width() - outer.width()) / 2);
    const int y = available.top() + std::max(0, (available.height() - outer.height()) / 2);
    return {QPoint(x, y), size};
}

}  // namespace mt1d::gui
