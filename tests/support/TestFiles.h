#pragma once

// Whole-file reads and writes, and a working folder of a test's own, for the
// tests that judge what the code under test leaves on disk.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace nxa::test {

// The file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Creates or replaces the file; true when every byte was written.
inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A fresh temporary folder that is the working folder while the object
// lives. The code under test keeps its preferences and log there, so no test
// sees another's files; the previous working folder comes back on destruction.
class WorkingFolder {
public:
    WorkingFolder()
        : m_previous(QDir::currentPath()),
          m_active(m_folder.isValid() && QDir::setCurrent(m_folder.path())) {}
    ~WorkingFolder() { QDir::setCurrent(m_previous); }
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    // False when the folder could not be made or entered.
    bool isActive() const { return m_active; }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_folder;
    bool m_active;
};

} // namespace nxa::test
