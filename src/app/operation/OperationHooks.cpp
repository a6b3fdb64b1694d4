#include "app/operation/OperationHooks.h"

#include "app/operation/OperationCloseWatch.h"
#include "app/operation/OperationStatusBar.h"
#include "app/operation/TesterOperation.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace nxa::app {

link::LinkHooks operationLinkHooks(OperationCloseWatch &watch, OperationStatusBar *statusBar,
                                   std::function<void(const Notice &)> notify) {
    link::LinkHooks hooks;
    hooks.pumpEvents = [&watch] {
        if (operationSettings().beforePump)
            operationSettings().beforePump();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return watch.take();
    };
    hooks.repaintOnly = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    QPointer<OperationStatusBar> bar(statusBar);
    hooks.showProgress = [bar](const QString &text, int progress) {
        if (bar)
            bar->showProgress(text, progress);
    };
    hooks.networkError = std::move(notify);
    return hooks;
}

void waitForWindowEvents(OperationCloseWatch &watch, const std::function<bool()> &done,
                         int timeoutMs) {
    bool timedOut = false;
    QTimer timer;
    if (timeoutMs >= 0) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&timedOut] { timedOut = true; });
        timer.start(timeoutMs);
    }
    while (!timedOut && !watch.requested() && !done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace nxa::app
