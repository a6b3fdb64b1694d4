#include "collect/Checkpoint.h"

#include "collect/MerkleTree.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sodium.h>

#include <fcntl.h>
#include <unistd.h>

namespace nxa::collect {

namespace {

constexpr char kAlgorithmEd25519 = 0x01;
constexpr char kPrivatePrefix[] = "PRIVATE+KEY+";
// The signature line's mark: an em dash and a space.
constexpr char kSignatureMark[] = "\xe2\x80\x94 ";
constexpr int kKeyFileLimit = 4096;
constexpr int kNoteLimit = 1 << 16;

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

quint32 keyId(const QString &name, const QByteArray &publicKey) {
    QByteArray data = name.toUtf8();
    data += '\n';
    data += kAlgorithmEd25519;
    data += publicKey;
    const QByteArray hash = sha256(data);
    return (quint32(quint8(hash[0])) << 24) | (quint32(quint8(hash[1])) << 16) |
           (quint32(quint8(hash[2])) << 8) | quint32(quint8(hash[3]));
}

QString idText(quint32 id) {
    return QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0'));
}

// A key name goes into a line between spaces and pluses: plain words only.
bool plainKeyName(const QString &name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._/-]{1,64}$"));
    return plain.match(name).hasMatch();
}

std::optional<QByteArray> readSmallFile(const QString &path, QString &error) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the key file %1").arg(path);
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kKeyFileLimit + 1);
    if (bytes.size() > kKeyFileLimit) {
        error = QStringLiteral("%1 is no key file").arg(path);
        return std::nullopt;
    }
    return bytes.trimmed();
}

struct KeyText {
    QString name;
    QByteArray key;
    QByteArray id;
};

// "<name>+<id>+<base64 of 0x01 and 32 bytes>"; base64 may hold pluses too.
std::optional<KeyText> splitKey(const QByteArray &text) {
    const qsizetype first = text.indexOf('+');
    const qsizetype second = first < 0 ? -1 : text.indexOf('+', first + 1);
    if (second < 0)
        return std::nullopt;
    const QList<QByteArray> parts = {text.left(first), text.mid(first + 1, second - first - 1),
                                     text.mid(second + 1)};
    const QString name = QString::fromUtf8(parts[0]);
    const QByteArray key =
        QByteArray::fromBase64(parts[2], QByteArray::AbortOnBase64DecodingErrors);
    if (!plainKeyName(name) || key.size() != 33 || key[0] != kAlgorithmEd25519)
        return std::nullopt;
    bool ok = false;
    parts[1].toUInt(&ok, 16);
    if (!ok || parts[1].size() != 8 || key.toBase64() != parts[2])
        return std::nullopt;
    return KeyText{name, key.mid(1), parts[1]};
}

bool writeNew(const QString &path, const QByteArray &bytes, mode_t mode, QString &error) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        error = QFileInfo::exists(path)
                    ? QStringLiteral("%1 exists already; it was left as it is").arg(path)
                    : QStringLiteral("cannot create %1").arg(path);
        return false;
    }
    const bool ok =
        ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok) {
        ::unlink(native.constData());
        error = QStringLiteral("cannot write %1").arg(path);
    }
    return ok;
}

} // namespace

QString VerifierKey::fingerprint() const {
    return name + QLatin1Char('+') + idText(id);
}

KeyWritten generateKeyPair(const QString &path) {
    KeyWritten written;
    if (!sodiumReady()) {
        written.error = QStringLiteral("the cryptography library cannot start");
        return written;
    }
    QString name = QFileInfo(path).completeBaseName();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("-"));
    if (name.isEmpty() || name.size() > 64)
        name = QStringLiteral("nxa-collect");
    QByteArray seed(crypto_sign_SEEDBYTES, Qt::Uninitialized);
    randombytes_buf(seed.data(), size_t(seed.size()));
    QByteArray publicKey(crypto_sign_PUBLICKEYBYTES, Qt::Uninitialized);
    QByteArray secret(crypto_sign_SECRETKEYBYTES, Qt::Uninitialized);
    crypto_sign_seed_keypair(reinterpret_cast<unsigned char *>(publicKey.data()),
                             reinterpret_cast<unsigned char *>(secret.data()),
                             reinterpret_cast<const unsigned char *>(seed.constData()));
    const QString id = idText(keyId(name, publicKey));
    const QByteArray privateText = QByteArray(kPrivatePrefix) + name.toUtf8() + '+' +
                                   id.toLatin1() + '+' +
                                   (QByteArray(1, kAlgorithmEd25519) + seed).toBase64() + '\n';
    const QByteArray publicText = name.toUtf8() + '+' + id.toLatin1() + '+' +
                                  (QByteArray(1, kAlgorithmEd25519) + publicKey).toBase64() + '\n';
    sodium_memzero(seed.data(), size_t(seed.size()));
    sodium_memzero(secret.data(), size_t(secret.size()));
    const QString publicPath = path + QStringLiteral(".pub");
    if (QFileInfo::exists(publicPath)) {
        written.error = QStringLiteral("%1 exists already; it was left as it is").arg(publicPath);
        return written;
    }
    if (!writeNew(path, privateText, 0600, written.error))
        return written;
    if (!writeNew(publicPath, publicText, 0644, written.error)) {
        ::unlink(QFile::encodeName(path).constData());
        return written;
    }
    written.ok = true;
    return written;
}

std::optional<SigningKey> readSigningKey(const QString &path, QString &error) {
    const std::optional<QByteArray> text = readSmallFile(path, error);
    if (!text)
        return std::nullopt;
    const std::optional<KeyText> parts = text->startsWith(kPrivatePrefix)
                                             ? splitKey(text->mid(int(sizeof kPrivatePrefix) - 1))
                                             : std::nullopt;
    if (!parts || !sodiumReady()) {
        error = QStringLiteral("%1 is no private key of nxa-collect keygen").arg(path);
        return std::nullopt;
    }
    SigningKey key;
    key.name = parts->name;
    key.publicKey = QByteArray(crypto_sign_PUBLICKEYBYTES, Qt::Uninitialized);
    key.secret = QByteArray(crypto_sign_SECRETKEYBYTES, Qt::Uninitialized);
    crypto_sign_seed_keypair(reinterpret_cast<unsigned char *>(key.publicKey.data()),
                             reinterpret_cast<unsigned char *>(key.secret.data()),
                             reinterpret_cast<const unsigned char *>(parts->key.constData()));
    // The id in the file must be that of the key it holds.
    if (parts->id != idText(keyId(key.name, key.publicKey)).toLatin1()) {
        error = QStringLiteral("%1 is no private key of nxa-collect keygen").arg(path);
        return std::nullopt;
    }
    return key;
}

std::optional<VerifierKey> readVerifierKey(const QString &path, QString &error) {
    const std::optional<QByteArray> text = readSmallFile(path, error);
    if (!text)
        return std::nullopt;
    const std::optional<KeyText> parts = splitKey(*text);
    if (!parts || !sodiumReady() ||
        parts->id != idText(keyId(parts->name, parts->key)).toLatin1()) {
        error = QStringLiteral("%1 is no public key of nxa-collect keygen").arg(path);
        return std::nullopt;
    }
    return VerifierKey{parts->name, parts->key, keyId(parts->name, parts->key)};
}

VerifierKey verifierOf(const SigningKey &key) {
    return VerifierKey{key.name, key.publicKey, keyId(key.name, key.publicKey)};
}

QByteArray CheckpointBody::text() const {
    QByteArray text = origin.toUtf8() + '\n' + QByteArray::number(qulonglong(size)) + '\n' +
                      root.toBase64() + '\n';
    for (const QString &line : extensions)
        text += line.toUtf8() + '\n';
    return text;
}

QByteArray signCheckpoint(const CheckpointBody &body, const SigningKey &key) {
    const QByteArray text = body.text();
    QByteArray signature(crypto_sign_BYTES, Qt::Uninitialized);
    crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char *>(text.constData()),
                         static_cast<unsigned long long>(text.size()),
                         reinterpret_cast<const unsigned char *>(key.secret.constData()));
    const quint32 id = verifierOf(key).id;
    QByteArray idBytes(4, Qt::Uninitialized);
    for (int i = 0; i < 4; ++i)
        idBytes[i] = char((id >> (24 - 8 * i)) & 0xff);
    return text + '\n' + kSignatureMark + key.name.toUtf8() + ' ' +
           (idBytes + signature).toBase64() + '\n';
}

std::optional<CheckpointBody> parseCheckpointBody(const QByteArray &text, QString &error) {
    QList<QByteArray> lines = text.split('\n');
    // The body ends with a line feed: the last piece is empty.
    if (lines.size() < 4 || !lines.last().isEmpty()) {
        error = QStringLiteral("no checkpoint: it needs an origin, a size and a root hash");
        return std::nullopt;
    }
    lines.removeLast();
    CheckpointBody body;
    body.origin = QString::fromUtf8(lines[0]);
    bool ok = false;
    body.size = lines[1].toULongLong(&ok);
    // No sign, no leading zero: one text per size.
    ok = ok && QByteArray::number(qulonglong(body.size)) == lines[1];
    body.root = QByteArray::fromBase64(lines[2], QByteArray::AbortOnBase64DecodingErrors);
    if (body.origin.isEmpty() || !ok || body.root.size() != kHashSize ||
        body.root.toBase64() != lines[2]) {
        error = QStringLiteral("no checkpoint: the origin, size or root hash line is malformed");
        return std::nullopt;
    }
    for (qsizetype i = 3; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) {
            error = QStringLiteral("no checkpoint: an empty line inside its body");
            return std::nullopt;
        }
        body.extensions.append(QString::fromUtf8(lines[i]));
    }
    return body;
}

ParsedCheckpoint parseCheckpoint(const QByteArray &note, const VerifierKey &key) {
    ParsedCheckpoint parsed;
    if (note.size() > kNoteLimit) {
        parsed.error = QStringLiteral("no checkpoint: too long");
        return parsed;
    }
    const qsizetype split = note.indexOf("\n\n");
    const QByteArray text = split < 0 ? note : note.left(split + 1);
    parsed.body = parseCheckpointBody(text, parsed.error);
    if (!parsed.body)
        return parsed;
    if (split < 0)
        return parsed;
    const QList<QByteArray> signatures = note.mid(split + 2).split('\n');
    for (const QByteArray &line : signatures) {
        if (line.isEmpty())
            continue;
        if (!line.startsWith(kSignatureMark)) {
            parsed.body.reset();
            parsed.error = QStringLiteral("no checkpoint: a line after the body is no signature");
            return parsed;
        }
        parsed.hasSignature = true;
        const QList<QByteArray> parts = line.mid(int(sizeof kSignatureMark) - 1).split(' ');
        if (parts.size() != 2 || QString::fromUtf8(parts[0]) != key.name)
            continue;
        const QByteArray blob =
            QByteArray::fromBase64(parts[1], QByteArray::AbortOnBase64DecodingErrors);
        // One text per signature: a changed padding bit is a changed note.
        if (blob.size() != 4 + crypto_sign_BYTES || blob.toBase64() != parts[1])
            continue;
        const quint32 id = (quint32(quint8(blob[0])) << 24) | (quint32(quint8(blob[1])) << 16) |
                           (quint32(quint8(blob[2])) << 8) | quint32(quint8(blob[3]));
        if (id == key.id && sodiumReady() &&
            crypto_sign_verify_detached(
                reinterpret_cast<const unsigned char *>(blob.constData()) + 4,
                reinterpret_cast<const unsigned char *>(text.constData()),
                static_cast<unsigned long long>(text.size()),
                reinterpret_cast<const unsigned char *>(key.publicKey.constData())) == 0)
            parsed.signedByKey = true;
    }
    return parsed;
}

} // namespace nxa::collect
