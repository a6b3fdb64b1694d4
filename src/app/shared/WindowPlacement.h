#pragma once

class QPoint;
class QRect;
class QScreen;
class QSize;
class QWidget;

namespace nxa::app {

// Moves a top-level window so that its frame stands in the middle of the
// screen's available area (the primary screen when none is given); nothing
// happens without a screen, as on a machine with no display.
void centreWindow(QWidget &window, const QScreen *screen = nullptr);

// Where a window of frame size goes beside the anchor's frame, inside the
// available area: to its right, else to its left, the n-th such window a
// step further down and across so that each one's title bar shows; over the
// anchor only when neither side has room.
QPoint besidePosition(const QRect &anchor, const QSize &frame, const QRect &available, int cascade);
// Moves window beside the anchor's window (see besidePosition) on the
// anchor's screen; nothing happens without a screen.
void placeBeside(QWidget &window, const QWidget &anchor, int cascade);

} // namespace nxa::app
