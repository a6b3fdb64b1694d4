#pragma once

#include "analysis/AnalysisInput.h"

#include <QtGlobal>

#include <optional>
#include <vector>

namespace nxa::records {
class DataloggerTable;
}
namespace nxa::config {
class StationConfig;
}

// The manager's table as the analysis reads it: one tester per peripheral
// number, a person being an ID of one of them.
namespace nxa::audit {

struct TablePerson {
    int peripheralNumber = 0;
    int user = 0;
    friend bool operator==(const TablePerson &, const TablePerson &) = default;
};

struct TablePlant {
    // Testers in ascending peripheral number, named "PN n"; no limits, no
    // collection attempts.
    analysis::Plant plant;
    std::vector<int> peripheralNumbers; // of each tester
    // Rows whose Date and Time cells form no valid time, per tester: they
    // are counted, never read as some other day.
    std::vector<qint64> invalidTimes;
    // Rows whose PN or ID cell is no number: they belong to no person.
    qint64 unreadRows = 0;
};

// The person a row belongs to; none when its PN or ID cell is no number.
std::optional<TablePerson> personOfRow(const records::DataloggerTable &table, int row);

// Every row of the table, or only those of `only`.
TablePlant tablePlant(const records::DataloggerTable &table,
                      const std::optional<TablePerson> &only = std::nullopt);

// The limits and the user table a configuration holds, taken at takenMs and
// in force from fromDay. An empty or unreadable limit checks nothing.
analysis::LimitsSnapshot limitsSnapshot(const config::StationConfig &config, qint64 takenMs,
                                        int fromDay);

} // namespace nxa::audit
