#pragma once

#include "common/Notice.h"

#include <QString>

#include <functional>

namespace nxa::link {

// How the link talks to the window that runs it. Every member may be left
// empty; an empty pumpEvents never requests an abort.
struct LinkHooks {
    // Processes pending window events without waiting; returns true when a
    // close request arrived (the running receive wait is aborted).
    std::function<bool()> pumpEvents;
    // Keeps the window painted while taking no user input (upload pacing).
    std::function<void()> repaintOnly;
    // Status bar: percentage text ("37%") and progress bar value (37).
    std::function<void(const QString &text, int progress)> showProgress;
    // The "Network Error" box; called at most once per wait.
    std::function<void(const Notice &)> networkError;
};

} // namespace nxa::link
