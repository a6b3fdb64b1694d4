// The preferences reader fed any file content. Whatever address it reads,
// the file written for that address reads back as the same address.

#include "FuzzCheck.h"
#include "app/shared/Preferences.h"

#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const quint32 address = nxa::app::preferencesAddress(content);
    NXA_FUZZ_CHECK(nxa::app::preferencesAddress(nxa::app::preferencesContent(address)) == address);
    return 0;
}
