#pragma once

#include "common/Notice.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace nxa::app {

// How long an X display may take to answer a connection before the run
// counts it as absent.
inline constexpr int kDisplayAnswerMs = 3000;

// True when the X display that `display` names (the DISPLAY syntax,
// "[host]:number[.screen]") answers a connection setup within `timeoutMs`.
// A display that cannot be reached, or that accepts and stays silent, is no
// display.
bool xDisplayAnswers(const QByteArray &display, int timeoutMs);

struct PlatformChoice {
    QByteArray requested; // QT_QPA_PLATFORM as the run was given it
    QByteArray platforms; // the list the toolkit is given to try, in order
};

// Picks the toolkit platform of a command-line run (QT_QPA_PLATFORM), before
// the toolkit starts: the platforms the user named, or else the display when
// there is one that answers, and the offscreen platform, where nothing is
// shown and nothing waits, whenever those cannot start. An X display that
// does not answer is never tried.
PlatformChoice chooseCommandLinePlatform();

// The platform that shows nothing (offscreen, minimal) when the choice
// starts with it: the toolkit would take it without trying anything else, so
// the run needs no window system at all. Empty when a display may start.
QByteArray platformWithoutDisplay(const PlatformChoice &choice);

// The warning, given once, that the platform the user named could not start
// and the run goes on without a display; none when it did start.
std::optional<Notice> platformFallbackNotice(const PlatformChoice &choice,
                                             const QString &platformName);

// The run's standard output and error carry its documented lines only: the
// toolkit's own warnings (a missing XDG_RUNTIME_DIR under cron, a display
// that went away) are dropped, or a scheduler would mail them.
void silenceToolkitMessages();

} // namespace nxa::app
