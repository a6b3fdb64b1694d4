#include "TesterSimulator.h"

#include "SimulatorSession.h"

#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>

namespace nxa::sim {

namespace {
// One fills a queue of the smallest size; the second makes sure of it.
constexpr int kQueueFillers = 2;
} // namespace

TesterSimulator::TesterSimulator(SimulatorSettings settings, QObject *parent)
    : QObject(parent), m_settings(std::move(settings)),
      m_configurationImage(m_settings.configurationImage) {}

TesterSimulator::~TesterSimulator() = default;

bool TesterSimulator::listen(const QHostAddress &address, quint16 port) {
    if (!m_server) {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, &TesterSimulator::acceptConnections);
    }
    if (m_settings.scenario != Scenario::ConnectHangs)
        return m_server->listen(address, port);
    // The smallest queue, never taken from and filled at once by a
    // connection of our own: the system then drops every further connection
    // request, as with a tester that has hung or a firewall that drops them.
    m_server->setListenBacklogSize(0);
    if (!m_server->listen(address, port))
        return false;
    m_server->pauseAccepting();
    for (int i = 0; i < kQueueFillers; ++i) {
        auto *filler = new QTcpSocket(this);
        filler->connectToHost(address, m_server->serverPort());
    }
    return true;
}

QString TesterSimulator::errorString() const {
    return m_server ? m_server->errorString() : QString();
}

quint16 TesterSimulator::serverPort() const {
    return m_server ? m_server->serverPort() : 0;
}

void TesterSimulator::acceptConnections() {
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        auto *session = new SimulatorSession(socket, this);
        {
            QMutexLocker lock(&m_mutex);
            ++m_accepted;
            ++m_open;
        }
        connect(socket, &QTcpSocket::disconnected, session, [this, session] {
            {
                QMutexLocker lock(&m_mutex);
                --m_open;
            }
            session->deleteLater();
        });
    }
}

QList<QByteArray> TesterSimulator::receivedRequests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

QByteArray TesterSimulator::configurationImage() const {
    QMutexLocker lock(&m_mutex);
    return m_configurationImage;
}

int TesterSimulator::acceptedConnections() const {
    QMutexLocker lock(&m_mutex);
    return m_accepted;
}

int TesterSimulator::openConnections() const {
    QMutexLocker lock(&m_mutex);
    return m_open;
}

void TesterSimulator::recordRequest(const QByteArray &request) {
    QMutexLocker lock(&m_mutex);
    // A simulator that serves for days keeps a bounded history.
    if (m_requests.size() >= kRequestHistory)
        m_requests.removeFirst();
    m_requests.append(request);
}

void TesterSimulator::replaceConfiguration(const QByteArray &image) {
    QMutexLocker lock(&m_mutex);
    m_configurationImage = image;
}

void TesterSimulator::report(const QString &line) {
    emit served(line);
}

} // namespace nxa::sim
