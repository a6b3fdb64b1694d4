#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>

#include <memory>

namespace nxa::web {

// A user name of the users file: letters, digits, ".", "-" and "_", at most 64.
bool plainUserName(const QString &name);

// The persons who may look at the site over the network: the users file,
// one "name:hash" line each, the hash an Argon2id string as libsodium's
// crypto_pwhash_str writes it, so the file holds no password.
class WebUsers {
public:
    struct Read {
        std::unique_ptr<WebUsers> users;
        QString error;
    };
    // Refused when the file is missing, unreadable, writable by group or
    // others, holds a line that is no user, or names nobody.
    static Read read(const QString &path);

    int count() const { return int(m_hashes.size()); }
    // Safe from any thread. A password once found right is remembered (as a
    // keyed hash) so a browser's every request does not cost a new Argon2id
    // run; the runs themselves take turns, so memory stays at one's worth.
    bool verify(const QString &name, const QByteArray &password) const;

private:
    WebUsers();
    QHash<QString, QByteArray> m_hashes;
    QByteArray m_cacheKey;
    mutable QMutex m_mutex;
    mutable QSet<QByteArray> m_verified;
};

// Adds NAME to the users file at path, or gives it a new password; the file
// is created private to its owner and replaced whole. Empty on success, else
// why not.
QString setWebUser(const QString &path, const QString &name, const QByteArray &password);

} // namespace nxa::web
