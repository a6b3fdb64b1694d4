#include "link/TesterConnection.h"

#include "link/HostAddress.h"
#include "link/SocketWaits.h"

#include <QTcpSocket>

#include <algorithm>

namespace nxa::link {

namespace {

constexpr int kPacingSteps = 20;
constexpr int kPacingPercentStep = 5;

} // namespace

TesterConnection::TesterConnection(LinkTimings timings)
    : m_timings(timings), m_receiveBuffer(kReceiveBufferSize, '\0') {}

TesterConnection::~TesterConnection() {
    close();
}

void TesterConnection::setHooks(LinkHooks hooks) {
    m_hooks = std::move(hooks);
}

bool TesterConnection::isOpen() const {
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TesterConnection::close() {
    if (m_socket) {
        m_socket->abort();
        m_socket.reset();
    }
}

Outcome TesterConnection::connectAndLogin(quint32 address, const QString &password) {
    return connectAndLogin(address, testerPort(), password);
}

Outcome TesterConnection::connectAndLogin(quint32 address, quint16 port, const QString &password) {
    close();
    m_receivedCount = 0;
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(hostAddress(address), port);
    // The window is pumped while connecting too, so it repaints and a close
    // request ends the attempt at once instead of after the whole time-out.
    const ConnectEnd connected = connectWait(*socket, m_timings, m_hooks, true);
    if (connected != ConnectEnd::Connected) {
        socket->abort();
        if (connected == ConnectEnd::Aborted)
            return m_abortIsFinal ? Outcome::Aborted : Outcome::NoTester;
        return Outcome::CannotConnect;
    }
    m_socket = std::move(socket);
    m_connected.start();

    sendRequest(kLoginCommand, password);
    if (receive(kReplyLength).aborted)
        return m_abortIsFinal ? Outcome::Aborted : Outcome::NoTester;
    const Outcome login = classifyLoginReply(takeReply());
    // A login that says yes must have arrived whole, as every transfer must:
    // a reply cut short is a failed transfer, not a tester that let us in.
    if (login == Outcome::Success && m_receivedCount < kReplyLength)
        return Outcome::CommunicationFailure;
    return login;
}

TesterConnection::Transfer TesterConnection::downloadDatalogger(const QString &password) {
    return download(kDataloggerCommand, password, kDataloggerTransferSize);
}

TesterConnection::Transfer TesterConnection::downloadConfiguration(const QString &password) {
    return download(kConfigurationCommand, password, kConfigurationTransferSize);
}

TesterConnection::Transfer TesterConnection::download(const char *commandWord,
                                                      const QString &password, int size) {
    Transfer transfer;
    if (!m_socket)
        return transfer;
    sendRequest(commandWord, password);
    const WaitEnd end = receive(size);
    transfer.receivedCount = m_receivedCount;
    if (end.aborted) {
        transfer.outcome = m_abortIsFinal ? Outcome::Aborted : Outcome::CommunicationFailure;
        return transfer;
    }
    // Too few bytes and too many are the same failure: the image cannot be trusted.
    if (m_receivedCount != size)
        return transfer;
    transfer.outcome = Outcome::Success;
    transfer.image = m_receiveBuffer.left(size);
    return transfer;
}

Outcome TesterConnection::uploadConfiguration(const QString &password, const QByteArray &image) {
    if (!m_socket)
        return Outcome::UploadFailed;
    sendRequest(kUploadCommand, password);
    sendWait(*m_socket, image, m_timings, m_hooks, true);

    // The tester needs time to store the image before it answers; the window
    // keeps painting but takes no input meanwhile.
    for (int step = 0; step < kPacingSteps; ++step) {
        if (m_hooks.showProgress)
            m_hooks.showProgress(QString::number(kPacingPercentStep * step) + QLatin1Char('%'),
                                 kPacingPercentStep * (step + 1));
        if (step < kPacingSteps - 1)
            repaintingPause(m_timings.uploadPacingStepMs, m_timings, m_hooks);
    }

    if (receive(kReplyLength).aborted)
        return m_abortIsFinal ? Outcome::Aborted : Outcome::UploadFailed;
    return isOkReply(takeReply()) ? Outcome::Success : Outcome::UploadFailed;
}

void TesterConnection::sendRequest(const char *commandWord, const QString &password) {
    // The count accepted is not examined: a request that does not get
    // through shows up as a missing reply or transfer.
    sendWait(*m_socket, buildRequest(QString::fromLatin1(commandWord), password), m_timings,
             m_hooks, false);
}

TesterConnection::WaitEnd TesterConnection::receive(int expected) {
    // The deadline holds for the whole exchange since the connection was
    // made, not for each wait: a tester that drips its login reply and then
    // its datalogger would otherwise get it twice.
    LinkTimings timings = m_timings;
    if (timings.transferDeadlineMs > 0)
        timings.transferDeadlineMs = static_cast<int>(
            std::max<qint64>(1, timings.transferDeadlineMs - m_connected.elapsed()));
    const ReceiveResult result =
        receiveWait(*m_socket, m_receiveBuffer, expected, timings, m_hooks);
    m_receivedCount = result.received;
    return {result.aborted};
}

QByteArray TesterConnection::takeReply() const {
    // Only what this wait received: older bytes of the buffer never count.
    return m_receiveBuffer.left(qMin(m_receivedCount, kReplyLength));
}

} // namespace nxa::link
