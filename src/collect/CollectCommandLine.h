#pragma once

#include <QStringList>
#include <QTextStream>

namespace nxa::collect {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitBusy = 3;
// check: the day has something to act on.
inline constexpr int kExitAttention = 4;

// Runs one nxa-collect command line (arguments without the program name):
// download, export, status, check or report, with --config anywhere. Results go to `out`,
// problems to `err`. Returns the exit status: 0 when everything asked for
// succeeded, 1 when a tester, the archive or the export failed, 2 for a
// command line or configuration that cannot be used.
int runCollect(const QStringList &arguments, QTextStream &out, QTextStream &err);

QString usageText();

// The command word of a command line, empty when there is none: main needs
// it before anything runs, since drawing a report needs the GUI library.
QString commandWord(const QStringList &arguments);

} // namespace nxa::collect
