#include "link/LinkConstants.h"

#include <QString>

namespace nxa::link {

quint16 testerPort() {
    const QString text = qEnvironmentVariable(kTesterPortVariable).trimmed();
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    if (!ok || value == 0 || value > 65535)
        return kDefaultTesterPort;
    return static_cast<quint16>(value);
}

} // namespace nxa::link
