#include "config/StationConfig.h"

#include <algorithm>

namespace nxa::config {

StationConfig::StationConfig() {
    for (int k = 0; k < kUserCount; ++k)
        users[static_cast<size_t>(k)].name = QStringLiteral("User %1").arg(k);
}

void StationConfig::setPeripheralNumber(int number) {
    m_peripheralNumber = std::clamp(number, kMinPeripheralNumber, kMaxPeripheralNumber);
}

} // namespace nxa::config
