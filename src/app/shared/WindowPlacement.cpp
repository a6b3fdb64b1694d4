#include "app/shared/WindowPlacement.h"

#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <QWidget>

#include <algorithm>

namespace nxa::app {

namespace {

// How far each further window moves down and across: a title bar's height.
constexpr int kCascadeStep = 28;
// Windows after this many start again at the first place.
constexpr int kCascadeLength = 8;

} // namespace

void centreWindow(QWidget &window, const QScreen *screen) {
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

QPoint besidePosition(const QRect &anchor, const QSize &frame, const QRect &available,
                      int cascade) {
    const int step = kCascadeStep * (std::max(cascade, 0) % kCascadeLength);
    int x = anchor.right() + 1 + step;
    if (x + frame.width() - 1 > available.right()) {
        x = anchor.left() - frame.width() - step;
        if (x < available.left())
            x = std::max(available.left(), available.right() + 1 - frame.width() - step);
    }
    int y = anchor.top() + step;
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - frame.height()));
    return {x, y};
}

void placeBeside(QWidget &window, const QWidget &anchor, int cascade) {
    const QScreen *screen = anchor.screen();
    if (!screen)
        return;
    window.move(besidePosition(anchor.frameGeometry(), window.frameGeometry().size(),
                               screen->availableGeometry(), cascade));
}

} // namespace nxa::app
