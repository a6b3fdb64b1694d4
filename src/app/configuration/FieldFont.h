#pragma once

#include <QFont>

namespace nxa::app {

// The font of every value field of the configuration tabs: Arial 10, bold.
inline QFont fieldFont() {
    QFont font(QStringLiteral("Arial"), 10);
    font.setBold(true);
    return font;
}

} // namespace nxa::app
