#pragma once

#include "records/DataloggerTable.h"

#include <QByteArrayView>
#include <QStringConverter>
#include <QStringList>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace nxa::records {

// Writes the 14 cells of one access record after the other as UTF-8 texts in
// a buffer of its own, reused from record to record. The datalogger table
// takes them as a Row; the collector's archive binds them as they are, so a
// million records cost no string of their own.
class AccessRowBuilder {
public:
    // Records of an image whose header carries recognitionType, their PN cell
    // the given peripheral number.
    AccessRowBuilder(char recognitionType, int peripheralNumber);

    // User k's name is the 20-byte field of user slot k in the image's user
    // records (kUserCount slots of kUserSlotSize bytes); a slot the bytes do
    // not reach has an empty name. The bytes must outlive the builder.
    void setUserRecords(QByteArrayView userRecords);
    // User k's name is names[k]; missing entries are empty names. The list
    // must outlive the builder.
    void setUserNames(const QStringList &names);

    // The cells of a 16-byte access record (missing bytes read as 0); false,
    // and nothing written, when its user number is above 999.
    bool build(QByteArrayView record);

    // A cell of the last record built, UTF-8; valid until the next build.
    QByteArrayView cell(int column) const {
        const Span span = m_spans[static_cast<size_t>(column)];
        return QByteArrayView(m_text.data() + span.start, span.length);
    }
    // The cells of the last record built as UTF-16, and its bytes, which the
    // datalogger table takes without a string per cell; valid until the next
    // build.
    const CellViews &cellViews();
    const RecordBytes &recordBytes() const { return m_bytes; }
    Row row();

private:
    struct Span {
        quint32 start = 0;
        quint32 length = 0;
    };
    // A name as it stands in the cell: trimmed, or cut after "Visitor (".
    struct NameForms {
        Span plain;
        Span visitor;
    };

    const NameForms &nameForms(int user);
    void forgetNames();
    QString userName(int user) const;
    quint32 written() const { return quint32(m_out - m_text.data()); }
    void begin(int column) { m_spans[static_cast<size_t>(column)].start = written(); }
    void end(int column) {
        Span &span = m_spans[static_cast<size_t>(column)];
        span.length = written() - span.start;
    }
    void put(char c) { *m_out++ = c; }
    void put(const char *text, size_t length) {
        std::memcpy(m_out, text, length);
        m_out += length;
    }
    void appendNumber(quint32 value, int minDigits = 1);

    char m_recognitionType;
    std::string m_peripheralNumber;
    QByteArrayView m_userRecords;
    const QStringList *m_userNames = nullptr;
    // Each name is converted once, the first time a record of its user is
    // built: most dataloggers name far fewer users than they have room for,
    // so a user holds only the place of its forms (0: not converted yet).
    std::vector<quint16> m_namePlace;
    std::vector<NameForms> m_names;
    std::string m_nameText;

    // The row's cells back to back; sized for the longest row before it is
    // written, so each cell is put without checking for room.
    std::string m_text;
    char *m_out = nullptr;
    std::array<Span, kColumnCount> m_spans{};
    RecordBytes m_bytes{};
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    std::vector<QChar> m_wide;
    CellViews m_views;
    bool m_viewsBuilt = false;
};

} // namespace nxa::records
