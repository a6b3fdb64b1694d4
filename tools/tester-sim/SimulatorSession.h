#pragma once

#include "SimulatorSettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

class QTcpSocket;
class QTimer;

namespace nxa::sim {

class TesterSimulator;

// Cuts one request off the front of `input`: 64 characters of UTF-8 (a byte
// that starts no valid sequence counts as one character). Nothing while the
// 64th character is still incomplete.
std::optional<QByteArray> takeRequest(QByteArray &input);

// One manager connection: the login, then any number of commands.
class SimulatorSession : public QObject {
    Q_OBJECT
public:
    SimulatorSession(QTcpSocket *socket, TesterSimulator *simulator);

private:
    void readInput();
    void serve(const QByteArray &request);
    void login(bool passwordOk);
    void sendImage(const QString &command, const QByteArray &image, const QString &what);
    void finishUpload();
    void startDrip(const QByteArray &data, int sliceBytes);
    void dripNext();
    void reply(const QByteArray &text);
    void log(const QString &text);

    QTcpSocket *m_socket;
    TesterSimulator *m_simulator;
    const SimulatorSettings &m_settings;
    QString m_peer;
    QByteArray m_input;
    bool m_loggedIn = false;
    bool m_receivingUpload = false;
    QByteArray m_upload;
    QByteArray m_drip;
    qsizetype m_dripSent = 0;
    int m_dripSlice = 1;
    QTimer *m_dripTimer = nullptr;
};

} // namespace nxa::sim
