#include "export/ChunkedDeflate.h"

#include <zlib.h>

#include <algorithm>

namespace nxa::exports {

namespace {

constexpr int kLevel = 6;
// Room added when a block's output outgrows the first estimate.
constexpr size_t kOutputStep = 64 * 1024;

const Bytef *bytesOf(const std::string &text) {
    return reinterpret_cast<const Bytef *>(text.data());
}

} // namespace

// One zlib stream, reset for every block, so each thread owns one.
class ChunkedDeflate::Compressor {
public:
    Compressor() {
        // Negative window bits: a raw stream, no zlib header or trailer.
        m_ready = deflateInit2(&m_stream, kLevel, Z_DEFLATED, -kWindowBits, kMemoryLevel,
                               Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Compressor() {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Compressor(const Compressor &) = delete;
    Compressor &operator=(const Compressor &) = delete;

    void compress(Job &job) {
        job.crc = crc32_z(crc32(0, nullptr, 0), bytesOf(job.input), job.input.size());
        job.ok = m_ready && deflateReset(&m_stream) == Z_OK &&
                 (job.dictionary.empty() ||
                  deflateSetDictionary(&m_stream, bytesOf(job.dictionary),
                                       static_cast<uInt>(job.dictionary.size())) == Z_OK) &&
                 deflateBlock(job);
    }

private:
    bool deflateBlock(Job &job) {
        const int flush = job.last ? Z_FINISH : Z_SYNC_FLUSH;
        m_stream.next_in = const_cast<Bytef *>(bytesOf(job.input));
        m_stream.avail_in = static_cast<uInt>(job.input.size());
        size_t produced = 0;
        size_t room = deflateBound(&m_stream, static_cast<uLong>(job.input.size())) + 64;
        for (;;) {
            job.output.resize(produced + room);
            m_stream.next_out = reinterpret_cast<Bytef *>(job.output.data() + produced);
            m_stream.avail_out = static_cast<uInt>(room);
            const int result = deflate(&m_stream, flush);
            produced = job.output.size() - m_stream.avail_out;
            if (result == Z_STREAM_ERROR)
                return false;
            const bool complete = job.last ? result == Z_STREAM_END
                                           : m_stream.avail_in == 0 && m_stream.avail_out > 0;
            if (complete)
                break;
            room = kOutputStep;
        }
        job.output.resize(produced);
        return true;
    }

    z_stream m_stream{};
    bool m_ready = false;
};

ChunkedDeflate::ChunkedDeflate(int helpers, Sink sink)
    : m_sink(std::move(sink)), m_own(std::make_unique<Compressor>()),
      // Two blocks per compressing thread keep every core fed while the
      // memory stays a few blocks.
      m_maxInFlight(2 * static_cast<size_t>(std::max(helpers, 0) + 1)) {
    m_block.reserve(kBlockSize);
    for (int i = 0; i < helpers; ++i)
        m_helpers.emplace_back([this] { work(); });
}

ChunkedDeflate::~ChunkedDeflate() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread &helper : m_helpers)
        helper.join();
}

void ChunkedDeflate::begin() {
    {
        // Blocks of an unfinished stream may still be compressing elsewhere;
        // they are waited for but never reach the sink.
        m_failed = true;
        std::unique_lock lock(m_mutex);
        drain(0, lock);
    }
    m_block.clear();
    m_dictionary.clear();
    m_crc = crc32(0, nullptr, 0);
    m_inputSize = 0;
    m_outputSize = 0;
    m_failed = false;
}

bool ChunkedDeflate::write(const char *data, size_t size) {
    while (size > 0 && !m_failed) {
        const size_t step = std::min(size, kBlockSize - m_block.size());
        m_block.append(data, step);
        data += step;
        size -= step;
        if (m_block.size() == kBlockSize)
            submit(false);
    }
    return !m_failed;
}

bool ChunkedDeflate::finish() {
    if (!m_failed)
        submit(true);
    std::unique_lock lock(m_mutex);
    drain(0, lock);
    return !m_failed;
}

void ChunkedDeflate::submit(bool last) {
    auto job = std::make_unique<Job>();
    job->dictionary = m_dictionary;
    job->last = last;
    const size_t tail = std::min(m_block.size(), kDictionarySize);
    m_dictionary.assign(m_block, m_block.size() - tail, tail);
    job->input.swap(m_block);
    m_block.clear();
    m_block.reserve(kBlockSize);
    std::unique_lock lock(m_mutex);
    m_jobs.push_back(std::move(job));
    lock.unlock();
    m_changed.notify_one();
    lock.lock();
    drain(m_helpers.empty() ? 0 : m_maxInFlight - 1, lock);
}

ChunkedDeflate::Job *ChunkedDeflate::nextPending() {
    for (const auto &job : m_jobs) {
        if (job->state == Job::State::Pending)
            return job.get();
    }
    return nullptr;
}

void ChunkedDeflate::drain(size_t keep, std::unique_lock<std::mutex> &lock) {
    while (m_jobs.size() > keep) {
        if (m_jobs.front()->state == Job::State::Done) {
            std::unique_ptr<Job> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            if (!m_failed) {
                m_failed = !job->ok || !m_sink(job->output.data(), job->output.size());
                m_crc = static_cast<std::uint32_t>(
                    crc32_combine(m_crc, job->crc, static_cast<z_off_t>(job->input.size())));
                m_inputSize += job->input.size();
                m_outputSize += job->output.size();
            }
            lock.lock();
        } else if (Job *job = nextPending()) {
            job->state = Job::State::Running;
            lock.unlock();
            // Nothing more reaches the sink once it failed or the stream was dropped.
            if (!m_failed)
                m_own->compress(*job);
            lock.lock();
            job->state = Job::State::Done;
            m_changed.notify_all();
        } else {
            m_changed.wait(lock);
        }
    }
}

void ChunkedDeflate::work() {
    Compressor compressor;
    std::unique_lock lock(m_mutex);
    for (;;) {
        Job *job = nextPending();
        if (!job) {
            if (m_stopping)
                return;
            m_changed.wait(lock);
            continue;
        }
        job->state = Job::State::Running;
        lock.unlock();
        compressor.compress(*job);
        lock.lock();
        job->state = Job::State::Done;
        m_changed.notify_all();
    }
}

} // namespace nxa::exports
