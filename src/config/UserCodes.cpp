#include "config/UserCodes.h"

#include <algorithm>

namespace nxa::config {

namespace {
constexpr int kCodeDigitModulus = 100; // each character contributes two decimal digits
} // namespace

QString normalizeGenerator(const QString &generator) {
    if (generator.size() >= kGeneratorLength)
        return generator;
    return (QStringLiteral("000") + generator).right(kGeneratorLength);
}

std::array<int, 6> generatorDigits(const QString &generator) {
    const QString normalized = normalizeGenerator(generator);
    std::array<int, 6> digits{};
    for (int i = 0; i < kGeneratorLength; ++i) {
        const int value = normalized.at(i).unicode() % kCodeDigitModulus;
        digits[static_cast<size_t>(2 * i)] = value / 10;
        digits[static_cast<size_t>(2 * i + 1)] = value % 10;
    }
    return digits;
}

bool generatorHasZeroDivisor(const QString &generator) {
    const auto g = generatorDigits(generator);
    return g[3] == 0 || g[4] == 0 || g[5] == 0;
}

QString userCode(const QString &generator, int k) {
    if (k < kFirstUser || k > kLastUser)
        return {};
    const QString number = QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
    const auto g = generatorDigits(generator);
    if (generatorHasZeroDivisor(generator))
        return number + QStringLiteral("---");
    const int v = kCodeMultiplier * k;
    const int d1 = (v % g[3] + g[0]) % 10;
    const int d2 = (v % g[4] + g[1]) % 10;
    const int d3 = (v % g[5] + g[2]) % 10;
    return number + QString::number(d1) + QString::number(d2) + QString::number(d3);
}

void activateRange(StationConfig &config, int from, int to, bool active) {
    if (from > to)
        return;
    from = std::max(from, kFirstUser);
    to = std::min(to, kLastUser);
    for (int k = from; k <= to; ++k)
        config.users[static_cast<size_t>(k)].active = active;
}

} // namespace nxa::config
