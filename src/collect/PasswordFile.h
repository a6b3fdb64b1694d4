#pragma once

#include <QString>

namespace nxa::collect {

struct PasswordRead {
    QString password; // the six characters; empty on failure
    QString error;
};

// Reads a tester password from its own file: one line of exactly six
// characters, an optional line end after it. Refused when the file is not a
// regular file or when its group or others may read it, since anyone who can
// read it can open the tester. The error never quotes the file's content.
PasswordRead readPasswordFile(const QString &path);

} // namespace nxa::collect
