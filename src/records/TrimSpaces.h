#pragma once

#include <QString>
#include <QStringView>

namespace nxa::records {

// Removes the space characters (U+0020 only) at both ends. Tabs, line feeds
// and other white space are data here and stay.
QString trimSpaces(QStringView text);
// The same as a view into text, for callers that only append it somewhere.
QStringView trimSpacesView(QStringView text);

} // namespace nxa::records
