#include "collect/PostgresCopy.h"

#include "collect/Archive.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <libpq-fe.h>

#include <array>

namespace nxa::collect {

namespace {

// The load table's columns: the record's bytes, occurrence and position, the
// 13 cells in the table's column order, then the typed columns, as in the
// records table.
constexpr char kLoadColumns[] =
    "raw, occurrence, seq, pn, user_id, visitor, user_name, wrist_strap, shoe_l, shoe_r, shoe_lr, "
    "passed, relay, recognition, record_date, record_time, local_time, local_date, user_number, "
    "is_visitor, is_pass, relay_on, by_keyboard, ws_kohm, l_kohm, r_kohm, lr_kohm";
constexpr qint16 kFieldsPerRow = 27;

// Temporary tables belong to the connection; its rows go at every commit, and
// a rolled-back transaction takes a table it created with it.
constexpr char kCreateLoadTable[] =
    "CREATE TEMPORARY TABLE IF NOT EXISTS records_load (raw BYTEA NOT NULL, occurrence INTEGER "
    "NOT NULL, seq INTEGER NOT NULL, pn TEXT NOT NULL, user_id TEXT NOT NULL, visitor TEXT NOT "
    "NULL, user_name TEXT NOT NULL, wrist_strap TEXT NOT NULL, shoe_l TEXT NOT NULL, shoe_r TEXT "
    "NOT NULL, shoe_lr TEXT NOT NULL, passed TEXT NOT NULL, relay TEXT NOT NULL, recognition "
    "TEXT NOT NULL, record_date TEXT NOT NULL, record_time TEXT NOT NULL, local_time TIMESTAMP, "
    "local_date DATE, user_number INTEGER NOT NULL, is_visitor BOOLEAN NOT NULL, is_pass BOOLEAN "
    "NOT NULL, relay_on BOOLEAN NOT NULL, by_keyboard BOOLEAN NOT NULL, ws_kohm INTEGER, l_kohm "
    "INTEGER, r_kohm INTEGER, lr_kohm INTEGER) ON COMMIT DELETE ROWS";

// The binary form's signature, flags and header extension length.
constexpr char kCopyHeader[] = "PGCOPY\n\377\r\n\0\0\0\0\0\0\0\0\0";
constexpr int kCopyHeaderSize = 19;
// Sent to the server whenever this much is buffered.
constexpr qsizetype kSendBytes = 1 << 18;

// The server counts timestamps and dates from 2000-01-01.
constexpr qint64 kEpochJulianDay = 2451545;
constexpr qint64 kMicrosecondsPerDay = 86400LL * 1000000;

class CopyBuffer {
public:
    QByteArray bytes;

    void int16(qint16 value) { bigEndian(quint64(quint16(value)), 2); }
    void int32(qint32 value) { bigEndian(quint64(quint32(value)), 4); }
    void int64(qint64 value) { bigEndian(quint64(value), 8); }

    void null() { int32(-1); }
    void integer(int value) {
        int32(4);
        int32(value);
    }
    void integerOrNull(const std::optional<int> &value) {
        if (value)
            integer(*value);
        else
            null();
    }
    void boolean(bool value) {
        int32(1);
        bytes += value ? '\1' : '\0';
    }
    void raw(QByteArrayView value) {
        int32(qint32(value.size()));
        bytes.append(value);
    }
    void text(QByteArrayView utf8) { raw(utf8); }

private:
    void bigEndian(quint64 value, int size) {
        for (int i = size - 1; i >= 0; --i)
            bytes += static_cast<char>(value >> (8 * i));
    }
};

int digits(QByteArrayView text, int at, int count) {
    int value = 0;
    for (int i = at; i < at + count; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// Days since the server's epoch of a "yyyy-MM-dd..." text that names a valid day.
qint64 serverDays(QByteArrayView localTime) {
    return QDate(digits(localTime, 0, 4), digits(localTime, 5, 2), digits(localTime, 8, 2))
               .toJulianDay() -
           kEpochJulianDay;
}

// The one place that reads an archived record: its values in the load
// table's column order.
void appendRow(CopyBuffer &out, const RecordValues &v) {
    out.int16(kFieldsPerRow);
    out.raw(v.raw);
    out.integer(v.occurrence);
    out.integer(v.seq);
    for (const QByteArrayView cell : v.cells)
        out.text(cell);
    if (v.localTime.isEmpty()) {
        out.null();
        out.null();
    } else {
        const qint64 days = serverDays(v.localTime);
        const qint64 seconds = digits(v.localTime, 11, 2) * 3600 + digits(v.localTime, 14, 2) * 60 +
                               digits(v.localTime, 17, 2);
        out.int32(8);
        out.int64(days * kMicrosecondsPerDay + seconds * 1000000);
        out.int32(4);
        out.int32(qint32(days));
    }
    out.integer(v.user);
    for (const bool flag : {v.visitor, v.pass, v.relay, v.keyboard})
        out.boolean(flag);
    for (const std::optional<int> &value : {v.wristStrap, v.left, v.right, v.leftRight})
        out.integerOrNull(value);
}

// A failure of libpq or the server, noted as the archive's last error in the
// form the Qt driver's failures take.
QString noteFailure(Archive &archive, PGconn *connection, const PGresult *result) {
    const char *code = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char *message = result ? PQresultErrorMessage(result) : nullptr;
    if (!message || !*message)
        message = PQerrorMessage(connection);
    archive.setLastError(QSqlError(QStringLiteral("COPY"), QString::fromUtf8(message),
                                   QSqlError::StatementError,
                                   QString::fromLatin1(code ? code : "")));
    return archive.lastError();
}

// Reads what the server still has to say about the last command, so the
// connection is ready for the next one. False when it failed; the first
// failure is noted when `note` is set.
bool drainResults(Archive &archive, PGconn *connection, bool note, QString &error) {
    bool ok = true;
    while (PGresult *result = PQgetResult(connection)) {
        const ExecStatusType status = PQresultStatus(result);
        if (ok && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            if (note)
                error = noteFailure(archive, connection, result);
            ok = false;
        }
        PQclear(result);
    }
    return ok;
}

// Sends the rows; false (with `error`) when the connection failed. The
// server's verdict on them comes with the end of the copy.
bool sendRows(Archive &archive, PGconn *connection, const DecodedImage &image, int first,
              QString &error) {
    CopyBuffer buffer;
    buffer.bytes.reserve(kSendBytes + 4096);
    buffer.bytes.append(kCopyHeader, kCopyHeaderSize);
    const auto send = [&]() {
        if (PQputCopyData(connection, buffer.bytes.constData(), int(buffer.bytes.size())) != 1)
            return false;
        buffer.bytes.resize(0);
        return true;
    };
    RecordValuesReader reader(image);
    for (int i = first; i < image.size(); ++i) {
        appendRow(buffer, reader.read(i));
        if (buffer.bytes.size() >= kSendBytes && !send()) {
            error = noteFailure(archive, connection, nullptr);
            return false;
        }
    }
    buffer.int16(-1); // the end of the rows
    if (!send()) {
        error = noteFailure(archive, connection, nullptr);
        return false;
    }
    return true;
}

bool copyIntoLoadTable(Archive &archive, PGconn *connection, const DecodedImage &image, int first,
                       QString &error) {
    const QByteArray copy =
        QByteArrayLiteral("COPY records_load (") + kLoadColumns + ") FROM STDIN (FORMAT binary)";
    PGresult *started = PQexec(connection, copy.constData());
    if (PQresultStatus(started) != PGRES_COPY_IN) {
        error = noteFailure(archive, connection, started);
        PQclear(started);
        drainResults(archive, connection, false, error);
        return false;
    }
    PQclear(started);
    const bool sent = sendRows(archive, connection, image, first, error);
    // A copy given up on is ended with a reason, so the server fails it
    // instead of taking the rows sent so far.
    const bool ended = PQputCopyEnd(connection, sent ? nullptr : "the rows could not be sent") == 1;
    if (sent && !ended)
        error = noteFailure(archive, connection, nullptr);
    // Only the first failure is told: the later ones follow from it.
    return drainResults(archive, connection, sent && ended, error) && sent && ended;
}

} // namespace

std::optional<int> copyRecordsPostgres(Archive &archive, qint64 tester, qint64 attempt,
                                       const DecodedImage &image, int first, QString &error) {
    PGconn *connection = archive.postgresHandle();
    // The rows must go into the transaction the Qt driver began: its
    // connection, idle within that transaction.
    if (!connection || PQtransactionStatus(connection) != PQTRANS_INTRANS) {
        archive.setLastError(QStringLiteral("the archive's connection is not in its write "
                                            "transaction"),
                             QStringLiteral("internal"));
        error = archive.lastError();
        return std::nullopt;
    }
    // Binary timestamps are counted in microseconds on every server since
    // version 10; an older one built otherwise is refused, not misread.
    if (qstrcmp(PQparameterStatus(connection, "integer_datetimes"), "on") != 0) {
        archive.setLastError(QStringLiteral("the server does not count time in whole "
                                            "microseconds"),
                             QStringLiteral("integer_datetimes"));
        error = archive.lastError();
        return std::nullopt;
    }
    if (first >= image.size())
        return 0;
    QSqlQuery query(archive.database());
    if (!query.exec(QString::fromLatin1(kCreateLoadTable))) {
        error = archive.failure(query);
        return std::nullopt;
    }
    if (!copyIntoLoadTable(archive, connection, image, first, error))
        return std::nullopt;
    // The primary key is the identity of an access: one archived already, by
    // this run or an earlier one, keeps the cells it was first archived with.
    const QString insert =
        QStringLiteral("INSERT INTO records (tester, attempt, %1) SELECT %2, %3, %1 FROM "
                       "records_load ON CONFLICT DO NOTHING")
            .arg(QLatin1String(kLoadColumns))
            .arg(tester)
            .arg(attempt);
    if (!query.exec(insert)) {
        error = archive.failure(query);
        return std::nullopt;
    }
    return query.numRowsAffected();
}

} // namespace nxa::collect
