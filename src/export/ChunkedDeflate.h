#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nxa::exports {

// One raw deflate stream made of independently compressed blocks, so that
// several cores can compress one long part. Each block of kBlockSize input
// bytes is deflated at level 6 with the window before it as its dictionary
// and ends byte-aligned (a sync flush), the last one final; the blocks joined
// in order are one valid stream, about 0.2 % larger than a single pass. The
// blocks depend only on the input, never on how it was handed in or which
// thread compressed them: the bytes are the same for any number of threads.
class ChunkedDeflate {
public:
    static constexpr size_t kBlockSize = 128 * 1024;
    // A 4 KiB window instead of zlib's 32 KiB: a worksheet repeats its markup
    // every few hundred bytes, so a wider window finds no better matches, only
    // longer hash chains to walk. The hash table is kept small to match
    // (kMemoryLevel), as zlib slides all of it each time the window moves on.
    // At the same level 6 a worksheet compresses some 40 % faster and 6 %
    // smaller than with zlib's defaults.
    static constexpr int kWindowBits = 12;
    static constexpr int kMemoryLevel = 5;
    static constexpr size_t kDictionarySize = size_t{1} << kWindowBits;

    // Receives the compressed stream in order; false stops the stream.
    using Sink = std::function<bool(const char *data, size_t size)>;

    // helpers: threads compressing besides the caller (0: all on the caller's
    // thread). The caller compresses too whenever it would otherwise wait.
    ChunkedDeflate(int helpers, Sink sink);
    ~ChunkedDeflate();
    ChunkedDeflate(const ChunkedDeflate &) = delete;
    ChunkedDeflate &operator=(const ChunkedDeflate &) = delete;

    // Starts a new stream; whatever was not finished is dropped.
    void begin();
    bool write(const char *data, size_t size);
    // Ends the stream; false when the sink or zlib failed on the way.
    bool finish();

    // Of the stream last finished.
    std::uint32_t crc() const { return m_crc; }
    std::uint64_t inputSize() const { return m_inputSize; }
    std::uint64_t outputSize() const { return m_outputSize; }

private:
    struct Job {
        enum class State { Pending, Running, Done };
        std::string dictionary;
        std::string input;
        std::string output;
        unsigned long crc = 0;
        bool last = false;
        bool ok = true;
        State state = State::Pending;
    };
    class Compressor;

    void submit(bool last);
    // Hands finished blocks to the sink in order until at most `keep` remain
    // in flight, compressing waiting blocks itself rather than idling.
    void drain(size_t keep, std::unique_lock<std::mutex> &lock);
    Job *nextPending();
    void work();

    Sink m_sink;
    std::unique_ptr<Compressor> m_own;
    std::string m_block;
    std::string m_dictionary;
    std::uint32_t m_crc = 0;
    std::uint64_t m_inputSize = 0;
    std::uint64_t m_outputSize = 0;
    bool m_failed = false;

    size_t m_maxInFlight;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Job>> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_helpers;
};

} // namespace nxa::exports
