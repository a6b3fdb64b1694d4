#include "app/SplashWindow.h"

#include "app/AppAssets.h"
#include "app/WindowPlacement.h"

#include <QPainter>

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

void SplashWindow::advance() {
    if (m_stopped)
        return;
    m_frame = (m_frame + 1) % kSpinnerFrameCount;
    update();
}

void SplashWindow::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        painter.drawImage(QPoint(0, 0), m_picture);
    if (m_frame < m_frames.size() && !m_frames[m_frame].isNull())
        painter.drawImage(kSpinnerPosition, m_frames[m_frame]);
}

} // namespace nxa::app
