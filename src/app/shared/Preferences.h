#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace nxa::app {

inline const QString kPreferencesFileName = QStringLiteral("preferences.pref");

// The tester address stored in the preferences file, or 192.168.1.200 when
// the file, its group or its key is missing. Never fails: a value that is not
// a dotted address gives whatever the dotted-address conversion yields.
quint32 readPreferences(const QString &path = kPreferencesFileName);

// The same from the file's bytes.
quint32 preferencesAddress(const QByteArray &content);
// The whole file written for `address`.
QByteArray preferencesContent(quint32 address);

// Rewrites the file whole with the tester address. A file that cannot be
// written is skipped silently.
void writePreferences(quint32 address, const QString &path = kPreferencesFileName);

} // namespace nxa::app
