#pragma once

#include "app/shared/Session.h"
#include "common/Notice.h"

#include <functional>

namespace nxa::app {

// Where a command-line run reports besides its window and its log record.
struct CommandLineOutput {
    // No display: no window opens, every Event viewer line goes to `line`,
    // every message box text to `notice`, and nothing waits for a click or
    // for the closing pause.
    bool headless = true;
    std::function<void(const QString &)> line;
    std::function<void(const Notice &)> notice;
};

// Standard output for the lines and standard error ("Title: text") for the
// boxes when headless; message boxes when not.
CommandLineOutput standardCommandLineOutput(bool headless);

// True when the application runs on a platform that shows nothing
// (offscreen, minimal), so nobody could click a box.
bool platformIsHeadless();

// The whole command-line mode: parameter check, the download with its
// window, the export, the log.txt record in the working directory. Returns
// the result code, which is the process's exit code. Needs a QApplication.
int runCommandLine(Session &session, const CommandLineOutput &output);

// Appends the run's record to log.txt and returns its result code.
int finishCommandLineRun(const Session &session);

} // namespace nxa::app
