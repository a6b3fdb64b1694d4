#pragma once

namespace nxa::collect {

// A scheduler that stops a collection (SIGTERM, or Ctrl+C giving SIGINT)
// gets what the manager's command line gives: each tester still downloading
// ends as aborted (result 7) and leaves nothing half-stored. Writes to a
// closed output pipe fail instead of ending the process.
void installStopSignals();

// True once a stop signal arrived; safe from any thread.
bool stopRequested();

} // namespace nxa::collect
