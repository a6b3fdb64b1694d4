#pragma once

#include "export/PartPackager.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace nxa::exports {

// Runs another packager on a thread of its own, so parts are compressed on
// one core while the next chunks are generated on the other. Calls are
// handed over in order through a queue of at most kQueuedChunks chunks, so
// the packager sees exactly the calls it would see without the thread and
// writes exactly the same bytes. Results other than close's report failures
// known so far; close waits for the packager and returns the final outcome.
class PackagerThread : public PartPackager {
public:
    static constexpr size_t kQueuedChunks = 8;

    explicit PackagerThread(PartPackager &packager);
    // Stops after the calls already queued; the packager is then left as a
    // failed run leaves it.
    ~PackagerThread() override;
    PackagerThread(const PackagerThread &) = delete;
    PackagerThread &operator=(const PackagerThread &) = delete;

    bool addPart(const char *name, const QByteArray &bytes) override;
    bool beginPart(const char *name, qint64 size) override;
    bool writeChunk(const char *data, qsizetype size) override;
    bool endPart() override;
    bool close() override;

private:
    struct Call {
        enum class Kind { AddPart, BeginPart, Chunk, EndPart, Close } kind;
        const char *name = nullptr;
        qint64 size = 0;
        QByteArray bytes;
    };

    bool enqueue(Call call);
    void run();

    PartPackager &m_packager;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Call> m_calls;
    // Chunk buffers handed back by the packager's thread, so a long part
    // reuses a few buffers instead of allocating one per chunk.
    std::vector<QByteArray> m_spare;
    bool m_failed = false;
    bool m_closed = false;
    bool m_done = false;
    bool m_result = false;
    std::thread m_thread;
};

} // namespace nxa::exports
