#pragma once

namespace nxa::link {

// Every time limit of a tester operation. Production uses these values; tests
// pass short ones so that time-outs and pacing do not slow them down.
struct LinkTimings {
    int connectTimeoutMs = 10000;
    int idleTimeoutMs = 2000;      // receive wait gives up this long after the last data
    int sendIdleTimeoutMs = 500;   // send wait gives up this long after the last progress
    int pollIntervalMs = 50;       // longest single wait on the socket
    int uploadPacingStepMs = 1000; // 19 steps between the uploaded image and the reply
    int closingPauseMs = 3000;     // the command-line window stays this long (used by the app)
};

} // namespace nxa::link
