#include "export/ZipPackager.h"

#include <archive.h>
#include <archive_entry.h>

#include <ctime>
#include <memory>

namespace nxa::exports {

namespace {

constexpr int kEntryMode = 0644;
constexpr const char *kZipOptions = "zip:compression=deflate,zip:compression-level=6";

la_ssize_t writeToDevice(struct archive *, void *client, const void *data, size_t size) {
    auto *target = static_cast<ZipPackager::Target *>(client);
    const qint64 written =
        target->device->write(static_cast<const char *>(data), static_cast<qint64>(size));
    if (written != static_cast<qint64>(size)) {
        target->failed = true;
        return -1;
    }
    return static_cast<la_ssize_t>(size);
}

struct EntryDeleter {
    void operator()(archive_entry *entry) const { archive_entry_free(entry); }
};

} // namespace

ZipPackager::ZipPackager(QIODevice &device, std::time_t entryTime)
    : m_target{&device}, m_entryTime(entryTime) {}

ZipPackager::~ZipPackager() {
    if (m_archive) {
        if (!m_closed)
            archive_write_fail(m_archive);
        archive_write_free(m_archive);
    }
}

bool ZipPackager::open() {
    m_archive = archive_write_new();
    if (!m_archive || archive_write_set_format_zip(m_archive) != ARCHIVE_OK ||
        archive_write_set_options(m_archive, kZipOptions) != ARCHIVE_OK ||
        // Unblocked output: a ZIP must end with its directory record, not padding.
        archive_write_set_bytes_per_block(m_archive, 0) != ARCHIVE_OK ||
        archive_write_open2(m_archive, &m_target, nullptr, writeToDevice, nullptr, nullptr) !=
            ARCHIVE_OK) {
        m_failed = true;
        return false;
    }
    return true;
}

bool ZipPackager::beginPart(const char *name, qint64 size) {
    if (m_failed || !m_archive)
        return false;
    std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
    archive_entry_set_pathname(entry.get(), name);
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), kEntryMode);
    archive_entry_set_size(entry.get(), size);
    archive_entry_set_mtime(entry.get(), m_entryTime != 0 ? m_entryTime : std::time(nullptr), 0);
    m_declared = size;
    m_written = 0;
    if (archive_write_header(m_archive, entry.get()) != ARCHIVE_OK)
        m_failed = true;
    return !m_failed;
}

bool ZipPackager::writeChunk(const char *data, qsizetype size) {
    if (m_failed)
        return false;
    if (m_written + size > m_declared) {
        m_failed = true;
        return false;
    }
    const la_ssize_t stored = archive_write_data(m_archive, data, static_cast<size_t>(size));
    if (stored != static_cast<la_ssize_t>(size)) {
        m_failed = true;
        return false;
    }
    m_written += size;
    return true;
}

bool ZipPackager::endPart() {
    if (m_failed)
        return false;
    if (m_written != m_declared || archive_write_finish_entry(m_archive) != ARCHIVE_OK)
        m_failed = true;
    return !m_failed;
}

bool ZipPackager::addPart(const char *name, const QByteArray &bytes) {
    return beginPart(name, bytes.size()) &&
           (bytes.isEmpty() || writeChunk(bytes.constData(), bytes.size())) && endPart();
}

bool ZipPackager::close() {
    if (!m_archive)
        return false;
    if (!m_failed && archive_write_close(m_archive) != ARCHIVE_OK)
        m_failed = true;
    m_closed = !m_failed;
    return !m_failed && !m_target.failed;
}

bool ZipPackager::failed() const {
    return m_failed || m_target.failed;
}

} // namespace nxa::exports
