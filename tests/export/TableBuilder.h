#pragma once

#include "records/DataloggerTable.h"

#include <QStringList>

// A table whose rows stand in the order given; cells beyond those given are
// empty, and the hidden record column gets text that must never be exported.
inline nxa::records::DataloggerTable tableOf(const QList<QStringList> &rows) {
    nxa::records::DataloggerTable table;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        nxa::records::Row row;
        for (int c = 0; c < it->size() && c < nxa::records::kColumnCount; ++c)
            row[c] = it->at(c);
        if (row[nxa::records::kRecordColumn].isEmpty())
            row[nxa::records::kRecordColumn] = QStringLiteral("HIDDEN-RECORD");
        table.insertAtTop(row);
    }
    return table;
}
