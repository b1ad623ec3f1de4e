#include "gui/common/WindowPlacement.h"

#include <algorithm>
#include <utility>

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

QRect FitToScreen(int x, int y, int width, int height, const QRect& available)
{
    // In 64 bits: x + width of two large ints overflows an int.
    const auto fit = [](long long start, long long length, long long low, long long room) {
        const long long size = std::clamp<long long>(length, 1, std::max<long long>(room, 1));
        const long long at = std::clamp<long long>(start, low, low + std::max<long long>(room, 1) - size);
        return std::pair{static_cast<int>(at), static_cast<int>(size)};
    };
    const auto [left, w] = fit(x, width, available.left(), available.width());
    const auto [top, h] = fit(y, height, available.top(), available.height());
    return QRect(left, top, w, h);
}

}  // namespace mt1d::gui
