#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a new window goes so that all of it, title bar and borders included, is on the screen.
namespace WindowPlacement {

// The window's own (client) geometry: `wanted` cut down to what fits `available` with the
// window manager's `frame` around it, never below `minimum`; the frame centred on `centre` as
// far as the available area allows, its top-left corner always inside it.
QRect placeWithin(QSize wanted, QSize minimum, QMargins frame, QRect available, QPoint centre);

}  // namespace WindowPlacement
