// The fixed-width text import fed any bytes. Importing the same text again
// adds nothing: every row it gave is already in the table.

#include "FuzzCheck.h"
#include "records/DataloggerTable.h"
#include "records/FixedWidthTextImport.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

namespace {

nxa::records::TextImportResult import(nxa::records::DataloggerTable &table,
                                      const QByteArray &text) {
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return nxa::records::importFixedWidthText(table, &buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    nxa::records::DataloggerTable table;
    const nxa::records::TextImportResult first = import(table, text);
    NXA_FUZZ_CHECK(first.added == table.rowCount());
    const nxa::records::TextImportResult second = import(table, text);
    NXA_FUZZ_CHECK(second.added == 0);
    NXA_FUZZ_CHECK(table.rowCount() == first.added);
    return 0;
}
