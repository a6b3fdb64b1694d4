#include "SimulatorSession.h"

#include "SimulatorImages.h"
#include "TesterSimulator.h"
#include "link/LinkConstants.h"
#include "link/TesterRequest.h"
#include "records/DataloggerImage.h"

#include <QSaveFile>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace nxa::sim {

namespace {

// Length of the UTF-8 sequence that `lead` starts; 1 for a byte that starts none.
int sequenceLength(uchar lead) {
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// What stands in the header where a datalogger carries its "R".
constexpr char kNoMark = 'X';

// Where a cut login reply ends.
constexpr qsizetype kCutReplyBytes = 60;

QByteArray padded(const QByteArray &text) {
    QByteArray reply = text.left(link::kReplyLength);
    reply.append(link::kReplyLength - reply.size(), ' ');
    return reply;
}

// The command word as it can be shown: control and non-ASCII bytes in hex.
QString printableCommand(const QByteArray &request) {
    QString text;
    for (const char c : request.left(4)) {
        const auto byte = static_cast<uchar>(c);
        if (byte >= 0x20 && byte < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text;
}

} // namespace

std::optional<QByteArray> takeRequest(QByteArray &input) {
    qsizetype position = 0;
    for (int characters = 0; characters < link::kRequestLength; ++characters) {
        if (position >= input.size())
            return std::nullopt;
        int length = sequenceLength(static_cast<uchar>(input.at(position)));
        for (int i = 1; i < length; ++i) {
            if (position + i >= input.size())
                return std::nullopt; // wait for the rest of the sequence
            if ((static_cast<uchar>(input.at(position + i)) & 0xC0) != 0x80) {
                length = 1;
                break;
            }
        }
        position += length;
    }
    // A copy of its own: a slice of the receive buffer would keep the whole
    // buffer alive for as long as the request is remembered.
    QByteArray request(input.constData(), position);
    input.remove(0, position);
    return request;
}

SimulatorSession::SimulatorSession(QTcpSocket *socket, TesterSimulator *simulator)
    : QObject(simulator), m_socket(socket), m_simulator(simulator),
      m_settings(simulator->settings()),
      m_peer(
          QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort())) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &SimulatorSession::readInput);
}

void SimulatorSession::readInput() {
    m_input += m_socket->readAll();
    while (m_socket->state() == QAbstractSocket::ConnectedState) {
        if (m_receivingUpload) {
            const qsizetype missing = link::kConfigurationTransferSize - m_upload.size();
            const qsizetype take = std::min(missing, m_input.size());
            m_upload += m_input.left(take);
            m_input.remove(0, take);
            if (m_upload.size() < link::kConfigurationTransferSize)
                return;
            finishUpload();
            continue;
        }
        const std::optional<QByteArray> request = takeRequest(m_input);
        if (!request)
            return;
        serve(*request);
    }
}

void SimulatorSession::serve(const QByteArray &request) {
    m_simulator->recordRequest(request);
    const QString command = QString::fromLatin1(request.left(4));
    const bool passwordOk = request == link::buildRequest(command, m_settings.password);

    if (command == QLatin1String(link::kLoginCommand)) {
        login(passwordOk);
        return;
    }
    const bool known = command == QLatin1String(link::kDataloggerCommand) ||
                       command == QLatin1String(link::kConfigurationCommand) ||
                       command == QLatin1String(link::kUploadCommand);
    if (!known) {
        log(QStringLiteral("%1: unknown request, ignored").arg(printableCommand(request)));
        return;
    }
    if (!m_loggedIn) {
        log(QStringLiteral("%1: before any login, ignored").arg(command));
        return;
    }
    if (!passwordOk) {
        reply("WP");
        log(QStringLiteral("%1: wrong password, answered WP").arg(command));
        return;
    }
    if (command == QLatin1String(link::kDataloggerCommand)) {
        sendImage(command, m_settings.dataloggerImage, QStringLiteral("datalogger"));
    } else if (command == QLatin1String(link::kConfigurationCommand)) {
        sendImage(command, m_simulator->configurationImage(), QStringLiteral("configuration"));
    } else {
        m_receivingUpload = true;
        m_upload.clear();
    }
}

void SimulatorSession::login(bool passwordOk) {
    const QString command = QString::fromLatin1(link::kLoginCommand);
    switch (m_settings.scenario) {
    case Scenario::Busy:
        reply("BUSY");
        log(command + QStringLiteral(": answered BUSY"));
        return;
    case Scenario::WrongPassword:
        reply("WP");
        log(command + QStringLiteral(": answered WP (every password refused)"));
        return;
    case Scenario::Silent:
        log(command + QStringLiteral(": left unanswered"));
        return;
    case Scenario::Garbage:
        reply("#?GARBAGE?#GARBAGE?#GARBAGE?#GARBAGE?#GARBAGE?#GARBAGE?#GARBAGE?#");
        log(command + QStringLiteral(": answered with junk"));
        return;
    case Scenario::Nxao:
        m_socket->write("NXAO");
        log(command + QStringLiteral(": answered the 4 bytes NXAO"));
        return;
    default:
        break;
    }
    if (!passwordOk) {
        reply("WP");
        log(command + QStringLiteral(": wrong password, answered WP"));
        return;
    }
    m_loggedIn = true;
    if (m_settings.scenario == Scenario::DripLogin) {
        startDrip(padded("NXAOK"), 1);
        log(command + QStringLiteral(": login accepted, dripping NXAOK a byte every %1 ms")
                          .arg(m_settings.dripIntervalMs));
        return;
    }
    if (m_settings.scenario == Scenario::CutLoginReply) {
        m_socket->write(padded("NXAOK").left(kCutReplyBytes));
        log(command + QStringLiteral(": login accepted, answered NXAOK in %1 of its 64 bytes")
                          .arg(kCutReplyBytes));
        return;
    }
    reply("NXAOK");
    if (m_settings.scenario == Scenario::CloseAfterLogin) {
        m_socket->disconnectFromHost();
        log(command + QStringLiteral(": answered NXAOK, then closed the connection"));
        return;
    }
    log(command + QStringLiteral(": login accepted, answered NXAOK"));
}

void SimulatorSession::sendImage(const QString &command, const QByteArray &image,
                                 const QString &what) {
    const QString size = QString::number(image.size());
    switch (m_settings.scenario) {
    case Scenario::Short:
        m_socket->write(image.chopped(std::min<qsizetype>(1, image.size())));
        log(QStringLiteral("%1: sent the %2 one byte short (%3 of %4 bytes)")
                .arg(command, what)
                .arg(std::max<qsizetype>(0, image.size() - 1))
                .arg(size));
        return;
    case Scenario::Long:
        // One write, so the extra byte travels with the rest of the image.
        m_socket->write(image + QByteArray(1, ' '));
        log(QStringLiteral("%1: sent the %2 one byte long (%3 bytes)")
                .arg(command, what)
                .arg(image.size() + 1));
        return;
    case Scenario::CloseMidTransfer:
        m_socket->write(image.left(image.size() / 2));
        m_socket->disconnectFromHost();
        log(QStringLiteral("%1: sent half of the %2 (%3 of %4 bytes), then closed the connection")
                .arg(command, what)
                .arg(image.size() / 2)
                .arg(size));
        return;
    case Scenario::Unmarked:
        if (command == QLatin1String(link::kDataloggerCommand)) {
            QByteArray unmarked = image;
            const qsizetype mark = records::kRecordSize + records::kHeaderMarkOffset;
            if (mark < unmarked.size())
                unmarked[mark] = kNoMark;
            m_socket->write(unmarked);
            log(QStringLiteral("%1: sent the %2 without its mark (%3 bytes)")
                    .arg(command, what, size));
            return;
        }
        break;
    case Scenario::Drip:
    case Scenario::DripLogin:
        log(QStringLiteral("%1: dripping the %2 (%3 bytes, %4 every %5 ms)")
                .arg(command, what, size)
                .arg(m_settings.dripBytes)
                .arg(m_settings.dripIntervalMs));
        startDrip(image, m_settings.dripBytes);
        return;
    default:
        break;
    }
    m_socket->write(image);
    log(QStringLiteral("%1: sent the %2 (%3 bytes)").arg(command, what, size));
}

void SimulatorSession::startDrip(const QByteArray &data, int sliceBytes) {
    m_drip = data;
    m_dripSent = 0;
    m_dripSlice = std::max(1, sliceBytes);
    if (!m_dripTimer) {
        m_dripTimer = new QTimer(this);
        connect(m_dripTimer, &QTimer::timeout, this, &SimulatorSession::dripNext);
    }
    dripNext();
    m_dripTimer->start(std::max(0, m_settings.dripIntervalMs));
}

void SimulatorSession::dripNext() {
    if (m_socket->state() != QAbstractSocket::ConnectedState || m_dripSent >= m_drip.size()) {
        if (m_dripTimer)
            m_dripTimer->stop();
        return;
    }
    const QByteArray part = m_drip.mid(m_dripSent, m_dripSlice);
    m_socket->write(part);
    m_dripSent += part.size();
}

void SimulatorSession::finishUpload() {
    m_receivingUpload = false;
    const QString command = QString::fromLatin1(link::kUploadCommand);
    if (m_settings.scenario == Scenario::UploadRefused) {
        reply("FAIL");
        log(command + QStringLiteral(": received the configuration (%1 bytes), refused it")
                          .arg(m_upload.size()));
        return;
    }
    m_simulator->replaceConfiguration(m_upload);
    QString saved;
    if (!m_settings.saveConfigPath.isEmpty()) {
        QSaveFile file(m_settings.saveConfigPath);
        const bool ok = file.open(QIODevice::WriteOnly) &&
                        file.write(configurationFileForm(m_upload)) >= 0 && file.commit();
        saved = ok ? QStringLiteral(", saved to %1").arg(m_settings.saveConfigPath)
                   : QStringLiteral(", NOT saved to %1: %2")
                         .arg(m_settings.saveConfigPath, file.errorString());
    }
    reply("NXAOK");
    log(command + QStringLiteral(": received the configuration (%1 bytes)%2, answered NXAOK")
                      .arg(m_upload.size())
                      .arg(saved));
}

void SimulatorSession::reply(const QByteArray &text) {
    m_socket->write(padded(text));
}

void SimulatorSession::log(const QString &text) {
    m_simulator->report(m_peer + QLatin1Char(' ') + text);
}

} // namespace nxa::sim
