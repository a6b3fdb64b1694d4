#pragma once

namespace nxa::link {

// The transfer deadline of an unattended download: a whole datalogger takes
// well under a second on a working network, so a tester still sending after
// a minute is one that trickles (a byte now and then keeps the idle limit
// from ever passing).
inline constexpr int kUnattendedTransferDeadlineMs = 60000;

// Every time limit of a tester operation. Production uses these values; tests
// pass short ones so that time-outs and pacing do not slow them down.
struct LinkTimings {
    int connectTimeoutMs = 10000;
    int idleTimeoutMs = 2000;      // receive wait gives up this long after the last data
    int sendIdleTimeoutMs = 500;   // send wait gives up this long after the last progress
    int pollIntervalMs = 50;       // longest single wait on the socket
    int uploadPacingStepMs = 1000; // 19 steps between the uploaded image and the reply
    int closingPauseMs = 3000;     // the command-line window stays this long (used by the app)
    // Longest time the receive waits of one connection may take in all,
    // counted from the moment it was made (login reply and transfer
    // together), however the data trickles in; 0: no limit beyond the idle
    // one (an interactive user can abort, an unattended run cannot).
    int transferDeadlineMs = 0;
};

} // namespace nxa::link
