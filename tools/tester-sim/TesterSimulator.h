#pragma once

#include "SimulatorSettings.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>

class QTcpServer;

namespace nxa::sim {

// A tester on a TCP port: answers the login and the three commands the way a
// Brontel NXA does, or misbehaves the way its scenario says. Lives on the
// thread that runs its event loop; the accessors marked thread-safe may be
// called from any thread.
class TesterSimulator : public QObject {
    Q_OBJECT
public:
    explicit TesterSimulator(SimulatorSettings settings, QObject *parent = nullptr);
    ~TesterSimulator() override;

    // Port 0 picks a free port; serverPort() tells which.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const;
    quint16 serverPort() const;
    const SimulatorSettings &settings() const { return m_settings; }

    static constexpr qsizetype kRequestHistory = 10000;

    // Thread-safe: the requests received so far (the last kRequestHistory),
    // exactly as their bytes came.
    QList<QByteArray> receivedRequests() const;
    // Thread-safe: the configuration image served now (transfer form).
    QByteArray configurationImage() const;
    // Thread-safe: connections accepted so far, and those still open.
    int acceptedConnections() const;
    int openConnections() const;

    // Used by the sessions.
    void recordRequest(const QByteArray &request);
    void replaceConfiguration(const QByteArray &image);
    void report(const QString &line);

signals:
    // One line for every request served; never contains a password.
    void served(const QString &line);

private:
    void acceptConnections();

    SimulatorSettings m_settings;
    QTcpServer *m_server = nullptr;
    mutable QMutex m_mutex;
    QList<QByteArray> m_requests;
    QByteArray m_configurationImage;
    int m_accepted = 0;
    int m_open = 0;
};

} // namespace nxa::sim
