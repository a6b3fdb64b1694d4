#pragma once

#include "records/AccessRowBuilder.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>
#include <vector>

namespace nxa::collect {

// The access records of a downloaded image that go into the archive, found
// the way the manager's command-line download finds them (peripheral number
// from the preamble, records past the header count and users above 999 left
// out), in image order. Only their places and occurrence numbers are kept;
// RecordValuesReader makes their values when they are stored.
class DecodedImage {
public:
    bool accepted() const { return m_accepted; }      // the image carried its "R" mark
    int headerCount() const { return m_headerCount; } // at most 10,000
    int size() const { return static_cast<int>(m_offsets.size()); }

    // The 16 record bytes of record i.
    QByteArrayView raw(int i) const {
        return QByteArrayView(m_image.constData() + m_offsets[static_cast<size_t>(i)], kRawSize);
    }
    // Among the records before it with the same 16 bytes, how many: identical
    // accesses are separate accesses, and an image downloaded again matches
    // them one to one.
    int occurrence(int i) const { return m_occurrences[static_cast<size_t>(i)]; }
    // Every record's bytes back to back, in image order.
    QByteArray rawRecords() const;

    static constexpr int kRawSize = 16;

private:
    friend DecodedImage decodeImage(const QByteArray &transferImage);
    friend class RecordValuesReader;

    bool m_accepted = false;
    int m_headerCount = 0;
    QByteArray m_image; // the transfer form, zero-padded to its full size
    std::vector<int> m_offsets;
    std::vector<int> m_occurrences;
    char m_recognitionType = 0;
    int m_peripheralNumber = 0;
};

DecodedImage decodeImage(const QByteArray &transferImage);

// What the archive stores of one access record: its identity, its 13 shown
// cells as UTF-8 exactly as the manager's download makes them, and the same
// record as typed numbers. The time is local as the tester stored it,
// without a zone. Views stay valid until the reader reads again.
struct RecordValues {
    QByteArrayView raw;
    int occurrence = 0;
    int seq = 0; // position among the image's records, oldest first
    // Columns 0-12 of the datalogger table, in its order.
    std::array<QByteArrayView, 13> cells;
    QByteArrayView localTime; // "yyyy-MM-dd hh:mm:ss"; empty when the fields form no valid time
    QByteArrayView localDate; // "yyyy-MM-dd"; empty with localTime
    int user = 0;
    bool visitor = false;
    bool pass = false;
    bool relay = false;
    bool keyboard = false;
    // kOhm; the three are absent and lr present when footwear was measured as one value.
    std::optional<int> wristStrap, left, right, leftRight;
};

// Makes the values of an image's records, one record at a time, in buffers
// reused from one record to the next.
class RecordValuesReader {
public:
    explicit RecordValuesReader(const DecodedImage &image);
    const RecordValues &read(int i);

private:
    const DecodedImage &m_image;
    records::AccessRowBuilder m_builder;
    RecordValues m_values;
    char m_localTime[20] = {};
};

} // namespace nxa::collect
