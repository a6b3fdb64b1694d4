#pragma once

#include "link/LinkConstants.h"
#include "link/LinkOutcome.h"

#include <QByteArray>
#include <QString>

namespace nxa::link {

inline constexpr char kLoginCommand[] = "NXAC";
inline constexpr char kDataloggerCommand[] = "NXAD";
inline constexpr char kConfigurationCommand[] = "NXAE";
inline constexpr char kUploadCommand[] = "NXAI";

// The command word, the password and spaces, cut to 64 characters and encoded
// as UTF-8: 64 bytes when every character is ASCII, more otherwise.
QByteArray buildRequest(const QString &commandWord, const QString &password);

// True when the reply begins with "NXAOK". `reply` holds only the bytes that
// arrived in this exchange, so a short reply never matches on stale bytes.
bool isOkReply(const QByteArray &reply);

// Login reply, tested in this order: "NXAOK" Success, "BUSY" Busy, "WP"
// WrongPassword, anything else (an empty reply included) NoTester.
Outcome classifyLoginReply(const QByteArray &reply);

} // namespace nxa::link
