#include "export/ChunkedDeflate.h"

#include <QtTest>

#include <zlib.h>

#include <string>

using namespace nxa::exports;

namespace {

constexpr qulonglong kBlock = ChunkedDeflate::kBlockSize;

// Text that compresses like a worksheet, with references far enough back
// that a block without its dictionary would compress differently.
std::string sourceText(size_t size) {
    std::string text;
    for (int row = 0; text.size() < size; ++row)
        text += "<row r=\"" + std::to_string(row) + "\"><c t=\"s\"><v>" +
                std::to_string(row * 7919 % 3001) + "</v></c></row>";
    text.resize(size);
    return text;
}

// The raw deflate stream inflated again; empty and *ok false when it is not one.
std::string inflated(const std::string &stream, bool *ok) {
    z_stream z{};
    *ok = inflateInit2(&z, -15) == Z_OK;
    std::string out;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    int result = Z_OK;
    char buffer[65536];
    while (*ok && result == Z_OK) {
        z.next_out = reinterpret_cast<Bytef *>(buffer);
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    *ok = *ok && result == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return out;
}

} // namespace

class TestChunkedDeflate : public QObject {
    Q_OBJECT

private slots:
    void oneStreamWhateverTheThreads_data();
    void oneStreamWhateverTheThreads();
};

void TestChunkedDeflate::oneStreamWhateverTheThreads_data() {
    QTest::addColumn<qulonglong>("size");
    QTest::addColumn<qulonglong>("piece"); // bytes per write call
    // clang-format off
    QTest::newRow("empty")                   << 0ULL                 << 1ULL;
    QTest::newRow("one byte")                << 1ULL                 << 1ULL;
    QTest::newRow("one block less a byte")   << kBlock - 1           << 4096ULL;
    QTest::newRow("exactly one block")       << kBlock               << kBlock;
    QTest::newRow("one block and a byte")    << kBlock + 1           << 65536ULL;
    QTest::newRow("many blocks, odd pieces") << 9 * kBlock + 12345   << 7777ULL;
    QTest::newRow("one piece of many blocks") << 5 * kBlock + 3      << 5 * kBlock + 3;
    // clang-format on
}

void TestChunkedDeflate::oneStreamWhateverTheThreads() {
    QFETCH(qulonglong, size);
    QFETCH(qulonglong, piece);
    const std::string source = sourceText(size);
    std::string streams[3];
    for (int helpers = 0; helpers < 3; ++helpers) {
        std::string &stream = streams[helpers];
        ChunkedDeflate deflate(helpers, [&stream](const char *data, size_t length) {
            stream.append(data, length);
            return true;
        });
        // A stream left unfinished is dropped by the next begin.
        deflate.begin();
        deflate.write(source.data(), std::min<size_t>(source.size(), 3 * kBlock));
        deflate.begin();
        stream.clear();
        for (size_t at = 0; at < source.size(); at += piece)
            QVERIFY(deflate.write(source.data() + at, std::min<size_t>(piece, source.size() - at)));
        QVERIFY(deflate.finish());
        bool ok = false;
        QVERIFY(inflated(stream, &ok) == source);
        QVERIFY(ok);
        QCOMPARE(deflate.crc(),
                 static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(source.data()),
                                                  static_cast<uInt>(source.size()))));
        QCOMPARE(qulonglong(deflate.inputSize()), size);
        QCOMPARE(qulonglong(deflate.outputSize()), qulonglong(stream.size()));
        QVERIFY(stream == streams[0]);
    }
    // Each block is primed with the one before: no dearer than 1 % over one
    // pass with the same settings.
    if (size > kBlock) {
        z_stream z{};
        QCOMPARE(deflateInit2(&z, 6, Z_DEFLATED, -ChunkedDeflate::kWindowBits,
                              ChunkedDeflate::kMemoryLevel, Z_DEFAULT_STRATEGY),
                 Z_OK);
        std::string whole(deflateBound(&z, static_cast<uLong>(size)), '\0');
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(source.data()));
        z.avail_in = static_cast<uInt>(size);
        z.next_out = reinterpret_cast<Bytef *>(whole.data());
        z.avail_out = static_cast<uInt>(whole.size());
        QCOMPARE(deflate(&z, Z_FINISH), Z_STREAM_END);
        const uLong single = z.total_out;
        deflateEnd(&z);
        QVERIFY2(streams[0].size() < single * 101 / 100,
                 qPrintable(QStringLiteral("%1 against %2").arg(streams[0].size()).arg(single)));
    }
}

QTEST_GUILESS_MAIN(TestChunkedDeflate)
#include "tst_ChunkedDeflate.moc"
