#pragma once

#include <QtGlobal>

namespace nxa::link {

inline constexpr int kRequestLength = 64; // characters; bytes only when they are all ASCII
inline constexpr int kReplyLength = 64;
// The administrator password sent in every request.
inline constexpr int kPasswordLength = 6;
inline constexpr int kDataloggerTransferSize = 192192;   // 3003 records of 64 bytes
inline constexpr int kConfigurationTransferSize = 32960; // 515 records of 64 bytes
// Large enough for the datalogger plus one receive call that overshoots.
inline constexpr int kReceiveBufferSize = 200000;
inline constexpr int kSendBufferSize = 33000;
// Longest single receive call: bounds how far a wait can run past its count.
inline constexpr int kReceiveChunk = 1000;

inline constexpr quint16 kDefaultTesterPort = 80;
inline constexpr char kTesterPortVariable[] = "NXA_TESTER_PORT";

// The TCP port of the tester: 80, or the value of the environment variable
// NXA_TESTER_PORT when it holds a number from 1 to 65535 (tests, the
// simulator, testers behind port forwarding). Any other value is ignored.
quint16 testerPort();

} // namespace nxa::link
