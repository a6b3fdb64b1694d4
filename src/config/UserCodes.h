#pragma once

#include "config/StationConfig.h"

#include <QString>

#include <array>

namespace nxa::config {

// The multiplier of the user-code rule. The tester applies its own value in
// the same rule; codes shown with another value do not match the tester's.
inline constexpr int kCodeMultiplier = 37;
inline constexpr int kGeneratorLength = 3;
inline constexpr int kFirstUser = 0;
inline constexpr int kLastUser = kUserCount - 1;

// A generator of fewer than 3 characters becomes the last 3 characters of
// "000" followed by it ("7" -> "007", "" -> "000"); longer ones are kept.
QString normalizeGenerator(const QString &generator);

// g1..g6 of the normalized generator: tens and units of (code mod 100) of its
// first three characters.
std::array<int, 6> generatorDigits(const QString &generator);

// True when g4, g5 or g6 is 0, so the check digits cannot be computed.
bool generatorHasZeroDivisor(const QString &generator);

// The 6-digit user code of user k (0 to 999): k as 3 digits, then 3 check
// digits. A generator with a zero divisor gives k as 3 digits followed by
// "---". Empty for a k outside 0 to 999.
QString userCode(const QString &generator, int k);

// Sets the active flag of users from..to inclusive (bounds brought into
// 0..999); from > to changes nothing.
void activateRange(StationConfig &config, int from, int to, bool active);

} // namespace nxa::config
