#include "collect/ReadOnlyArchive.h"

namespace nxa::collect {

ReadOnlyArchive::ReadOnlyArchive(const CollectConfig &config)
    : m_budget(config.lockWaitMs),
      m_opened(Archive::open(config.archive, m_budget, Archive::Access::Read)) {}

} // namespace nxa::collect
