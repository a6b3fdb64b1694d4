#pragma once

#include "analysis/AnalysisInput.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace nxa::collect {

// How the web view names a person: a roster person by their own ID, anyone
// else by the entrance they use, "TESTER:USER".
QString personId(const analysis::Plant &plant, int person, int tester, int user);
// The roster's name, else the name the tester's user table gave on `day`.
QString personName(const analysis::Plant &plant, int person, int tester, int user, int day);

struct PersonRef {
    int person = -1;                            // index into the roster, -1 for none
    std::vector<std::pair<int, int>> entrances; // entrances: tester index, user number
};

// The person an ID of personId names; nothing when nobody has it.
std::optional<PersonRef> findPerson(const analysis::Plant &plant, const QString &id);

} // namespace nxa::collect
