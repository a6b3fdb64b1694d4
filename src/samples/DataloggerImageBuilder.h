#pragma once

#include "records/DataloggerImage.h"

#include <QByteArray>
#include <QDateTime>

#include <map>
#include <vector>

namespace nxa::records {

// One access record as the tester stores it; toBytes() gives its 16 bytes.
struct AccessRecord {
    quint16 user = 0;
    quint32 footwear = 0;   // 24 bits: left, or left + right with kFlagLeftPlusRight
    quint32 right = 0;      // 24 bits
    quint32 wristStrap = 0; // 24 bits
    quint32 timestamp = 0;  // DOS date-time layout, see dosTimestamp()
    quint8 flags = 0;

    QByteArray toBytes() const;

    // Packs the fields into the DOS layout without checking them: each field
    // keeps only the bits it has room for, seconds are stored halved.
    static quint32 dosTimestamp(int year, int month, int day, int hour, int minute, int second);
};

// Builds datalogger images for tests and the tester simulator, including
// broken ones (wrong mark, a count that does not match the records).
class DataloggerImageBuilder {
public:
    void setPeripheralNumber(int number) { m_peripheralNumber = number; }
    void setRecognitionType(char type) { m_recognitionType = type; }
    // The name is stored as given (one byte per character), cut to 20 bytes.
    void setUserName(int user, const QByteArray &name);
    void addRecord(const AccessRecord &record) { m_records.push_back(record); }
    void addRecords(const std::vector<AccessRecord> &records);
    // Overrides the count written into the header (0 to 99,999,999);
    // otherwise the number of records the image holds.
    void setHeaderCount(int count) { m_headerCount = count; }
    void setHeaderMark(char mark) { m_headerMark = mark; }

    int recordCount() const { return static_cast<int>(m_records.size()); }
    const std::vector<AccessRecord> &records() const { return m_records; }

    // Preamble + header + spare + users + access blocks: 192,192 bytes.
    QByteArray transferImage() const;
    // The same without the preamble, CR LF after every record: 198,132 bytes.
    QByteArray fileImage() const;

private:
    // The 3002 records shared by both forms, back to back.
    QByteArray imageRecords() const;

    int m_peripheralNumber = 1;
    char m_recognitionType = kRecognitionFingerprint;
    char m_headerMark = kHeaderMark;
    int m_headerCount = -1;
    std::map<int, QByteArray> m_names;
    std::vector<AccessRecord> m_records;
};

struct SampleDataloggerOptions {
    int peripheralNumber = 1;
    char recognitionType = kRecognitionFingerprint;
    // Records pick users 0 to userCount - 1.
    int userCount = 200;
    // Give every user a name; otherwise all names stay empty.
    bool names = true;
    // Some names carry Latin-1 letters (one byte each in the image).
    bool nonAsciiNames = false;
    // Share of visitor records, percent.
    int visitorPercent = 5;
    // Share of footwear measured as one L+R value, percent.
    int leftPlusRightPercent = 20;
    // Share of records identified by a typed code, percent.
    int keyboardPercent = 30;
    // Time of the first record; the next ones follow at random intervals.
    QDateTime start = QDateTime(QDate(2024, 3, 4), QTime(7, 30, 0));
};

// The name sample users carry; deterministic per user number.
QByteArray sampleUserName(int user, bool nonAscii = false);

// Deterministic records: the same count, seed and options give the same records.
std::vector<AccessRecord> generateSampleRecords(int count, quint32 seed,
                                                const SampleDataloggerOptions &options = {});

// A full datalogger of count records (at most 10,000 fit) with user names set.
DataloggerImageBuilder sampleDatalogger(int count, quint32 seed,
                                        const SampleDataloggerOptions &options = {});

} // namespace nxa::records
