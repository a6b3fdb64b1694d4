#pragma once

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

    explicit SplashWindow(QWidget *parent = nullptr);

    // Centres the window on the primary screen, shows it and starts the spinner.
    void start();
    // Stops the spinner for good; nothing is drawn afterwards.
    void stop();

    int frame() const { return m_frame; }
    bool running() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void advance();

    QImage m_picture;
    QList<QImage> m_frames;
    QTimer m_timer;
    int m_frame = 0;
    bool m_stopped = false;
};

} // namespace nxa::app
