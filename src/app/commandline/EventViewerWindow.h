#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QListWidget;
class QPushButton;

namespace nxa::app {

class OperationStatusBar;

inline constexpr int kEventViewerWindowWidth = 400;
inline constexpr int kEventViewerWindowHeight = 255;

// The window of a command-line download: the "Event viewer" list that the
// link, the merge and the export report to, and the status bar. Its
// "Download" button is never shown; the run presses it itself.
class EventViewerWindow : public QWidget {
    Q_OBJECT
public:
    explicit EventViewerWindow(QWidget *parent = nullptr);

    // Every line also goes to `echo` when one is set (standard output when
    // the run has no display).
    void setEcho(std::function<void(const QString &)> echo) { m_echo = std::move(echo); }

    void addLine(const QString &line);
    QStringList lines() const;

    OperationStatusBar *statusBar() const { return m_statusBar; }
    QPushButton *actionButton() const { return m_actionButton; }

private:
    QListWidget *m_list;
    OperationStatusBar *m_statusBar;
    QPushButton *m_actionButton;
    std::function<void(const QString &)> m_echo;
};

} // namespace nxa::app
