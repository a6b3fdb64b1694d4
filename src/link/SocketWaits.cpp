#include "link/SocketWaits.h"

#include "link/LinkConstants.h"
#include "link/LinkOutcome.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace nxa::link {

namespace {

// No more data can come: the connection is gone and its last bytes were read.
bool connectionClosed(const QTcpSocket &socket) {
    return socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() <= 0;
}

void showProgress(const LinkHooks &hooks, int percentage) {
    if (hooks.showProgress)
        hooks.showProgress(QString::number(percentage) + QLatin1Char('%'), percentage);
}

void reportClosed(const LinkHooks &hooks) {
    if (hooks.networkError)
        hooks.networkError(networkErrorNotice());
}

int boundedWait(int pollMs, qint64 leftMs) {
    return static_cast<int>(std::clamp<qint64>(leftMs, 1, std::max(pollMs, 1)));
}

} // namespace

ReceiveResult receiveWait(QTcpSocket &socket, QByteArray &buffer, int expected,
                          const LinkTimings &timings, const LinkHooks &hooks) {
    ReceiveResult result;
    int shown = 0;
    showProgress(hooks, 0);
    if (expected <= 0)
        return result;

    const qint64 capacity = buffer.size();
    QElapsedTimer lastData;
    lastData.start();
    QElapsedTimer started;
    started.start();
    for (;;) {
        bool gotData = false;
        while (result.received < expected) {
            const qint64 pending = socket.bytesAvailable();
            if (pending <= 0)
                break;
            const int percentage = static_cast<int>(qint64(result.received) * 100 / expected);
            if (percentage > shown) {
                shown = percentage;
                showProgress(hooks, percentage);
            }
            const qint64 room = capacity - result.received;
            const qint64 want = std::min<qint64>({pending, kReceiveChunk, room});
            if (want <= 0)
                break;
            const qint64 got = socket.read(buffer.data() + result.received, want);
            if (got <= 0)
                break; // a failed call neither lowers the count nor keeps the loop alive
            result.received += static_cast<int>(got);
            gotData = true;
        }
        if (gotData)
            lastData.restart();
        if (result.received >= expected)
            break;
        if (connectionClosed(socket)) {
            result.closed = true;
            reportClosed(hooks);
            break;
        }
        if (hooks.pumpEvents && hooks.pumpEvents()) {
            result.aborted = true;
            break;
        }
        qint64 left = timings.idleTimeoutMs - lastData.elapsed();
        if (timings.transferDeadlineMs > 0)
            left = std::min<qint64>(left, timings.transferDeadlineMs - started.elapsed());
        if (left <= 0)
            break;
        // The event pump may have read the socket already; waiting for more
        // would leave those bytes idle for a whole poll interval.
        if (socket.bytesAvailable() <= 0)
            socket.waitForReadyRead(boundedWait(timings.pollIntervalMs, left));
    }
    return result;
}

ConnectEnd connectWait(QTcpSocket &socket, const LinkTimings &timings, const LinkHooks &hooks,
                       bool abortable) {
    // A timed-out waitForConnected gives the attempt up, so it cannot wait in
    // slices: the abortable wait lets the event pump complete the connection
    // and waits for the socket in between.
    if (!abortable || !hooks.pumpEvents)
        return socket.waitForConnected(timings.connectTimeoutMs) ? ConnectEnd::Connected
                                                                 : ConnectEnd::Failed;
    QElapsedTimer elapsed;
    elapsed.start();
    // The socket has no descriptor of its own to poll until it is connected;
    // its notifier is what completes the attempt, so the wait between pumps
    // runs the thread's events until the state moves or the slice is over.
    QEventLoop slice;
    QTimer sliceEnd;
    sliceEnd.setSingleShot(true);
    QObject::connect(&sliceEnd, &QTimer::timeout, &slice, &QEventLoop::quit);
    QObject::connect(&socket, &QAbstractSocket::stateChanged, &slice, &QEventLoop::quit);
    for (;;) {
        if (socket.state() == QAbstractSocket::ConnectedState)
            return ConnectEnd::Connected;
        if (socket.state() == QAbstractSocket::UnconnectedState)
            return ConnectEnd::Failed; // refused, unreachable or no route
        const qint64 left = timings.connectTimeoutMs - elapsed.elapsed();
        if (left <= 0)
            return ConnectEnd::Failed;
        sliceEnd.start(boundedWait(timings.pollIntervalMs, left));
        slice.exec(QEventLoop::ExcludeUserInputEvents);
        sliceEnd.stop();
        if (hooks.pumpEvents())
            return ConnectEnd::Aborted;
    }
}

SendResult sendWait(QTcpSocket &socket, const QByteArray &data, const LinkTimings &timings,
                    const LinkHooks &hooks, bool reportClose) {
    SendResult result;
    if (data.isEmpty())
        return result;
    const auto counter = QObject::connect(&socket, &QIODevice::bytesWritten,
                                          [&result](qint64 count) { result.sent += count; });
    if (socket.state() == QAbstractSocket::ConnectedState && socket.write(data) == data.size()) {
        QElapsedTimer lastSend;
        lastSend.start();
        qint64 sentBefore = result.sent;
        while (result.sent < data.size()) {
            if (socket.state() != QAbstractSocket::ConnectedState) {
                result.closed = true;
                break;
            }
            const qint64 left = timings.sendIdleTimeoutMs - lastSend.elapsed();
            if (left <= 0)
                break;
            socket.waitForBytesWritten(boundedWait(timings.pollIntervalMs, left));
            if (result.sent > sentBefore) {
                sentBefore = result.sent;
                lastSend.restart();
            }
        }
    } else {
        result.closed = socket.state() != QAbstractSocket::ConnectedState;
    }
    QObject::disconnect(counter);
    if (result.closed && reportClose)
        reportClosed(hooks);
    return result;
}

void repaintingPause(int durationMs, const LinkTimings &timings, const LinkHooks &hooks) {
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        if (hooks.repaintOnly)
            hooks.repaintOnly();
        const qint64 left = durationMs - elapsed.elapsed();
        if (left <= 0)
            break;
        QThread::msleep(static_cast<unsigned long>(boundedWait(timings.pollIntervalMs, left)));
    }
}

} // namespace nxa::link
