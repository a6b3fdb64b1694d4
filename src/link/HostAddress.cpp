#include "link/HostAddress.h"

namespace nxa::link {

QHostAddress hostAddress(quint32 address) {
    // QHostAddress wants the first field in the highest byte.
    const quint32 hostOrder = (address & 0xFF) << 24 | ((address >> 8) & 0xFF) << 16 |
                              ((address >> 16) & 0xFF) << 8 | ((address >> 24) & 0xFF);
    return QHostAddress(hostOrder);
}

} // namespace nxa::link
