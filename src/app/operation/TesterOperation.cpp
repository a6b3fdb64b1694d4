#include "app/operation/TesterOperation.h"

#include "app/operation/OperationCloseWatch.h"
#include "app/operation/OperationHooks.h"
#include "app/operation/OperationWindow.h"
#include "app/operation/OwnerInputBlock.h"
#include "app/shared/Preferences.h"
#include "common/TesterAddress.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "link/TesterConnection.h"
#include "records/DataloggerMerge.h"
#include "records/DataloggerTable.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

namespace nxa::app {

namespace {

void call(const std::function<void()> &f) {
    if (f)
        f();
}

// Runs one interactive operation: the window, its loop, the connect
// sequence and the command.
class InteractiveOperation {
public:
    InteractiveOperation(OperationCode code, Session &session, UserDialogs &dialogs, QWidget *owner,
                         const OperationTargets &targets)
        : m_code(code), m_session(session), m_dialogs(dialogs), m_owner(owner), m_targets(targets),
          m_window(actionText(code), owner) {}

    void run() {
        // The window opens with the stored address and the current password.
        m_session.testerAddress = readPreferences();
        m_window.setAddress(m_session.testerAddress);
        m_window.setPassword(m_session.password);
        QObject::connect(m_window.addressField(), &QLineEdit::textChanged,
                         [this] { m_session.testerAddress = m_window.address(); });
        QObject::connect(m_window.passwordField(), &QLineEdit::textChanged,
                         [this](const QString &text) { m_session.password = text; });
        QObject::connect(m_window.actionButton(), &QPushButton::clicked,
                         [this] { m_pressed = true; });

        // The main window takes no input while the operation runs, but its
        // close box still reaches the close watch.
        const OwnerInputBlock block(m_owner, &m_window);
        m_window.show();
        m_window.centre();

        link::TesterConnection &connection = programConnection();
        connection.setTimings(operationSettings().timings);
        connection.setAbortIsFinal(false);
        connection.setHooks(operationLinkHooks(m_watch, m_window.statusBar(),
                                               [this](const Notice &n) { show(n); }));

        bool ended = false;
        while (!ended) {
            m_pressed = false;
            if (operationSettings().onWaitingForUser)
                operationSettings().onWaitingForUser(m_window);
            waitForWindowEvents(m_watch, [this] { return m_pressed; });
            if (m_watch.take())
                break;
            ended = connectSequence(connection);
        }

        m_watch.pause();
        m_window.close();
        if (m_owner) {
            m_owner->activateWindow();
            m_owner->setFocus();
        }
    }

private:
    // True when the operation ends, false when the window stays open for
    // another try.
    bool connectSequence(link::TesterConnection &connection) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const quint32 address = m_session.testerAddress;
        // Stored before connecting, so an address that fails is kept too.
        writePreferences(address);
        const link::Outcome login = connection.connectAndLogin(address, m_session.password);
        if (login != link::Outcome::Success) {
            QApplication::restoreOverrideCursor();
            show(link::interactiveNotice(login, address));
            return !link::keepsWindowOpen(login);
        }
        Notices notices;
        switch (m_code) {
        case OperationCode::Download:
            notices = download(connection, address);
            break;
        case OperationCode::DownloadConfig:
            notices = downloadConfiguration(connection, address);
            break;
        case OperationCode::UploadConfig:
            notices = upload(connection, address);
            break;
        }
        // The boxes come after the cursor is back, so none shows the wait cursor.
        QApplication::restoreOverrideCursor();
        for (const Notice &notice : notices)
            show(notice);
        return true;
    }

    Notices download(link::TesterConnection &connection, quint32 address) {
        const auto transfer = connection.downloadDatalogger(m_session.password);
        if (transfer.outcome != link::Outcome::Success)
            return {link::interactiveNotice(transfer.outcome, address)};
        if (!m_targets.table)
            return {};
        call(m_targets.beforeTableChange);
        const records::MergeResult merge =
            records::mergeDataloggerImage(*m_targets.table, transfer.image);
        call(m_targets.afterTableChange);
        if (merge.transferPeripheralNumber && m_targets.config) {
            m_targets.config->setPeripheralNumber(*merge.transferPeripheralNumber);
            call(m_targets.afterConfigChange);
        }
        Notices notices = merge.notices;
        if (merge.imageAccepted)
            notices.append(records::mergeCountNotice(merge.added));
        return notices;
    }

    Notices downloadConfiguration(link::TesterConnection &connection, quint32 address) {
        const auto transfer = connection.downloadConfiguration(m_session.password);
        if (transfer.outcome != link::Outcome::Success)
            return {link::interactiveNotice(transfer.outcome, address)};
        if (!m_targets.config)
            return {};
        const config::DecodeResult decoded = config::decodeConfigurationTransfer(
            *m_targets.config, transfer.image, formatAddress(address));
        if (decoded.ok && m_targets.setConfigCaption)
            m_targets.setConfigCaption(decoded.caption);
        // Even a rejected image has set the peripheral number.
        call(m_targets.afterConfigChange);
        return decoded.notices;
    }

    Notices upload(link::TesterConnection &connection, quint32 address) {
        if (!m_targets.config)
            return {};
        const QByteArray image = config::encodeConfigurationTransfer(*m_targets.config);
        // Encoding for the tester names the tester as the configuration's source.
        if (m_targets.setConfigCaption)
            m_targets.setConfigCaption(formatAddress(address));
        const link::Outcome outcome = connection.uploadConfiguration(m_session.password, image);
        return {link::interactiveNotice(outcome, address)};
    }

    void show(const Notice &notice) {
        if (notice.title.isEmpty() && notice.text.isEmpty())
            return;
        // A box the operation opens must close normally, not count as a close request.
        PausedCloseWatch paused(m_watch);
        m_dialogs.showNotice(notice);
    }

    OperationCode m_code;
    Session &m_session;
    UserDialogs &m_dialogs;
    QWidget *m_owner;
    const OperationTargets &m_targets;
    OperationCloseWatch m_watch;
    OperationWindow m_window;
    bool m_pressed = false;
};

} // namespace

QString actionText(OperationCode code) {
    switch (code) {
    case OperationCode::DownloadConfig:
        return QStringLiteral("Download Config");
    case OperationCode::UploadConfig:
        return QStringLiteral("Upload Config");
    case OperationCode::Download:
        break;
    }
    return QStringLiteral("Download");
}

OperationSettings &operationSettings() {
    static OperationSettings settings;
    return settings;
}

link::TesterConnection &programConnection() {
    static link::TesterConnection *connection = nullptr;
    if (!connection) {
        connection = new link::TesterConnection(operationSettings().timings);
        // The socket must go while the application still exists; this also
        // closes the last operation's connection at the end of the program.
        qAddPostRoutine([] {
            delete connection;
            connection = nullptr;
        });
    }
    return *connection;
}

void runTesterOperation(OperationCode code, Session &session, UserDialogs &dialogs, QWidget *owner,
                        const OperationTargets &targets) {
    InteractiveOperation(code, session, dialogs, owner, targets).run();
}

} // namespace nxa::app
