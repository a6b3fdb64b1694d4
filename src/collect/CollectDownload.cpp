#include "collect/CollectDownload.h"

#include "collect/Archive.h"
#include "collect/ArchiveStore.h"
#include "collect/CollectSignals.h"
#include "collect/DecodedImage.h"
#include "collect/PasswordFile.h"
#include "collect/RunLock.h"
#include "common/ResultCodes.h"
#include "link/TesterConnection.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>

#include <optional>

namespace nxa::collect {

namespace {

constexpr int kStoreTries = 3;
constexpr int kMsPerSecond = 1000;

struct Transferred {
    ResultCode code = ResultCode::Ok;
    QString detail;
    QByteArray image; // transfer form, on success
};

struct Fetched : Transferred {
    // The tester's configuration, fetched after a successful datalogger
    // download; nothing when it was not asked for.
    std::optional<Transferred> configuration;
};

// One login and one command on a connection of its own, within the tester's
// deadline.
Transferred transfer(const TesterEntry &tester, const QString &password,
                     const link::LinkTimings &timings, bool configuration) {
    Transferred done;
    link::TesterConnection connection(timings);
    // As on the manager's command line: a stop request ends the run as aborted.
    connection.setAbortIsFinal(true);
    // A tester that keeps sending a trickle never reaches the idle time-out;
    // the deadline ends it all the same.
    QElapsedTimer elapsed;
    elapsed.start();
    bool pastDeadline = false;
    link::LinkHooks hooks;
    // The waits let this worker thread's own events complete the connection.
    hooks.pumpEvents = [&] {
        QCoreApplication::processEvents();
        pastDeadline = pastDeadline || elapsed.elapsed() > tester.deadlineMs;
        return pastDeadline || stopRequested();
    };
    connection.setHooks(hooks);
    auto failed = [&](link::Outcome outcome) {
        done.code = link::resultCode(outcome);
        if (outcome == link::Outcome::Aborted && pastDeadline && !stopRequested()) {
            done.code = ResultCode::CommunicationFailure;
            done.detail = QStringLiteral("no whole download within the deadline of %1 s")
                              .arg(tester.deadlineMs / double(kMsPerSecond));
        }
        return done;
    };
    const link::Outcome login = connection.connectAndLogin(tester.address, tester.port, password);
    if (login != link::Outcome::Success)
        return failed(login);
    const link::TesterConnection::Transfer received =
        configuration ? connection.downloadConfiguration(password)
                      : connection.downloadDatalogger(password);
    connection.close();
    if (received.outcome != link::Outcome::Success)
        return failed(received.outcome);
    done.image = received.image;
    return done;
}

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
    static_cast<Transferred &>(fetched) = transfer(tester, password.password, timings, false);
    if (fetched.code == ResultCode::Ok && tester.collectConfiguration && !stopRequested())
        fetched.configuration = transfer(tester, password.password, timings, true);
    return fetched;
}

// The archive connection of one worker. It stays open for the worker's whole
// run: a connection that closes while another collector writes may run the
// closing checkpoint of the SQLite log under that writer's feet.
class WorkerArchive {
public:
    WorkerArchive(const CollectConfig &config, LockWaitBudget &budget)
        : m_config(config), m_budget(budget) {}

    Archive *get(QString &error) {
        if (!m_archive) {
            Archive::Opened opened =
                Archive::open(m_config.archive, m_budget, Archive::Access::Write);
            m_archive = std::move(opened.archive);
            error = opened.error;
        }
        return m_archive.get();
    }
    // After a failure the next try starts on a fresh connection.
    void drop() { m_archive.reset(); }

private:
    const CollectConfig &m_config;
    LockWaitBudget &m_budget;
    std::unique_ptr<Archive> m_archive;
};

class Collection {
public:
    Collection(const CollectConfig &config, const QList<TesterEntry> &testers,
               const DownloadRequest &request, LockWaitBudget &budget,
               const std::function<void(const TesterResult &)> &finished)
        : m_config(config), m_testers(testers), m_request(request), m_budget(budget),
          m_finished(finished), m_results(static_cast<size_t>(testers.size())) {}

    // Takes testers one after the other until none is left.
    void work() {
        WorkerArchive archive(m_config, m_budget);
        for (;;) {
            const int next = m_next.fetchAndAddRelaxed(1);
            if (next >= m_testers.size())
                return;
            report(next, runOne(m_testers[next], archive));
        }
    }

private:
    // Lines come out in the configuration's order, each as soon as it and
    // every line before it are known.
    void report(int index, TesterResult result) {
        QMutexLocker lock(&m_reportMutex);
        m_results[static_cast<size_t>(index)] = std::move(result);
        while (m_reported < m_results.size() && m_results[m_reported])
            m_finished(*m_results[m_reported++]);
    }

    TesterResult runOne(const TesterEntry &tester, WorkerArchive &archive) {
        TesterResult result;
        result.name = tester.name;
        result.address = tester.addressText;
        Attempt attempt;
        attempt.startedMs = QDateTime::currentMSecsSinceEpoch();
        const Fetched fetched = fetch(tester, m_request.timings);
        result.code = fetched.code;
        result.detail = fetched.detail;
        DecodedImage image;
        if (result.code == ResultCode::Ok) {
            attempt.digest = QCryptographicHash::hash(fetched.image, QCryptographicHash::Sha256);
            // An image this tester already delivered whole brings nothing new.
            if (const std::optional<KnownImage> known =
                    knownImage(archive, tester, attempt.digest)) {
                result.received = known->received;
                attempt.imageRecords = known->imageRecords;
            } else {
                image = decodeImage(fetched.image);
                // An image without its mark holds nothing that can be trusted.
                if (!image.accepted()) {
                    result.code = ResultCode::CommunicationFailure;
                    result.detail = QStringLiteral("Wrong data format");
                    attempt.digest.clear();
                }
                result.received = image.size();
                attempt.imageRecords = image.headerCount();
            }
        }
        if (fetched.configuration) {
            if (fetched.configuration->code == ResultCode::Ok) {
                attempt.configuration = decodeFetchedConfiguration(fetched.configuration->image);
                attempt.configuration->takenMs = QDateTime::currentMSecsSinceEpoch();
            } else {
                attempt.configuration = FetchedConfiguration{
                    number(fetched.configuration->code), fetched.configuration->detail, {}, 0, {}};
            }
            result.configurationCode = attempt.configuration->result;
            result.configurationDetail = attempt.configuration->detail;
        }
        attempt.result = number(result.code);
        attempt.received = result.received;
        attempt.detail = result.detail;
        attempt.endedMs = QDateTime::currentMSecsSinceEpoch();
        store(archive, tester, attempt, image, image.accepted(), result);
        return result;
    }

    static std::optional<KnownImage>
    knownImage(WorkerArchive &connection, const TesterEntry &tester, const QByteArray &digest) {
        QString error;
        Archive *archive = connection.get(error);
        return archive ? storedImage(*archive, tester, digest) : std::nullopt;
    }

    void store(WorkerArchive &archive, const TesterEntry &tester, Attempt attempt,
               const DecodedImage &image, bool withRecords, TesterResult &result) {
        // Each try is a whole transaction, so a try that failed left nothing behind.
        Stored stored;
        for (int attemptNumber = 0; attemptNumber < kStoreTries; ++attemptNumber) {
            stored = storeOnce(archive, tester, attempt, image, withRecords);
            if (stored.ok || !stored.transient)
                break;
        }
        if (stored.ok) {
            result.added = stored.added;
            result.gap = stored.gap;
            return;
        }
        cannotStore(result, stored.error);
        if (attempt.result != number(ResultCode::Ok))
            return;
        // The attempt itself is kept even when its records could not be; when
        // that fails too, it is for the reason the line already gives.
        attempt.result = number(result.code);
        attempt.detail = result.detail;
        attempt.digest.clear();
        storeOnce(archive, tester, attempt, image, false);
    }

    Stored storeOnce(WorkerArchive &connection, const TesterEntry &tester, const Attempt &attempt,
                     const DecodedImage &image, bool withRecords) {
        QString error;
        Archive *archive = connection.get(error);
        if (!archive)
            return {false, 0, error, false, std::nullopt};
        // One writer at a time within this process: SQLite would make the
        // others sleep and retry, which costs more than waiting in turn.
        std::optional<QMutexLocker<QMutex>> writer;
        if (archive->isSqlite())
            writer.emplace(&m_sqliteWriter);
        const Stored stored = withRecords ? storeDownload(*archive, tester, attempt, image)
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
        result.gap.reset();
    }

    const CollectConfig &m_config;
    const QList<TesterEntry> &m_testers;
    const DownloadRequest &m_request;
    LockWaitBudget &m_budget;
    const std::function<void(const TesterResult &)> &m_finished;
    QAtomicInt m_next = 0;
    QMutex m_reportMutex;
    std::vector<std::optional<TesterResult>> m_results;
    size_t m_reported = 0;
    QMutex m_sqliteWriter;
};

} // namespace

QString resultText(int code) {
    const QString text = resultLogText(static_cast<ResultCode>(code)).trimmed();
    const qsizetype dash = text.indexOf(QLatin1String(" - "));
    return dash < 0 ? text : text.mid(dash + 3);
}

QString resultLine(const TesterResult &result) {
    QString line = QStringLiteral("%1  %2  %3  %4  %5/%6")
                       .arg(result.name, result.address)
                       .arg(number(result.code))
                       .arg(resultText(number(result.code)))
                       .arg(result.added)
                       .arg(result.received);
    if (result.gap)
        line += QStringLiteral("  gap: the tester was full and none of its records had been "
                               "archived: records written between %1 and %2 were lost; collect "
                               "more often")
                    .arg(result.gap->after.isEmpty() ? QStringLiteral("the last collection")
                                                     : result.gap->after,
                         result.gap->before.isEmpty() ? QStringLiteral("its oldest record")
                                                      : result.gap->before);
    if (!result.detail.isEmpty())
        line += QStringLiteral("  ") + result.detail;
    // The records are archived all the same; only the limits of this run
    // are missing.
    if (result.configurationCode && *result.configurationCode != number(ResultCode::Ok))
        line += QStringLiteral("  configuration not collected: %1 %2%3")
                    .arg(*result.configurationCode)
                    .arg(resultText(*result.configurationCode),
                         result.configurationDetail.isEmpty()
                             ? QString()
                             : QStringLiteral(" (%1)").arg(result.configurationDetail));
    return line;
}

DownloadRun runDownloads(const CollectConfig &config, const DownloadRequest &request,
                         const std::function<void(int testers)> &started,
                         const std::function<void(const TesterResult &)> &finished) {
    DownloadRun run;
    QList<TesterEntry> chosen;
    QStringList names = request.names;
    // A tester named twice is still downloaded once: it takes one connection.
    names.removeDuplicates();
    for (const TesterEntry &tester : config.testers)
        if (names.isEmpty() || names.contains(tester.name))
            chosen.append(tester);
    for (const QString &name : std::as_const(names)) {
        if (std::none_of(config.testers.begin(), config.testers.end(),
                         [&name](const TesterEntry &t) { return t.name == name; })) {
            run.outcome = DownloadRun::Outcome::UnknownTester;
            run.error = QStringLiteral("no tester named \"%1\" in the configuration").arg(name);
            return run;
        }
    }
    LockWaitBudget budget(config.lockWaitMs);
    std::unique_ptr<RunLock> lock;
    auto takeLock = [&](Archive *archive) {
        RunLock::Taken taken = RunLock::take(config.archive, archive);
        if (!taken.lock) {
            run.outcome =
                taken.heldByOther ? DownloadRun::Outcome::Busy : DownloadRun::Outcome::Unusable;
            run.error = taken.error;
        }
        lock = std::move(taken.lock);
        return lock != nullptr;
    };
    // A SQLite archive is locked before it is created or brought up to date;
    // a server's lock lives in the session of the connection that holds it.
    if (config.archive.kind == ArchiveLocation::Kind::Sqlite && !takeLock(nullptr))
        return run;
    const Archive::Opened opened =
        Archive::open(config.archive, budget, Archive::Access::Prepare, request.upgradeProgress);
    if (!opened.archive) {
        run.outcome =
            opened.foreign ? DownloadRun::Outcome::Foreign : DownloadRun::Outcome::Unusable;
        run.error = opened.error;
        return run;
    }
    if (config.archive.kind == ArchiveLocation::Kind::Postgres && !takeLock(opened.archive.get()))
        return run;

    run.testers = static_cast<int>(chosen.size());
    started(run.testers);
    Collection collection(config, chosen, request, budget, finished);
    const int workers = std::min(std::max(1, request.jobs), static_cast<int>(chosen.size()));
    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, workers));
    for (int w = 0; w < workers; ++w)
        pool.start([&collection] { collection.work(); });
    pool.waitForDone();
    return run;
}

} // namespace nxa::collect
