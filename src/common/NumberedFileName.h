#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace nxa {

// The part of a path after its last "\" or "/", extension included: files
// named on another system keep their backslashes.
QString fileNamePart(const QString &path);

// The two-digit number XX of a file named exactly prefix + XX + extension
// (case-sensitive, "LOG03.BRL", "CONFIG07.BRC"); nothing for any other name.
std::optional<int> numberedFileName(const QString &path, QStringView prefix, QStringView extension);

} // namespace nxa
