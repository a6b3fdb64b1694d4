#include "app/commandline/CommandLineLog.h"

#include "app/commandline/CommandLineSignals.h"

#include "common/RegularFile.h"
#include "common/ResultCodes.h"
#include "common/TesterAddress.h"

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <cstdio>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nxa::app {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr unsigned kLockRetryUs = 20000;

LogAppend lockWithin(int fd, const std::function<bool()> &stopWaiting, int lockWaitMs) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return LogAppend::Written;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return LogAppend::NotOpened;
        if (stopWaiting && stopWaiting())
            return LogAppend::WaitStopped;
        if (waited.elapsed() >= lockWaitMs)
            return LogAppend::Locked;
        ::usleep(kLockRetryUs);
    }
}

} // namespace

QString runStampText(const QDateTime &when) {
    return when.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss"));
}

QString runDescriptionText(quint32 address, const QString &outputPath) {
    // A line break in the path would split the record's description line.
    QString path = outputPath;
    path.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    path.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QStringLiteral("Extract data from ") + formatAddress(address) + QStringLiteral(" to ") +
           path;
}

QByteArray logRecord(const QString &stamp, const QString &description, ResultCode resultCode,
                     bool separated) {
    QByteArray record;
    if (separated)
        record += kLineEnd;
    record += stamp.toUtf8() + kLineEnd;
    record += description.toUtf8() + kLineEnd;
    record += resultLogText(resultCode).toUtf8() + kLineEnd;
    return record;
}

LogAppend appendLogRecord(const QString &path, const QString &stamp, const QString &description,
                          ResultCode resultCode, const std::function<bool()> &stopWaiting,
                          int lockWaitMs) {
    const int fd = openRegularFile(path, O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0)
        return LogAppend::NotOpened;
    // Runs that share the folder take turns: the separator is decided from
    // the size the record is appended to, and a record cut short can be taken
    // back before the next run appends its own. A lock that another process
    // never gives up must not hold the run for ever.
    const LogAppend locked = lockWithin(fd, stopWaiting, lockWaitMs);
    if (locked != LogAppend::Written) {
        ::close(fd);
        return locked;
    }
    struct stat info = {};
    bool written = ::fstat(fd, &info) == 0;
    if (written) {
        const QByteArray record = logRecord(stamp, description, resultCode, info.st_size > 0);
        qsizetype done = 0;
        while (done < record.size()) {
            const ssize_t n =
                ::write(fd, record.constData() + done, static_cast<size_t>(record.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        written = done == record.size();
        // A full disk or a file size limit took part of the record: the file
        // goes back to what it was, so no reader ever sees a torn record.
        if (!written && done > 0) {
            while (::ftruncate(fd, info.st_size) != 0 && errno == EINTR) {
            }
        }
    }
    ::close(fd);
    return written ? LogAppend::Written : LogAppend::NotWritten;
}

void appendRunRecord(const QString &stamp, const QString &description, ResultCode resultCode) {
    const int signalsBefore = terminationSignalCount();
    const LogAppend end =
        appendLogRecord(QString::fromLatin1(kLogFileName), stamp, description, resultCode,
                        [signalsBefore] { return terminationSignalCount() != signalsBefore; });
    QByteArray why;
    if (end == LogAppend::Locked)
        why = "Error: log.txt stayed locked by another process for " +
              QByteArray::number(kLogLockWaitMs / 1000) + " s: no record written.\n";
    else if (end == LogAppend::WaitStopped)
        why = "Error: a signal ended the wait for the lock of log.txt: no record written.\n";
    if (!why.isEmpty()) {
        std::fwrite(why.constData(), 1, static_cast<size_t>(why.size()), stderr);
        std::fflush(stderr);
        std::clearerr(stderr);
    }
}

} // namespace nxa::app
