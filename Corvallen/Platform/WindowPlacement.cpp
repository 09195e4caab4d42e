#include "Corvallen/Platform/WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QRect placeWithin(QSize wanted, QSize minimum, QMargins frame, QRect available, QPoint centre)
{
    const int roomWidth = available.width() - frame.left() - frame.right();
    const int roomHeight = available.height() - frame.top() - frame.bottom();
    const QSize size(std::max(std::min(wanted.width(), roomWidth), minimum.width()),
                     std::max(std::min(wanted.height(), roomHeight), minimum.height()));
    const QSize outer = size.grownBy(frame);
    // Clamped from the far edge first, so that a frame larger than the area keeps its top-left
    // corner (and so its title bar) on the screen.
    const auto clampAxis = [](int start, int length, int areaStart, int areaLength) {
        return std::max(std::min(start, areaStart + areaLength - length), areaStart);
    };
    const int left = clampAxis(centre.x() - outer.width() / 2, outer.width(), available.left(), available.width());
    const int top = clampAxis(centre.y() - outer.height() / 2, outer.height(), available.top(), available.height());
    return QRect(QPoint(left + frame.left(), top + frame.top()), size);
}

}  // namespace WindowPlacement
