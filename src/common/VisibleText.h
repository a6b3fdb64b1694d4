#pragma once

#include <QString>
#include <QStringView>

namespace nxa {

// A text that came from a tester or a file (a user's name, a group name),
// made safe for a terminal, a mail or a report line: every C0 and C1 control
// character (U+0000-U+001F, U+007F-U+009F) becomes "\xNN", two upper-case
// hex digits, so that a stray escape sequence or line break shows as what it
// is instead of acting. Every other character is kept as it is.
QString visibleText(QStringView text);
// Whether visibleText would change the text.
bool hasControlCharacters(QStringView text);

} // namespace nxa
