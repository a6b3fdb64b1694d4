#include "export/PackagerThread.h"

namespace nxa::exports {

PackagerThread::PackagerThread(PartPackager &packager)
    : m_packager(packager), m_thread([this] { run(); }) {}

PackagerThread::~PackagerThread() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_closed) {
            m_failed = true;
            m_calls.clear();
            m_calls.push_back({Call::Kind::Close, nullptr, 0, {}});
            m_closed = true;
        }
    }
    m_changed.notify_all();
    m_thread.join();
}

bool PackagerThread::enqueue(Call call) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_calls.size() < kQueuedChunks || m_failed; });
    if (m_failed || m_closed)
        return false;
    m_calls.push_back(std::move(call));
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool PackagerThread::addPart(const char *name, const QByteArray &bytes) {
    return enqueue({Call::Kind::AddPart, name, 0, bytes});
}

bool PackagerThread::beginPart(const char *name, qint64 size) {
    return enqueue({Call::Kind::BeginPart, name, size, {}});
}

bool PackagerThread::writeChunk(const char *data, qsizetype size) {
    QByteArray bytes;
    {
        std::lock_guard lock(m_mutex);
        if (!m_spare.empty()) {
            bytes = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    bytes.resize(size);
    std::copy(data, data + size, bytes.data());
    return enqueue({Call::Kind::Chunk, nullptr, size, std::move(bytes)});
}

bool PackagerThread::endPart() {
    return enqueue({Call::Kind::EndPart, nullptr, 0, {}});
}

bool PackagerThread::close() {
    if (!enqueue({Call::Kind::Close, nullptr, 0, {}}))
        return false;
    std::unique_lock lock(m_mutex);
    m_closed = true;
    m_changed.wait(lock, [this] { return m_done; });
    return m_result;
}

void PackagerThread::run() {
    bool ok = true;
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_calls.empty(); });
        Call call = std::move(m_calls.front());
        m_calls.pop_front();
        const bool stopping = m_failed;
        lock.unlock();
        m_changed.notify_all();

        if (call.kind == Call::Kind::Close) {
            // A stopped run is never closed: the archive stays unfinished.
            ok = ok && !stopping && m_packager.close();
            std::lock_guard done(m_mutex);
            m_result = ok;
            m_done = true;
            m_changed.notify_all();
            return;
        }
        if (!ok)
            continue;
        switch (call.kind) {
        case Call::Kind::AddPart:
            ok = m_packager.addPart(call.name, call.bytes);
            break;
        case Call::Kind::BeginPart:
            ok = m_packager.beginPart(call.name, call.size);
            break;
        case Call::Kind::Chunk:
            ok = m_packager.writeChunk(call.bytes.constData(), call.bytes.size());
            break;
        case Call::Kind::EndPart:
            ok = m_packager.endPart();
            break;
        case Call::Kind::Close:
            break;
        }
        std::lock_guard relock(m_mutex);
        if (!ok)
            m_failed = true;
        if (call.kind == Call::Kind::Chunk && m_spare.size() < kQueuedChunks)
            m_spare.push_back(std::move(call.bytes));
        m_changed.notify_all();
    }
}

} // namespace nxa::exports
