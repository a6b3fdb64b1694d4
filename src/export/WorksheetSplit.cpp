#include "export/WorksheetSplit.h"

#include <QSet>

#include <algorithm>

namespace nxa::exports {

QStringList sheetNames(const SheetNaming &naming, int count) {
    QStringList names;
    for (int n = 1; n <= count; ++n)
        names.append(n == 1 ? naming.first : naming.continued + QString::number(n));
    return names;
}

bool validSheetNames(const QStringList &names) {
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    QSet<QString> seen;
    for (const QString &name : names) {
        if (name.isEmpty() || name.size() > 31 || name.front() == QLatin1Char('\'') ||
            name.back() == QLatin1Char('\''))
            return false;
        if (std::any_of(name.begin(), name.end(), [](QChar c) { return forbidden.contains(c); }))
            return false;
        const QString key = name.toCaseFolded();
        if (seen.contains(key))
            return false;
        seen.insert(key);
    }
    return true;
}

qint64 usableRowsPerSheet(qint64 rowsPerSheet) {
    return std::clamp<qint64>(rowsPerSheet, 2, kWorksheetRowLimit);
}

SheetPlace sheetPlace(qint64 line, qint64 rowsPerSheet) {
    const qint64 rows = usableRowsPerSheet(rowsPerSheet);
    if (line <= rows)
        return {0, line};
    // Past the first sheet every sheet gives one row to the repeated title.
    const qint64 overflow = line - rows - 1;
    return {1 + static_cast<int>(overflow / (rows - 1)), 2 + overflow % (rows - 1)};
}

} // namespace nxa::exports
