#pragma once

#include <QHostAddress>

namespace nxa::link {

// The socket address of a tester address held with its first dotted field in
// the lowest byte (the way the preferences and the command line carry it).
QHostAddress hostAddress(quint32 address);

} // namespace nxa::link
