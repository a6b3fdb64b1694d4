#pragma once

#include <QString>

struct sqlite3;

namespace nxa::collect {

class Archive;

// One range of whole record dates of a first-layout SQLite archive copied
// into today's records table, for the upgrade: `select` reads the range's
// rows (new tester, old tester, raw, occurrence, attempt, seq, the 13 cells,
// then the typed columns as the database computes them) without a sort; the
// two numberings the copy needs are made here, which SQLite's window
// functions did by sorting the wide rows twice. Inserts in the new key's
// order. The number of rows copied, or -1 with `error`.
qint64 copyFirstLayoutRange(Archive &archive, sqlite3 *db, const QString &select,
                            const QString &fromDate, const QString &toDate, QString &error);

} // namespace nxa::collect
