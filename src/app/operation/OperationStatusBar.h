#pragma once

#include <QStatusBar>

class QLabel;
class QProgressBar;

namespace nxa::app {

inline constexpr int kPercentFieldWidth = 50;
inline constexpr int kProgressFieldWidth = 350;
inline constexpr int kStatusBarHeight = 22;

// The status bar of both operation windows: a percentage text and a
// progress bar from 0 to 100.
class OperationStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit OperationStatusBar(QWidget *parent = nullptr);

    // Lays the bar along the foot of a window of the given size.
    void placeAtFoot(int windowWidth, int windowHeight);

    void showProgress(const QString &text, int progress);
    QString percentText() const;
    int progress() const;

private:
    QLabel *m_percent;
    QProgressBar *m_progress;
};

} // namespace nxa::app
