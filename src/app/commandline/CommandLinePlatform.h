#pragma once

#include <QByteArray>

namespace nxa::app {

// How long an X display may take to answer a connection before the run
// counts it as absent.
inline constexpr int kDisplayAnswerMs = 3000;

// True when the X display that `display` names (the DISPLAY syntax,
// "[host]:number[.screen]") answers a connection setup within `timeoutMs`.
// A display that cannot be reached, or that accepts and stays silent, is no
// display.
bool xDisplayAnswers(const QByteArray &display, int timeoutMs);

// Picks the toolkit platform of a command-line run (QT_QPA_PLATFORM), before
// the toolkit starts: the display when there is one that answers, otherwise
// the offscreen platform, where nothing is shown and nothing waits.
void chooseCommandLinePlatform();

// The run's standard output and error carry its documented lines only: the
// toolkit's own warnings (a missing XDG_RUNTIME_DIR under cron, a display
// that went away) are dropped, or a scheduler would mail them.
void silenceToolkitMessages();

} // namespace nxa::app
