#pragma once

#include "web/HttpMessage.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <utility>

namespace nxa::web {

// The longest query value, decoded, in bytes: a search word or a date.
inline constexpr int kMaxQueryValueBytes = 256;
inline constexpr int kMaxQueryValues = 16;
inline constexpr int kMaxPathBytes = 512;

struct TargetCheck {
    std::optional<HttpRequest> request; // path and query filled; none when refused
    int status = 400;                   // why it was refused
};

// The request's path and query arguments as the client sent them, still
// percent-encoded, turned into a request the site can route. Refused (400,
// or 414 when too long): a path that is not absolute, holds a ".." segment,
// a backslash, an encoded slash or dot, a control character or bytes that
// are not UTF-8; a query value that is too long or not UTF-8; too many
// values. "+" in a query value stands for a space, as forms send it.
TargetCheck checkTarget(const QByteArray &rawPath,
                        const QList<std::pair<QByteArray, QByteArray>> &rawQuery);

} // namespace nxa::web
