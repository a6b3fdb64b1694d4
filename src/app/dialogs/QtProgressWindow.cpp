#include "app/dialogs/QtProgressWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>

namespace nxa::app {

namespace {

// Work that ends sooner shows no window at all.
constexpr qint64 kShowDelayMs = 600;
// Events are handled this often; more would slow the work for nothing.
constexpr qint64 kPaintIntervalMs = 50;
constexpr int kBarSteps = 1000;

} // namespace

QtProgressWindow::QtProgressWindow(QWidget *owner, const QString &text, bool cancellable)
    : m_owner(owner), m_text(text), m_cancellable(cancellable) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_started.start();
    m_sincePaint.start();
}

QtProgressWindow::~QtProgressWindow() {
    m_dialog.reset();
    QApplication::restoreOverrideCursor();
}

void QtProgressWindow::show(qint64 total) {
    m_dialog = std::make_unique<QProgressDialog>(
        m_text, m_cancellable ? QStringLiteral("Cancel") : QString(), 0, total > 0 ? kBarSteps : 0,
        m_owner);
    if (!m_cancellable)
        m_dialog->setCancelButton(nullptr);
    m_dialog->setWindowTitle(QStringLiteral("Brontel NXA"));
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(0);
    m_dialog->show();
}

bool QtProgressWindow::update(qint64 done, qint64 total) {
    if (m_sincePaint.elapsed() < kPaintIntervalMs)
        return !(m_dialog && m_dialog->wasCanceled());
    m_sincePaint.restart();
    if (!m_dialog && m_started.elapsed() >= kShowDelayMs)
        show(total);
    if (m_dialog) {
        m_dialog->setMaximum(total > 0 ? kBarSteps : 0);
        if (total > 0)
            m_dialog->setValue(
                static_cast<int>(kBarSteps * std::clamp(done, qint64(0), total) / total));
    }
    QCoreApplication::processEvents(m_dialog ? QEventLoop::AllEvents
                                             : QEventLoop::ExcludeUserInputEvents);
    return !(m_dialog && m_dialog->wasCanceled());
}

} // namespace nxa::app
