#pragma once

#include "link/LinkHooks.h"
#include "link/LinkTimings.h"

#include <QByteArray>

class QTcpSocket;

namespace nxa::link {

struct ReceiveResult {
    int received = 0;     // bytes stored from offset 0 of the buffer
    bool aborted = false; // a close request ended the wait
    bool closed = false;  // the tester closed the connection
};

// Collects bytes into `buffer` from offset 0 until `expected` bytes have
// arrived, the idle limit passes without data, the transfer deadline (when
// set) passes since the wait began, the tester closes the
// connection or a close request arrives. Each pass drains what is pending in
// receive calls of at most kReceiveChunk bytes, so the count can pass
// `expected` by less than one call. Between passes it waits on the socket, at
// most one poll interval, so data is taken as soon as it arrives. The status
// bar restarts at "0%" and is rewritten only when the integer percentage rises.
ReceiveResult receiveWait(QTcpSocket &socket, QByteArray &buffer, int expected,
                          const LinkTimings &timings, const LinkHooks &hooks);

enum class ConnectEnd { Connected, Failed, Aborted };

// Waits for a connection started with connectToHost until it is established,
// refused, or the connect time-out passes. With `abortable` it processes
// window events between short waits on the socket, so that a close request
// ends the attempt at once instead of after the whole time-out.
ConnectEnd connectWait(QTcpSocket &socket, const LinkTimings &timings, const LinkHooks &hooks,
                       bool abortable);

struct SendResult {
    qint64 sent = 0; // bytes the connection took
    bool closed = false;
};

// Sends `data` until all of it has left or nothing moved for the send idle
// limit. Processes no window events, so nothing can abort it. When
// `reportClose` is set, a connection closed by the tester shows the
// "Network Error" box (once) and ends the wait.
SendResult sendWait(QTcpSocket &socket, const QByteArray &data, const LinkTimings &timings,
                    const LinkHooks &hooks, bool reportClose);

// Lets `durationMs` pass while keeping the window painted, taking no input.
void repaintingPause(int durationMs, const LinkTimings &timings, const LinkHooks &hooks);

} // namespace nxa::link
