#pragma once

#include "app/commandline/CommandLineParameters.h"
#include "app/commandline/CommandLineRun.h"
#include "app/shared/Session.h"

namespace nxa::app {

// The download of a command-line run, with its Event viewer window: stamp
// and description, the press of its own button, preferences, connect, login,
// the datalogger into a table of its own, the export, the closing pause.
// Sets the run stamp, the run description and the result code of `session`.
void runCommandLineDownload(Session &session, const CommandLineParameters &parameters,
                            const CommandLineOutput &output);

} // namespace nxa::app
