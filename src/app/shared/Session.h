#pragma once

#include "common/ResultCodes.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>

namespace nxa::app {

// Every interactive run starts with the tester's factory password.
inline constexpr QStringView kInteractivePassword = u"583041";

// Program-wide state of one run that is not part of a model.
struct Session {
    // IPv4 address, first dotted field in the lowest byte.
    std::uint32_t testerAddress = 0;
    // Kept in memory only; never written to any file, log or list.
    QString password;
    // Parameters of a command-line run (empty in interactive mode).
    QStringList parameters;
    // Positions (from 0) of the parameters whose bytes have no exact text
    // form, so that they cannot be used as given.
    QList<int> inexactParameters;
    ResultCode resultCode = ResultCode::Ok;
    QString runStamp;
    QString runDescription;

    bool commandLine() const { return !parameters.isEmpty(); }
};

} // namespace nxa::app
