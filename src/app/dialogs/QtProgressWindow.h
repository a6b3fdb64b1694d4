#pragma once

#include "app/dialogs/UserDialogs.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace nxa::app {

// A progress dialog that waits before it appears, shows the busy cursor from
// the start, and keeps the windows painted while the work runs on this thread.
// Until the dialog is up no user input is processed, so no other action can
// start in the middle of this one; once it is up it blocks its owner window.
class QtProgressWindow : public ProgressWindow {
public:
    QtProgressWindow(QWidget *owner, const QString &text, bool cancellable);
    ~QtProgressWindow() override;
    QtProgressWindow(const QtProgressWindow &) = delete;
    QtProgressWindow &operator=(const QtProgressWindow &) = delete;

    bool update(qint64 done, qint64 total) override;

private:
    void show(qint64 total);

    QPointer<QWidget> m_owner;
    QString m_text;
    bool m_cancellable;
    QElapsedTimer m_started;
    QElapsedTimer m_sincePaint;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace nxa::app
