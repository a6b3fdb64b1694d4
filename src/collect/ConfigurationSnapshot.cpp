#include "collect/ConfigurationSnapshot.h"

#include "collect/Archive.h"
#include "common/ResultCodes.h"
#include "config/ChoiceTexts.h"
#include "config/ConfigurationImage.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QVariant>

namespace nxa::collect {

namespace {

// Rows per INSERT: well inside both engines' limits on bound values.
constexpr int kUsersPerStatement = 100;
// Profiles are numbered as the configuration shows them; the visitors
// profile follows the ten.
constexpr int kFirstProfileNumber = 1;

QVariant nullOr(const std::optional<qint64> &value) {
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<qint64>());
}

std::optional<qint64> lastDigestSnapshot(Archive &archive, qint64 tester, const QByteArray &digest,
                                         QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("SELECT id, digest FROM configurations WHERE tester = ? ORDER BY "
                                 "id DESC LIMIT 1"));
    query.addBindValue(tester);
    if (!query.exec()) {
        error = archive.failure(query);
        return std::nullopt;
    }
    if (query.next() && query.value(1).toByteArray() == digest)
        return query.value(0).toLongLong();
    return std::nullopt;
}

std::optional<qint64> insertSnapshot(Archive &archive, qint64 tester,
                                     const FetchedConfiguration &fetched, const QByteArray &digest,
                                     QString &error) {
    const config::StationConfig &c = *fetched.decoded;
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("INSERT INTO configurations (tester, taken, digest, image, "
                                 "peripheral_number, description, mode) VALUES (?, ?, ?, ?, ?, ?, "
                                 "?) RETURNING id"));
    for (const QVariant &value :
         {QVariant(tester), QVariant(fetched.takenMs), QVariant(digest), QVariant(fetched.image),
          QVariant(c.peripheralNumber()), QVariant(c.description),
          QVariant(c.mode == config::Mode::HandFree ? QStringLiteral("HandFree")
                                                    : QStringLiteral("Normal"))})
        query.addBindValue(value);
    if (!query.exec() || !query.next()) {
        error = archive.failure(query);
        return std::nullopt;
    }
    const qint64 id = query.value(0).toLongLong();
    query.finish();

    QSqlQuery profile(archive.database());
    profile.prepare(QStringLiteral(
        "INSERT INTO profile_limits (configuration, profile, footwear_min, footwear_max, "
        "wrist_strap_min, wrist_strap_max, check_choice, relay_choice) VALUES (?, ?, ?, ?, ?, ?, "
        "?, ?)"));
    for (int p = 0; p < config::kProfileCount; ++p) {
        const config::Profile &limits = c.profiles[static_cast<size_t>(p)];
        for (const QVariant &value :
             {QVariant(id), QVariant(p + kFirstProfileNumber),
              nullOr(limitKohm(limits.footwearMin)), nullOr(limitKohm(limits.footwearMax)),
              nullOr(limitKohm(limits.wristStrapMin)), nullOr(limitKohm(limits.wristStrapMax)),
              nullIfEmpty(config::checkChoiceText(limits.check)),
              nullIfEmpty(config::relayChoiceText(limits.relay))})
            profile.addBindValue(value);
        if (!profile.exec()) {
            error = archive.failure(profile);
            return std::nullopt;
        }
    }

    // Every slot, the inactive ones too: a slot named but switched off is
    // still someone the coordinator may ask about.
    for (int first = 0; first < config::kUserCount; first += kUsersPerStatement) {
        const int count = std::min(kUsersPerStatement, config::kUserCount - first);
        QStringList rows;
        for (int i = 0; i < count; ++i)
            rows.append(QStringLiteral("(?, ?, ?, ?, ?)"));
        QSqlQuery users(archive.database());
        users.prepare(QStringLiteral("INSERT INTO configuration_users (configuration, "
                                     "user_number, active, name, profile) VALUES ") +
                      rows.join(QStringLiteral(", ")));
        for (int n = first; n < first + count; ++n) {
            const config::User &user = c.users[static_cast<size_t>(n)];
            const bool chosen = user.profile >= 0 && user.profile < config::kProfileChoiceCount;
            users.addBindValue(id);
            users.addBindValue(n);
            users.addBindValue(user.active);
            users.addBindValue(user.name);
            users.addBindValue(chosen ? QVariant(user.profile + kFirstProfileNumber)
                                      : QVariant(QMetaType::fromType<int>()));
        }
        if (!users.exec()) {
            error = archive.failure(users);
            return std::nullopt;
        }
    }
    return id;
}

} // namespace

std::optional<qint64> limitKohm(const QString &text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    return ok && value >= 0 ? std::optional<qint64>(value) : std::nullopt;
}

FetchedConfiguration decodeFetchedConfiguration(const QByteArray &image) {
    FetchedConfiguration fetched;
    auto decoded = std::make_shared<config::StationConfig>();
    if (!config::decodeConfigurationTransfer(*decoded, image).ok) {
        fetched.result = number(ResultCode::CommunicationFailure);
        fetched.detail = QStringLiteral("Wrong data format");
        return fetched;
    }
    fetched.image = image;
    fetched.decoded = std::move(decoded);
    return fetched;
}

QString storeConfiguration(Archive &archive, qint64 tester, qint64 attempt,
                           const FetchedConfiguration &fetched) {
    if (fetched.result != 0 || !fetched.decoded)
        return {};
    QString error;
    const QByteArray digest = QCryptographicHash::hash(fetched.image, QCryptographicHash::Sha256);
    std::optional<qint64> snapshot = lastDigestSnapshot(archive, tester, digest, error);
    if (!error.isEmpty())
        return error;
    if (!snapshot)
        snapshot = insertSnapshot(archive, tester, fetched, digest, error);
    if (!snapshot)
        return error;
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("UPDATE attempts SET configuration = ? WHERE id = ?"));
    query.addBindValue(*snapshot);
    query.addBindValue(attempt);
    return query.exec() ? QString() : archive.failure(query);
}

} // namespace nxa::collect
