#pragma once

class QScreen;
class QWidget;

namespace nxa::app {

// Moves a top-level window so that its frame stands in the middle of the
// screen's available area (the primary screen when none is given); nothing
// happens without a screen, as on a machine with no display.
void centreWindow(QWidget &window, const QScreen *screen = nullptr);

} // namespace nxa::app
