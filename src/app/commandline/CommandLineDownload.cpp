#include "app/commandline/CommandLineDownload.h"

#include "app/commandline/CommandLineLog.h"
#include "app/commandline/EventViewerWindow.h"
#include "app/operation/OperationCloseWatch.h"
#include "app/operation/OperationHooks.h"
#include "app/operation/TesterOperation.h"
#include "app/shared/Preferences.h"
#include "app/shared/WindowPlacement.h"
#include "config/StationConfig.h"
#include "export/TextExport.h"
#include "export/WorkbookExport.h"
#include "link/TesterConnection.h"
#include "records/DataloggerMerge.h"
#include "records/DataloggerTable.h"

#include <QDateTime>
#include <QPushButton>

#include <optional>

namespace nxa::app {

namespace {

class CommandLineDownload {
public:
    CommandLineDownload(Session &session, const CommandLineParameters &parameters,
                        const CommandLineOutput &output)
        : m_session(session), m_parameters(parameters), m_output(output) {}

    void run() {
        // The duplicate keys stay empty: every record of the tester is a new row.
        m_table.clearDuplicateKeys();
        // Without a display nothing could show the window: its lines go to
        // the output alone, and no widget is made at all.
        if (!m_output.headless)
            m_window.emplace();

        m_session.runStamp = runStampText(QDateTime::currentDateTime());
        m_session.runDescription =
            runDescriptionText(m_session.testerAddress, m_parameters.outputPath);
        addLine(m_session.runStamp);
        addLine(m_session.runDescription);
        if (m_window) {
            m_window->show();
            centreWindow(*m_window);
        }

        // The window presses its own button through its event queue; without
        // one the run goes through the queue all the same, so a close request
        // that came first is taken first.
        bool pressed = false;
        QObject press;
        if (m_window) {
            QObject::connect(m_window->actionButton(), &QPushButton::clicked,
                             [&pressed] { pressed = true; });
            QMetaObject::invokeMethod(m_window->actionButton(), &QPushButton::click,
                                      Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(
                &press, [&pressed] { pressed = true; }, Qt::QueuedConnection);
        }
        waitForWindowEvents(m_watch, [&pressed] { return pressed; });
        // A close request handled together with the press stays in the watch:
        // the first receive wait takes it and the run ends as aborted. One
        // that came before the press ends the run the same way. Neither may
        // pass for a download that ran.
        if (pressed)
            connectSequence();
        else
            fail(link::Outcome::Aborted);

        if (m_window) {
            const int pause = operationSettings().timings.closingPauseMs;
            m_watch.take();
            waitForWindowEvents(
                m_watch, [] { return false; }, pause);
        }
        m_watch.pause();
        if (m_window)
            m_window->close();
    }

private:
    void connectSequence() {
        const quint32 address = m_session.testerAddress;
        // Stored before connecting, so a run leaves its address behind even
        // when the tester cannot be reached.
        writePreferences(address);

        link::TesterConnection &connection = programConnection();
        link::LinkTimings timings = operationSettings().timings;
        // Nobody is there to abort a tester that trickles, and a run that
        // never ends blocks the scheduler's next one.
        if (timings.transferDeadlineMs <= 0)
            timings.transferDeadlineMs = link::kUnattendedTransferDeadlineMs;
        connection.setTimings(timings);
        connection.setAbortIsFinal(true);
        connection.setHooks(operationLinkHooks(m_watch, m_window ? m_window->statusBar() : nullptr,
                                               [this](const Notice &n) { notify(n); }));

        const link::Outcome login = connection.connectAndLogin(address, m_session.password);
        if (login != link::Outcome::Success) {
            fail(login);
            return;
        }
        const auto transfer = connection.downloadDatalogger(m_session.password);
        if (transfer.outcome != link::Outcome::Success) {
            fail(transfer.outcome);
            return;
        }

        const records::MergeResult merge = records::mergeDataloggerImage(m_table, transfer.image);
        for (const Notice &notice : merge.notices)
            notify(notice);
        if (merge.transferPeripheralNumber)
            m_config.setPeripheralNumber(*merge.transferPeripheralNumber);
        // What arrived is no datalogger: exporting the empty table would
        // replace a good file and pass for a download that worked.
        if (!merge.imageAccepted) {
            addLine(kWrongDataFormatLine);
            m_session.resultCode = ResultCode::CommunicationFailure;
            return;
        }
        addLine(records::downloadCountLine(merge.added));

        const QString &path = m_parameters.outputPath;
        const exports::ExportResult exported = exportTable(path);
        addLine(exports::exportEventLine(exported, path));
        // A workbook continued on further sheets must not pass for a cut one.
        if (const QString continued = exports::sheetsContinuedLine(exported); !continued.isEmpty())
            addLine(continued);
        if (!exported.ok)
            m_session.resultCode = ResultCode::CantCreateFile;

        addLine(runStampText(QDateTime::currentDateTime()));
    }

    exports::ExportResult exportTable(const QString &path) const {
        // A name the program cannot hold as it was given would be written
        // under another name.
        if (!m_parameters.outputPathExact)
            return {false, path};
        return m_parameters.formatSwitch == QLatin1String(kTextSwitch)
                   ? exports::textExport(m_table, path)
                   : exports::workbookExport(m_table, path);
    }

    void addLine(const QString &line) {
        if (m_window)
            m_window->addLine(line);
        else if (m_output.line)
            m_output.line(line);
    }

    void fail(link::Outcome outcome) {
        addLine(link::commandLineLine(outcome, m_session.testerAddress));
        m_session.resultCode = link::resultCode(outcome);
    }

    void notify(const Notice &notice) {
        if (!m_output.notice)
            return;
        PausedCloseWatch paused(m_watch);
        m_output.notice(notice);
    }

    static inline const QString kWrongDataFormatLine =
        QStringLiteral("     2 - Error: Wrong data format");

    Session &m_session;
    const CommandLineParameters &m_parameters;
    const CommandLineOutput &m_output;
    records::DataloggerTable m_table;
    config::StationConfig m_config;
    OperationCloseWatch m_watch;
    std::optional<EventViewerWindow> m_window;
};

} // namespace

void runCommandLineDownload(Session &session, const CommandLineParameters &parameters,
                            const CommandLineOutput &output) {
    CommandLineDownload(session, parameters, output).run();
}

} // namespace nxa::app
