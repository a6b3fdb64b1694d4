#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace nxa::collect {

// An Ed25519 key pair in the signed-note forms: the private key file holds
// "PRIVATE+KEY+<name>+<id>+<base64>", the public one "<name>+<id>+<base64>".
// The id is the first four bytes of SHA-256 over the name, a line feed, the
// algorithm byte 0x01 and the public key, in hexadecimal.
struct SigningKey {
    QString name;
    QByteArray secret; // libsodium's 64-byte form: seed and public key
    QByteArray publicKey;
};
struct VerifierKey {
    QString name;
    QByteArray publicKey;
    quint32 id = 0;
    // What an auditor compares by telephone: name and id.
    QString fingerprint() const;
};

struct KeyWritten {
    bool ok = false;
    QString error;
};
// Makes a new pair: `path` readable by its owner only, and `path`.pub. An
// existing file is never overwritten.
KeyWritten generateKeyPair(const QString &path);

std::optional<SigningKey> readSigningKey(const QString &path, QString &error);
std::optional<VerifierKey> readVerifierKey(const QString &path, QString &error);
VerifierKey verifierOf(const SigningKey &key);

// A checkpoint: which log, how many leaves, the root over them, and any
// further lines of its body (ours: where the log begins).
struct CheckpointBody {
    QString origin;
    std::uint64_t size = 0;
    QByteArray root;
    QStringList extensions;

    QByteArray text() const;
};

inline constexpr char kLogBeginsHere[] = "log begins here: earlier history unproven";

// The signed note: the body, an empty line, one signature line.
QByteArray signCheckpoint(const CheckpointBody &body, const SigningKey &key);

struct ParsedCheckpoint {
    std::optional<CheckpointBody> body;
    bool signedByKey = false;  // a signature line of the key verifies
    bool hasSignature = false; // any signature line at all
    QString error;             // the text is no checkpoint
};
// Reads a checkpoint and checks its signature lines against `key`.
ParsedCheckpoint parseCheckpoint(const QByteArray &note, const VerifierKey &key);
// The body alone, of a note whose signature is not checked (or absent).
std::optional<CheckpointBody> parseCheckpointBody(const QByteArray &text, QString &error);

} // namespace nxa::collect
