#include "app/shell/SplashWindow.h"

#include "app/shared/AppAssets.h"
#include "app/shared/WindowPlacement.h"

#include <QEventLoop>
#include <QPainter>

#include <algorithm>

namespace nxa::app {

namespace {
constexpr int kWidth = 300;
constexpr int kHeight = 150;
const QPoint kSpinnerPosition(225, 90);
} // namespace

SplashWindow::SplashWindow(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_picture(splashPicture()),
      m_frames(spinnerFrames()) {
    setWindowTitle(QStringLiteral("MRV12: Loading..."));
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setInterval(kFrameDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &SplashWindow::advance);
}

void SplashWindow::start() {
    centreWindow(*this);
    show();
    m_timer.start();
}

void SplashWindow::stop() {
    m_stopped = true;
    m_timer.stop();
}

qint64 SplashWindow::msSinceFirstPaint() const {
    return m_sinceFirstPaint.isValid() ? m_sinceFirstPaint.elapsed() : -1;
}

qint64 SplashWindow::remainingShowMs(qint64 sinceFirstPaintMs, qint64 sinceStartMs) {
    qint64 remaining = kLatestCloseMs - sinceStartMs;
    if (sinceFirstPaintMs >= 0)
        remaining = std::min(remaining, kMinimumShownMs - sinceFirstPaintMs);
    return std::max<qint64>(remaining, 0);
}

void SplashWindow::holdForMinimumTime(const QElapsedTimer &sinceStart) {
    const auto done = [&] {
        return remainingShowMs(msSinceFirstPaint(), sinceStart.elapsed()) == 0;
    };
    if (done())
        return;
    // Checked often rather than waited for in one go: the first paint that starts the
    // minimum time may still be to come.
    QEventLoop loop;
    QTimer check;
    check.setInterval(10);
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start();
    loop.exec();
}

void SplashWindow::advance() {
    if (m_stopped)
        return;
    m_frame = (m_frame + 1) % kSpinnerFrameCount;
    update();
}

void SplashWindow::paintEvent(QPaintEvent *) {
    if (!m_sinceFirstPaint.isValid()) {
        m_sinceFirstPaint.start();
        // Frame 0 gets its full delay on screen, like every other frame.
        if (m_timer.isActive())
            m_timer.start();
    }
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        painter.drawImage(QPoint(0, 0), m_picture);
    if (m_frame < m_frames.size() && !m_frames[m_frame].isNull())
        painter.drawImage(kSpinnerPosition, m_frames[m_frame]);
}

} // namespace nxa::app
