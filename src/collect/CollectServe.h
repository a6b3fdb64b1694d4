#pragma once

#include "collect/CollectConfig.h"

#include <QStringList>
#include <QTextStream>

namespace nxa::collect {

// "serve [--listen ADDRESS:PORT]": the read-only web view of the archive
// until SIGTERM or Ctrl+C. On a loopback address anyone may look; on any
// other it refuses to start (2) without both TLS (tls-cert=, tls-key=) and
// a users file (web-users=). Says where it listens on `out`.
int serveCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                 QTextStream &err);

// "web-user add NAME": adds NAME to the users file of web-users= or gives it
// a new password, read from the terminal without echo, or from standard
// input when that is no terminal.
int webUserCommand(const CollectConfig &config, const QStringList &args, QTextStream &out,
                   QTextStream &err);

} // namespace nxa::collect
