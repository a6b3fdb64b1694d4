#include "collect/CollectDownload.h"

#include "collect/Archive.h"
#include "collect/ArchiveStore.h"
#include "collect/CollectSignals.h"
#include "collect/ImageRecords.h"
#include "collect/PasswordFile.h"
#include "common/ResultCodes.h"
#include "link/TesterConnection.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>

#include <optional>

namespace nxa::collect {

namespace {

constexpr int kStoreTries = 3;

struct Fetched {
    ResultCode code = ResultCode::Ok;
    QString detail;
    QByteArray image; // transfer form, on success
};

Fetched fetch(const TesterEntry &tester, const link::LinkTimings &timings) {
    Fetched fetched;
    if (stopRequested()) {
        fetched.code = ResultCode::Aborted;
        return fetched;
    }
    if (!tester.problem.isEmpty()) {
        fetched.code = ResultCode::WrongParameters;
        fetched.detail = tester.problem;
        return fetched;
    }
    const PasswordRead password = readPasswordFile(tester.passwordFile);
    if (!password.error.isEmpty()) {
        fetched.code = ResultCode::WrongParameters;
        fetched.detail = password.error;
        return fetched;
    }

    link::TesterConnection connection(timings);
    // As on the manager's command line: a stop request ends the run as aborted.
    connection.setAbortIsFinal(true);
    link::LinkHooks hooks;
    // The waits let this worker thread's own events complete the connection.
    hooks.pumpEvents = [] {
        QCoreApplication::processEvents();
        return stopRequested();
    };
    connection.setHooks(hooks);
    const link::Outcome login =
        connection.connectAndLogin(tester.address, tester.port, password.password);
    if (login != link::Outcome::Success) {
        fetched.code = link::resultCode(login);
        return fetched;
    }
    const link::TesterConnection::Transfer transfer =
        connection.downloadDatalogger(password.password);
    connection.close();
    if (transfer.outcome != link::Outcome::Success) {
        fetched.code = link::resultCode(transfer.outcome);
        return fetched;
    }
    fetched.image = transfer.image;
    return fetched;
}

// The archive connection of one worker. It stays open for the worker's whole
// run: a connection that closes while another collector writes may run the
// closing checkpoint of the SQLite log under that writer's feet.
class WorkerArchive {
public:
    explicit WorkerArchive(const CollectConfig &config) : m_config(config) {}

    Archive *get(QString &error) {
        if (!m_archive) {
            Archive::Opened opened = Archive::open(m_config.archive, m_config.lockWaitMs, false);
            m_archive = std::move(opened.archive);
            error = opened.error;
        }
        return m_archive.get();
    }
    // After a failure the next try starts on a fresh connection.
    void drop() { m_archive.reset(); }

private:
    const CollectConfig &m_config;
    std::unique_ptr<Archive> m_archive;
};

class DownloadRun {
public:
    DownloadRun(const CollectConfig &config, const QList<TesterEntry> &testers,
                const DownloadRequest &request,
                const std::function<void(const TesterResult &)> &finished)
        : m_config(config), m_testers(testers), m_request(request), m_finished(finished) {}

    // Takes testers one after the other until none is left.
    void work() {
        WorkerArchive archive(m_config);
        for (;;) {
            const int next = m_next.fetchAndAddRelaxed(1);
            if (next >= m_testers.size())
                return;
            runOne(m_testers[next], archive);
        }
    }

private:
    void runOne(const TesterEntry &tester, WorkerArchive &archive) {
        TesterResult result;
        result.name = tester.name;
        result.address = tester.addressText;
        Attempt attempt;
        attempt.startedMs = QDateTime::currentMSecsSinceEpoch();
        const Fetched fetched = fetch(tester, m_request.timings);
        result.code = fetched.code;
        result.detail = fetched.detail;
        std::vector<ArchivedRecord> records;
        bool withRecords = false;
        if (result.code == ResultCode::Ok) {
            attempt.digest = QCryptographicHash::hash(fetched.image, QCryptographicHash::Sha256);
            // An image this tester already delivered whole brings nothing new.
            if (const std::optional<int> known = knownImage(archive, tester, attempt.digest)) {
                result.received = *known;
            } else {
                DecodedImage decoded = decodeImage(fetched.image);
                // An image without its mark holds nothing that can be trusted.
                if (!decoded.accepted) {
                    result.code = ResultCode::CommunicationFailure;
                    result.detail = QStringLiteral("Wrong data format");
                    attempt.digest.clear();
                }
                records = std::move(decoded.records);
                result.received = static_cast<int>(records.size());
                withRecords = decoded.accepted;
            }
        }
        attempt.result = number(result.code);
        attempt.received = result.received;
        attempt.endedMs = QDateTime::currentMSecsSinceEpoch();
        store(archive, tester, attempt, records, withRecords, result);
        QMutexLocker lock(&m_reportMutex);
        m_finished(result);
    }

    static std::optional<int> knownImage(WorkerArchive &connection, const TesterEntry &tester,
                                         const QByteArray &digest) {
        QString error;
        Archive *archive = connection.get(error);
        return archive ? receivedOfStoredImage(*archive, tester, digest) : std::nullopt;
    }

    void store(WorkerArchive &archive, const TesterEntry &tester, Attempt attempt,
               const std::vector<ArchivedRecord> &records, bool withRecords, TesterResult &result) {
        // Each try is a whole transaction, so a try that failed left nothing behind.
        Stored stored;
        for (int attemptNumber = 0; attemptNumber < kStoreTries; ++attemptNumber) {
            stored = storeOnce(archive, tester, attempt, records, withRecords);
            if (stored.ok || !stored.transient)
                break;
        }
        if (stored.ok) {
            result.added = stored.added;
            return;
        }
        cannotStore(result, stored.error);
        if (attempt.result != number(ResultCode::Ok))
            return;
        // The attempt itself is kept even when its records could not be.
        attempt.result = number(result.code);
        attempt.digest.clear();
        const Stored failed = storeOnce(archive, tester, attempt, records, false);
        if (!failed.ok)
            cannotStore(result, failed.error);
    }

    Stored storeOnce(WorkerArchive &connection, const TesterEntry &tester, const Attempt &attempt,
                     const std::vector<ArchivedRecord> &records, bool withRecords) {
        QString error;
        Archive *archive = connection.get(error);
        if (!archive)
            return {false, 0, error, false};
        // One writer at a time within this process: SQLite would make the
        // others sleep and retry, which costs more than waiting in turn.
        std::optional<QMutexLocker<QMutex>> writer;
        if (archive->isSqlite())
            writer.emplace(&m_sqliteWriter);
        const Stored stored = withRecords ? storeDownload(*archive, tester, attempt, records)
                                          : storeAttempt(*archive, tester, attempt);
        if (!stored.ok)
            connection.drop();
        return stored;
    }

    static void cannotStore(TesterResult &result, const QString &error) {
        const QString text = QStringLiteral("cannot write to the archive: ") + error;
        result.detail =
            result.detail.isEmpty() ? text : result.detail + QStringLiteral("; ") + text;
        if (result.code == ResultCode::Ok)
            result.code = ResultCode::CantCreateFile;
        result.added = 0;
    }

    const CollectConfig &m_config;
    const QList<TesterEntry> &m_testers;
    const DownloadRequest &m_request;
    const std::function<void(const TesterResult &)> &m_finished;
    QAtomicInt m_next = 0;
    QMutex m_reportMutex;
    QMutex m_sqliteWriter;
};

} // namespace

QString resultText(int code) {
    const QString text = resultLogText(static_cast<ResultCode>(code)).trimmed();
    const qsizetype dash = text.indexOf(QLatin1String(" - "));
    return dash < 0 ? text : text.mid(dash + 3);
}

QString resultLine(const TesterResult &result) {
    return QStringLiteral("%1  %2  %3  %4  %5/%6")
        .arg(result.name, result.address)
        .arg(number(result.code))
        .arg(resultText(number(result.code)))
        .arg(result.added)
        .arg(result.received);
}

bool runDownloads(const CollectConfig &config, const DownloadRequest &request,
                  const std::function<void(const TesterResult &)> &finished, QString &error) {
    QList<TesterEntry> chosen;
    QStringList names = request.names;
    // A tester named twice is still downloaded once: it takes one connection.
    names.removeDuplicates();
    if (names.isEmpty()) {
        chosen = config.testers;
    } else {
        for (const QString &name : names) {
            const auto found =
                std::find_if(config.testers.begin(), config.testers.end(),
                             [&name](const TesterEntry &t) { return t.name == name; });
            if (found == config.testers.end()) {
                error = QStringLiteral("no tester named \"%1\" in the configuration").arg(name);
                return false;
            }
            chosen.append(*found);
        }
    }
    // Created or brought up to date once, before any tester writes to it.
    const Archive::Opened opened = Archive::open(config.archive, config.lockWaitMs, true);
    if (!opened.archive) {
        error = opened.error;
        return false;
    }

    DownloadRun run(config, chosen, request, finished);
    const int workers = std::min(std::max(1, request.jobs), static_cast<int>(chosen.size()));
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, workers));
    for (int w = 0; w < workers; ++w)
        pool.start([&run] { run.work(); });
    pool.waitForDone();
    return true;
}

} // namespace nxa::collect
