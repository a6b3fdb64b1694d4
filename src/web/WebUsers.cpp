#include "web/WebUsers.h"

#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QSaveFile>

#include <sodium.h>

namespace nxa::web {

namespace {

constexpr qint64 kMaxFileBytes = 1 << 20;
// Remembered right passwords; past this the memory starts again from nothing.
constexpr qsizetype kMaxRemembered = 1024;

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

struct Lines {
    QList<std::pair<QString, QByteArray>> users;
    QString error;
};

Lines parseLines(const QByteArray &bytes, const QString &path) {
    Lines lines;
    int number = 0;
    for (const QByteArray &raw : bytes.split('\n')) {
        ++number;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype colon = line.indexOf(':');
        const QString name = QString::fromUtf8(line.left(colon));
        const QByteArray hash = line.mid(colon + 1);
        if (colon <= 0 || !plainUserName(name) || !hash.startsWith("$argon2id$") ||
            hash.size() >= crypto_pwhash_STRBYTES) {
            lines.error = QStringLiteral("%1 line %2: not \"name:$argon2id$...\" (write it with "
                                         "nxa-collect web-user add NAME)")
                              .arg(path)
                              .arg(number);
            return lines;
        }
        lines.users.append({name, hash});
    }
    return lines;
}

} // namespace

bool plainUserName(const QString &name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
    return plain.match(name).hasMatch();
}

WebUsers::WebUsers() {
    m_cacheKey.resize(crypto_generichash_KEYBYTES);
    randombytes_buf(m_cacheKey.data(), size_t(m_cacheKey.size()));
}

WebUsers::Read WebUsers::read(const QString &path) {
    Read result;
    if (!sodiumReady()) {
        result.error = QStringLiteral("libsodium cannot start");
        return result;
    }
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot read the users file %1").arg(path);
        return result;
    }
    // Whoever may write it may let themselves in.
    if (info.permissions() & (QFile::WriteGroup | QFile::WriteOther)) {
        result.error =
            QStringLiteral("others may write the users file %1; chmod go-w it").arg(path);
        return result;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        result.error = QStringLiteral("%1 is too large for a users file").arg(path);
        return result;
    }
    Lines lines = parseLines(bytes, path);
    if (!lines.error.isEmpty()) {
        result.error = lines.error;
        return result;
    }
    if (lines.users.isEmpty()) {
        result.error = QStringLiteral("the users file %1 names nobody; add one with nxa-collect "
                                      "web-user add NAME")
                           .arg(path);
        return result;
    }
    result.users.reset(new WebUsers);
    for (const auto &[name, hash] : std::as_const(lines.users))
        result.users->m_hashes.insert(name, hash);
    return result;
}

bool WebUsers::verify(const QString &name, const QByteArray &password) const {
    const auto found = m_hashes.constFind(name);
    if (found == m_hashes.cend())
        return false;
    QByteArray token(crypto_generichash_BYTES, Qt::Uninitialized);
    const QByteArray pair = name.toUtf8() + '\0' + password + '\0' + *found;
    crypto_generichash(
        reinterpret_cast<unsigned char *>(token.data()), size_t(token.size()),
        reinterpret_cast<const unsigned char *>(pair.constData()), size_t(pair.size()),
        reinterpret_cast<const unsigned char *>(m_cacheKey.constData()), size_t(m_cacheKey.size()));
    QMutexLocker lock(&m_mutex);
    if (m_verified.contains(token))
        return true;
    const QByteArray hash = *found + '\0';
    if (crypto_pwhash_str_verify(hash.constData(), password.constData(),
                                 quint64(password.size())) != 0)
        return false;
    if (m_verified.size() >= kMaxRemembered)
        m_verified.clear();
    m_verified.insert(token);
    return true;
}

QString setWebUser(const QString &path, const QString &name, const QByteArray &password) {
    if (!sodiumReady())
        return QStringLiteral("libsodium cannot start");
    if (!plainUserName(name))
        return QStringLiteral("\"%1\" is no user name (letters, digits, \".\", \"-\" and \"_\", "
                              "at most 64)")
            .arg(name);
    if (password.isEmpty())
        return QStringLiteral("the password is empty");
    Lines lines;
    if (QFileInfo::exists(path)) {
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read the users file %1").arg(path);
        lines = parseLines(file.read(kMaxFileBytes + 1), path);
        if (!lines.error.isEmpty())
            return lines.error;
    }
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.constData(), quint64(password.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return QStringLiteral("not enough memory to hash the password");
    bool replaced = false;
    for (auto &[user, stored] : lines.users)
        if (user == name) {
            stored = QByteArray(hash);
            replaced = true;
        }
    if (!replaced)
        lines.users.append({name, QByteArray(hash)});
    QByteArray text;
    for (const auto &[user, stored] : std::as_const(lines.users))
        text += user.toUtf8() + ':' + stored + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    file.write(text);
    if (!file.commit())
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    // Hashes only, but nobody else has any use for them.
    if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner))
        return QStringLiteral("cannot make %1 private to its owner").arg(path);
    return {};
}

} // namespace nxa::web
