#include "config/ConfigurationImage.h"
#include "config/UserCodes.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

using namespace nxa::config;

namespace {

StationConfig sampleConfig() {
    StationConfig config;
    config.setPeripheralNumber(12);
    config.description = QStringLiteral("Assembly hall north");
    for (int k = 0; k < kUserCount; ++k)
        config.users[static_cast<size_t>(k)] =
            User{k % 4 != 0, QStringLiteral("Operator %1").arg(k), k % 10};
    return config;
}

// One Upload Config followed by one Download Config: the full configuration
// image encoded and decoded again.
void encodeAndDecodeTransfer(benchmark::State &state) {
    const StationConfig source = sampleConfig();
    StationConfig target;
    for (auto _ : state) {
        const QByteArray transfer = encodeConfigurationTransfer(source);
        const DecodeResult result = decodeConfigurationTransfer(target, transfer);
        benchmark::DoNotOptimize(result.ok);
    }
}
BENCHMARK(encodeAndDecodeTransfer)->Unit(benchmark::kMicrosecond);

// Export Config followed by Import Config, in memory.
void encodeAndDecodeFile(benchmark::State &state) {
    const StationConfig source = sampleConfig();
    StationConfig target;
    const QString path = QStringLiteral("CONFIG12.BRC");
    for (auto _ : state) {
        QByteArray file = encodeConfigurationFile(source);
        QBuffer device(&file);
        device.open(QIODevice::ReadOnly);
        const DecodeResult result = decodeConfigurationFile(target, device, path);
        benchmark::DoNotOptimize(result.ok);
    }
}
BENCHMARK(encodeAndDecodeFile)->Unit(benchmark::kMicrosecond);

// Refresh user codes: all 1000 codes for one generator.
void allUserCodes(benchmark::State &state) {
    const QString generator = QStringLiteral("QJX");
    for (auto _ : state) {
        for (int k = 0; k < kUserCount; ++k)
            benchmark::DoNotOptimize(userCode(generator, k));
    }
}
BENCHMARK(allUserCodes)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
