#include "collect/CollectCheckpoint.h"

#include "collect/Archive.h"
#include "collect/ArchiveLog.h"
#include "collect/Checkpoint.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>

namespace nxa::collect {

namespace {

struct StoredNote {
    quint64 size = 0;
    qint64 made = 0;
    QByteArray note;
    bool isSigned = false;
};

bool readNotes(Archive &archive, QList<StoredNote> &notes, QString &error) {
    QSqlQuery query(archive.database());
    if (!query.exec(QStringLiteral("SELECT size, made, note FROM checkpoints ORDER BY id"))) {
        error = archive.failure(query);
        return false;
    }
    while (query.next()) {
        StoredNote note{quint64(query.value(0).toLongLong()), query.value(1).toLongLong(),
                        query.value(2).toString().toUtf8(), false};
        note.isSigned = note.note.contains("\n\n");
        notes.append(note);
    }
    return true;
}

QString timeText(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// Never replaces what a witness holds: a different checkpoint of the same
// size there is the evidence of a rolled back or forked archive.
QString writeToWitness(const QString &folder, quint64 size, const QByteArray &note) {
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("the witness folder %1 does not exist").arg(folder);
    const QString path = QDir(folder).filePath(witnessFileName(size));
    QFile existing(path);
    if (existing.exists()) {
        if (!QFileInfo(path).isFile() || !existing.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read %1").arg(path);
        if (existing.read(note.size() + 1) == note)
            return {};
        return QStringLiteral("the witness holds another checkpoint of size %1 (%2); it was left "
                              "as it is: run nxa-collect verify")
            .arg(size)
            .arg(path);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(note) != note.size() || !file.commit())
        return QStringLiteral("cannot write the checkpoint to %1: %2")
            .arg(path, file.errorString());
    return {};
}

} // namespace

QString witnessFileName(quint64 size) {
    return QStringLiteral("%1.checkpoint").arg(size);
}

CheckpointRun checkpointAfterDownload(const CollectConfig &config) {
    CheckpointRun run;
    if (config.checkpointKey.isEmpty())
        return run;
    const std::optional<SigningKey> key = readSigningKey(config.checkpointKey, run.error);
    if (!key)
        return run;
    LockWaitBudget budget(config.lockWaitMs);
    Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Write);
    if (!opened.archive) {
        run.error = opened.error;
        return run;
    }
    Archive &archive = *opened.archive;
    if (!archive.beginWrite() || !lockLog(archive)) {
        run.error = archive.lastError();
        archive.rollback();
        return run;
    }
    QList<StoredNote> notes;
    const LogHead head = readLogHead(archive);
    const std::optional<QString> origin =
        head.error.isEmpty() ? logOrigin(archive, run.error) : std::nullopt;
    if (!head.error.isEmpty())
        run.error = head.error;
    if (!origin || !readNotes(archive, notes, run.error)) {
        archive.rollback();
        return run;
    }
    quint64 signedSize = 0;
    bool anySigned = false;
    for (const StoredNote &n : std::as_const(notes))
        if (n.isSigned) {
            signedSize = std::max(signedSize, n.size);
            anySigned = true;
        }
    QList<StoredNote> made;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Where the log began on an older archive: signed once a key exists, so
    // the witness learns it too.
    for (const StoredNote &n : std::as_const(notes)) {
        if (n.isSigned || (anySigned && n.size <= signedSize))
            continue;
        QString error;
        if (const std::optional<CheckpointBody> body = parseCheckpointBody(n.note, error)) {
            made.append({n.size, now, signCheckpoint(*body, *key), true});
            signedSize = std::max(signedSize, n.size);
            anySigned = true;
        }
    }
    if (head.edge.size() > 0 && (!anySigned || head.edge.size() > signedSize))
        made.append(
            {head.edge.size(), now,
             signCheckpoint(CheckpointBody{*origin, head.edge.size(), head.edge.root(), {}}, *key),
             true});
    QSqlQuery insert(archive.database());
    insert.prepare(QStringLiteral("INSERT INTO checkpoints (size, made, note) VALUES (?, ?, ?)"));
    for (const StoredNote &n : std::as_const(made)) {
        insert.addBindValue(qint64(n.size));
        insert.addBindValue(n.made);
        insert.addBindValue(QString::fromUtf8(n.note));
        if (!insert.exec()) {
            run.error = archive.failure(insert);
            archive.rollback();
            return run;
        }
    }
    if (!archive.commit()) {
        run.error = archive.lastError();
        return run;
    }
    for (const StoredNote &n : std::as_const(made))
        run.lines.append(
            QStringLiteral("checkpoint %1 signed by %2, root %3")
                .arg(n.size)
                .arg(verifierOf(*key).fingerprint(),
                     QString::fromLatin1(
                         parseCheckpoint(n.note, verifierOf(*key)).body->root.toHex().left(16))));
    // Every witness gets the newest checkpoint, also one an earlier run
    // could not hand over.
    QList<StoredNote> all = notes + made;
    const StoredNote *newest = nullptr;
    for (const StoredNote &n : std::as_const(all))
        if (n.isSigned && (!newest || n.size >= newest->size))
            newest = &n;
    if (!newest)
        return run;
    QStringList failures;
    for (const QString &folder : config.witnesses) {
        QList<const StoredNote *> toWrite;
        for (const StoredNote &n : std::as_const(made))
            toWrite.append(&n);
        if (std::none_of(made.cbegin(), made.cend(),
                         [&](const StoredNote &n) { return n.note == newest->note; }))
            toWrite.append(newest);
        for (const StoredNote *n : std::as_const(toWrite))
            if (const QString failed = writeToWitness(folder, n->size, n->note); !failed.isEmpty())
                failures.append(failed);
    }
    run.error = failures.join(QStringLiteral("; "));
    return run;
}

QString logStatusLine(const CollectConfig &config) {
    LockWaitBudget budget(config.lockWaitMs);
    Archive::Opened opened = Archive::open(config.archive, budget, Archive::Access::Read);
    if (!opened.archive)
        return QStringLiteral("# log: %1").arg(opened.error);
    const LogHead head = readLogHead(*opened.archive);
    QList<StoredNote> notes;
    QString error;
    if (!head.error.isEmpty() || !readNotes(*opened.archive, notes, error))
        return QStringLiteral("# log: %1").arg(head.error.isEmpty() ? error : head.error);
    const StoredNote *newest = nullptr;
    for (const StoredNote &n : std::as_const(notes))
        if (n.isSigned && (!newest || n.size >= newest->size))
            newest = &n;
    QString line = QStringLiteral("# log: %1 leaves; ").arg(head.edge.size());
    if (config.checkpointKey.isEmpty())
        return line + QStringLiteral("unproven: no checkpoint-key in the configuration, so no "
                                     "checkpoint is signed");
    if (!newest)
        return line + QStringLiteral("unproven: no signed checkpoint yet");
    line += QStringLiteral("newest checkpoint %1, signed %2")
                .arg(newest->size)
                .arg(timeText(newest->made));
    if (newest->size < head.edge.size())
        line += QStringLiteral("; %1 leaves after it unproven until the next download")
                    .arg(head.edge.size() - newest->size);
    return line;
}

} // namespace nxa::collect
