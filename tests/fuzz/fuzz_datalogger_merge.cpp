// The datalogger merge fed any bytes, as a log file (first byte "F") or as a
// received image (any other first byte). A second merge of the same image
// into the table it filled adds nothing.

#include "FuzzCheck.h"
#include "records/DataloggerMerge.h"
#include "records/DataloggerTable.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

namespace {

constexpr char kFileForm = 'F';

nxa::records::MergeResult merge(nxa::records::DataloggerTable &table, const QByteArray &image,
                                bool fileForm) {
    if (!fileForm)
        return nxa::records::mergeDataloggerImage(table, image);
    QBuffer buffer;
    buffer.setData(image);
    buffer.open(QIODevice::ReadOnly);
    return nxa::records::mergeDataloggerFile(table, &buffer, QStringLiteral("LOG07.BRL"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const bool fileForm = data[0] == kFileForm;
    const QByteArray image(reinterpret_cast<const char *>(data) + 1,
                           static_cast<qsizetype>(size - 1));

    nxa::records::DataloggerTable table;
    table.clearDuplicateKeys();
    const nxa::records::MergeResult first = merge(table, image, fileForm);
    NXA_FUZZ_CHECK(first.added == table.rowCount());
    NXA_FUZZ_CHECK(first.imageAccepted || first.added == 0);

    table.rebuildDuplicateKeys();
    const nxa::records::MergeResult second = merge(table, image, fileForm);
    NXA_FUZZ_CHECK(second.added == 0);
    NXA_FUZZ_CHECK(second.imageAccepted == first.imageAccepted);
    NXA_FUZZ_CHECK(table.rowCount() == first.added);
    return 0;
}
