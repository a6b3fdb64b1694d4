#include "collect/FirstLayoutCopy.h"

#include "collect/Archive.h"

#include <sqlite3.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

namespace nxa::collect {

namespace {

// The columns `select` reads, by place.
constexpr int kNewTester = 0;
constexpr int kOldTester = 1;
constexpr int kRaw = 2;
constexpr int kOccurrence = 3;
constexpr int kAttempt = 4;
constexpr int kSeq = 5;
constexpr int kFirstCell = 6;
constexpr int kCellCount = 13;
constexpr int kColumns = 30; // the insert's parameters are these in this order, but the old tester
constexpr int kParameters = kColumns - 1;

struct Value {
    int type = SQLITE_NULL;
    sqlite3_int64 number = 0;
    size_t offset = 0; // texts and blobs: their bytes in the range's arena
    size_t size = 0;
};

// The rows of one range: values side by side, their bytes in one arena.
class RangeRows {
public:
    bool read(sqlite3_stmt *statement) {
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int c = 0; c < kColumns; ++c) {
                Value v;
                v.type = sqlite3_column_type(statement, c);
                if (v.type == SQLITE_INTEGER) {
                    v.number = sqlite3_column_int64(statement, c);
                } else if (v.type == SQLITE_TEXT || v.type == SQLITE_BLOB) {
                    const void *data =
                        v.type == SQLITE_TEXT
                            ? static_cast<const void *>(sqlite3_column_text(statement, c))
                            : sqlite3_column_blob(statement, c);
                    v.size = size_t(sqlite3_column_bytes(statement, c));
                    v.offset = m_arena.size();
                    m_arena.append(static_cast<const char *>(data), v.size);
                } else if (v.type == SQLITE_FLOAT) {
                    // The first layout holds no such value; a foreign one is kept as text.
                    const auto *text =
                        reinterpret_cast<const char *>(sqlite3_column_text(statement, c));
                    v.type = SQLITE_TEXT;
                    v.size = size_t(sqlite3_column_bytes(statement, c));
                    v.offset = m_arena.size();
                    m_arena.append(text, v.size);
                }
                m_values.push_back(v);
            }
        }
        return step == SQLITE_DONE;
    }

    size_t size() const { return m_values.size() / kColumns; }
    const Value &at(size_t row, int column) const {
        return m_values[row * kColumns + size_t(column)];
    }
    std::string_view bytes(size_t row, int column) const {
        const Value &v = at(row, column);
        return {m_arena.data() + v.offset, v.size};
    }
    // Numbers before texts, as SQLite orders mixed values; enough here, where
    // a column holds one kind.
    int compare(size_t a, size_t b, int column) const {
        const Value &x = at(a, column);
        const Value &y = at(b, column);
        if (x.type != y.type)
            return x.type < y.type ? -1 : 1;
        if (x.type == SQLITE_INTEGER)
            return x.number < y.number ? -1 : x.number > y.number ? 1 : 0;
        return bytes(a, column).compare(bytes(b, column));
    }

private:
    std::vector<Value> m_values;
    std::string m_arena;
};

void bind(sqlite3_stmt *insert, int parameter, const RangeRows &rows, size_t row, int column) {
    const Value &v = rows.at(row, column);
    const std::string_view bytes = rows.bytes(row, column);
    if (v.type == SQLITE_INTEGER)
        sqlite3_bind_int64(insert, parameter, v.number);
    else if (v.type == SQLITE_TEXT)
        sqlite3_bind_text(insert, parameter, bytes.data(), int(bytes.size()), SQLITE_STATIC);
    else if (v.type == SQLITE_BLOB)
        sqlite3_bind_blob(insert, parameter, bytes.data(), int(bytes.size()), SQLITE_STATIC);
    else
        sqlite3_bind_null(insert, parameter);
}

} // namespace

qint64 copyFirstLayoutRange(Archive &archive, sqlite3 *db, const QString &select,
                            const QString &fromDate, const QString &toDate, QString &error) {
    sqlite3_stmt *read = nullptr;
    sqlite3_stmt *insert = nullptr;
    auto finish = [&](qint64 result) {
        if (result < 0) {
            archive.setLastError(QString::fromUtf8(sqlite3_errmsg(db)),
                                 QString::number(sqlite3_extended_errcode(db)));
            error = archive.lastError();
        }
        sqlite3_finalize(read);
        sqlite3_finalize(insert);
        return result;
    };
    const QByteArray selectSql = select.toUtf8();
    const QByteArray from = fromDate.toUtf8();
    const QByteArray to = toDate.toUtf8();
    QByteArray insertSql =
        "INSERT INTO records (tester, raw, occurrence, attempt, seq, pn, user_id, visitor, "
        "user_name, wrist_strap, shoe_l, shoe_r, shoe_lr, passed, relay, recognition, "
        "record_date, record_time, user_number, is_visitor, is_pass, relay_on, by_keyboard, "
        "ws_kohm, l_kohm, r_kohm, lr_kohm, local_time, local_date) VALUES (?";
    for (int p = 1; p < kParameters; ++p)
        insertSql += ", ?";
    insertSql += ')';
    if (sqlite3_prepare_v2(db, selectSql.constData(), int(selectSql.size()), &read, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v2(db, insertSql.constData(), int(insertSql.size()), &insert, nullptr) !=
            SQLITE_OK)
        return finish(-1);
    sqlite3_bind_text(read, 1, from.constData(), int(from.size()), SQLITE_STATIC);
    sqlite3_bind_text(read, 2, to.constData(), int(to.size()), SQLITE_STATIC);
    RangeRows rows;
    if (!rows.read(read))
        return finish(-1);

    // Within one display of an access its copies were numbered by the old
    // key; numbered again by its bytes, in the old order of those copies.
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    auto sameDisplay = [&](size_t a, size_t b) {
        for (int c : {kOldTester, kRaw})
            if (int d = rows.compare(a, b, c))
                return d;
        for (int c = kFirstCell; c < kFirstCell + kCellCount; ++c)
            if (int d = rows.compare(a, b, c))
                return d;
        return 0;
    };
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int d = sameDisplay(a, b);
        return d ? d < 0 : rows.compare(a, b, kOccurrence) < 0;
    });
    std::vector<sqlite3_int64> occurrence(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        occurrence[order[i]] =
            i > 0 && sameDisplay(order[i - 1], order[i]) == 0 ? occurrence[order[i - 1]] + 1 : 0;

    // A copy of another display is the same access again: the first
    // archived stays. In the new key's order, so the tree fills at its end.
    auto sameAccess = [&](size_t a, size_t b) {
        for (int c : {kNewTester, kRaw})
            if (int d = rows.compare(a, b, c))
                return d;
        return occurrence[a] < occurrence[b] ? -1 : occurrence[a] > occurrence[b] ? 1 : 0;
    };
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (const int d = sameAccess(a, b))
            return d < 0;
        for (int c : {kAttempt, kSeq})
            if (const int d = rows.compare(a, b, c))
                return d < 0;
        return false;
    });
    qint64 copied = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        const size_t row = order[i];
        if (i > 0 && sameAccess(order[i - 1], row) == 0)
            continue;
        int parameter = 1;
        bind(insert, parameter++, rows, row, kNewTester);
        bind(insert, parameter++, rows, row, kRaw);
        sqlite3_bind_int64(insert, parameter++, occurrence[row]);
        for (int c = kAttempt; c < kColumns; ++c)
            bind(insert, parameter++, rows, row, c);
        if (sqlite3_step(insert) != SQLITE_DONE)
            return finish(-1);
        sqlite3_reset(insert);
        ++copied;
    }
    return finish(copied);
}

} // namespace nxa::collect
