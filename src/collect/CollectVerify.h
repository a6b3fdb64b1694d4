#pragma once

#include "collect/CollectConfig.h"

#include <QByteArray>
#include <QStringList>
#include <QTextStream>

#include <optional>

namespace nxa::collect {

// verify: the archive does not match its checkpoints.
inline constexpr int kExitTampered = 5;

// "keygen FILE": a new signing key pair, FILE private and FILE.pub.
int keygenCommand(const QStringList &args, QTextStream &out, QTextStream &err);

// "verify [--key FILE.pub] [--witness FOLDER | --checkpoint FILE]...":
// rebuilds the log from the archive's rows and holds it against every
// checkpoint; 0 intact, 5 a disagreement (the first one is named), 2 input
// that cannot be used.
int verifyCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                  QTextStream &err);

// What verify found: the lines it prints, and for the report the newest
// signed checkpoint the archive matched. `error` is set when the input could
// not be used (no key, no archive, an unreadable witness).
struct LogCheck {
    struct Checkpoint {
        quint64 size = 0;
        QByteArray root;
        qint64 madeMs = 0;
    };
    QString error;
    QStringList lines;
    bool intact = false;
    QString disagreement; // the first, when not intact
    QString keyFingerprint;
    std::optional<Checkpoint> newest;
};
// The key is `keyPath`, or the configuration's checkpoint-key with ".pub".
LogCheck checkArchiveLog(const CollectConfig &config, const QString &keyPath,
                         const QStringList &witnesses, const QStringList &files);

// "prove --tester NAME --record "yyyy-mm-dd hh:mm:ss" --user N": the proof
// that one access is in the log of the newest checkpoint.
int proveCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                 QTextStream &err);

// "verify-proof FILE --key FILE.pub": checks a proof with no archive.
int verifyProofCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace nxa::collect
