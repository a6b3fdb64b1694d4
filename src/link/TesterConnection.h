#pragma once

#include "link/LinkConstants.h"
#include "link/LinkHooks.h"
#include "link/LinkOutcome.h"
#include "link/LinkTimings.h"
#include "link/TesterRequest.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <memory>

class QTcpSocket;

namespace nxa::link {

// The one program-wide connection to a tester. An operation's connection is
// left open when it ends and closed by the next operation, by close() or by
// the destructor. Everything runs on the calling thread: the waits poll the
// socket and hand window events to the hooks.
class TesterConnection {
public:
    explicit TesterConnection(LinkTimings timings = {});
    ~TesterConnection();
    TesterConnection(const TesterConnection &) = delete;
    TesterConnection &operator=(const TesterConnection &) = delete;

    void setHooks(LinkHooks hooks);
    const LinkTimings &timings() const { return m_timings; }
    void setTimings(const LinkTimings &timings) { m_timings = timings; }

    // What a close request while connecting or during a receive wait leads
    // to. Final (the command line): every call returns Outcome::Aborted at
    // once. Not final (interactive, the default): the operation goes on with
    // what arrived, so an aborted connect or login is NoTester, an aborted
    // download CommunicationFailure and an aborted upload reply UploadFailed.
    void setAbortIsFinal(bool final) { m_abortIsFinal = final; }
    bool abortIsFinal() const { return m_abortIsFinal; }

    // Closes any connection left open by the previous operation, connects to
    // address:testerPort() (IPv4, first dotted field in the lowest byte)
    // within the connect time-out, sends "NXAC" + password and classifies the
    // reply: "NXAOK" Success, "BUSY" Busy, "WP" WrongPassword, anything else
    // NoTester; only bytes of this exchange count. An "NXAOK" reply shorter
    // than 64 bytes is CommunicationFailure. A failed connect leaves no
    // connection behind (CannotConnect); any other outcome leaves it open.
    Outcome connectAndLogin(quint32 address, const QString &password);
    // The same on a given port, for a caller that keeps one port per tester.
    Outcome connectAndLogin(quint32 address, quint16 port, const QString &password);

    struct Transfer {
        Outcome outcome = Outcome::CommunicationFailure;
        QByteArray image; // only on Success, exactly the transfer size
        int receivedCount = 0;
    };
    // "NXAD": the datalogger image, transfer form, exactly 192,192 bytes.
    Transfer downloadDatalogger(const QString &password);
    // "NXAE": the configuration image, transfer form, exactly 32,960 bytes.
    Transfer downloadConfiguration(const QString &password);
    // "NXAI", then the image (the configuration image in transfer form, sent
    // as given), 20 pacing steps "0%".."95%" (progress 5..100) with 19 pauses
    // of uploadPacingStepMs that only repaint, then the 64-byte reply:
    // Success when it begins "NXAOK", else UploadFailed (or Aborted).
    Outcome uploadConfiguration(const QString &password, const QByteArray &image);

    void close();
    bool isOpen() const;
    // Bytes collected by the last receive wait.
    int receivedCount() const { return m_receivedCount; }

private:
    Transfer download(const char *commandWord, const QString &password, int size);
    void sendRequest(const char *commandWord, const QString &password);
    struct WaitEnd {
        bool aborted = false;
    };
    WaitEnd receive(int expected);
    QByteArray takeReply() const;

    LinkTimings m_timings;
    LinkHooks m_hooks;
    bool m_abortIsFinal = false;
    std::unique_ptr<QTcpSocket> m_socket;
    QElapsedTimer m_connected; // since the connection was made
    QByteArray m_receiveBuffer;
    int m_receivedCount = 0;
};

} // namespace nxa::link
