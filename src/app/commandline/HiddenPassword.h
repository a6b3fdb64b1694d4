#pragma once

namespace nxa::app {

// The password has to be a command-line parameter, and anyone on the machine
// can read a process's command line (ps, /proc/<pid>/cmdline) while it runs.
// Overwrites the password parameter (the second) in place with asterisks of
// the same length, so the other parameters stay readable there. Call once the
// parameters have been copied; argv itself is left in place for the toolkit.
void hidePasswordParameter(int argc, char *argv[]);

} // namespace nxa::app
