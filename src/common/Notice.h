#pragma once

#include <QList>
#include <QString>

namespace nxa {

// How a message is to be shown; the application maps it onto a message box
// icon, an Event viewer line or a line on standard error.
enum class NoticeIcon { None, Information, Warning, Error };

// Something the user must hear about. Libraries return these instead of
// showing anything themselves.
struct Notice {
    QString title;
    QString text;
    NoticeIcon icon = NoticeIcon::None;

    friend bool operator==(const Notice &, const Notice &) = default;
};

using Notices = QList<Notice>;

} // namespace nxa
