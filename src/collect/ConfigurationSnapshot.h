#pragma once

#include "config/StationConfig.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

namespace nxa::collect {

class Archive;

// A tester's configuration as one download attempt fetched it.
struct FetchedConfiguration {
    int result = 0;     // the manager's result codes; 0 when it came and decoded
    QString detail;     // why it failed, when the code alone does not say
    QByteArray image;   // transfer form, on success
    qint64 takenMs = 0; // when it arrived, ms since 1970 UTC
    std::shared_ptr<const config::StationConfig> decoded; // on success
};

// Decodes an image the tester sent; one whose header does not check is a
// communication failure, as in the manager.
FetchedConfiguration decodeFetchedConfiguration(const QByteArray &image);

// Inside the attempt's transaction: stores the configuration as a new
// snapshot when its image differs from the tester's last stored one, and
// records on the attempt which snapshot it saw. Empty on success, else the
// error.
QString storeConfiguration(Archive &archive, qint64 tester, qint64 attempt,
                           const FetchedConfiguration &fetched);

// The numeric value of a limit field (kOhm), nothing when it is empty or no
// number: such a limit checks nothing.
std::optional<qint64> limitKohm(const QString &text);

} // namespace nxa::collect
