#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QTimer>
#include <QWidget>

namespace nxa::app {

// The borderless start-up window: the splash picture with the spinner
// animated over it. The animation runs on a GUI-thread timer, so it only
// advances while the caller lets pending events through.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameDelayMs = 100;
    // Building the main window takes a few tens of milliseconds: the splash stays up for
    // five frames so the user sees it and its spinner move...
    static constexpr qint64 kMinimumShownMs = 5 * kFrameDelayMs;
    // ...but the main window must be up within a second of start-up, even if the splash
    // was painted late or never.
    static constexpr qint64 kLatestCloseMs = 900;

    explicit SplashWindow(QWidget *parent = nullptr);

    // Centres the window on the primary screen, shows it and starts the spinner.
    void start();
    // Stops the spinner for good; nothing is drawn afterwards.
    void stop();

    int frame() const { return m_frame; }
    bool running() const { return m_timer.isActive(); }
    // Milliseconds since the splash was first painted, or -1 before that.
    qint64 msSinceFirstPaint() const;

    // How much longer the splash stays up; sinceFirstPaintMs is -1 while nothing has been
    // painted, sinceStartMs counts from the start of the program.
    static qint64 remainingShowMs(qint64 sinceFirstPaintMs, qint64 sinceStartMs);
    // Lets events through, so the spinner keeps turning, until remainingShowMs() is zero.
    void holdForMinimumTime(const QElapsedTimer &sinceStart);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void advance();

    QImage m_picture;
    QList<QImage> m_frames;
    QTimer m_timer;
    QElapsedTimer m_sinceFirstPaint;
    int m_frame = 0;
    bool m_stopped = false;
};

} // namespace nxa::app
