// The datalogger merge fed any bytes, as a log file (first byte "F") or as a
// received image (any other first byte). A second merge of the same image
// into the table it filled adds nothing.
//
// The input holds the image's records in another order: the leading records
// (preamble, header, spare), then the access-record blocks, then the user
// records. Short inputs thus reach the access records, which stand behind
// 32,000 bytes of user records in the image; what the input lacks reads as
// zeros, as a short log file does.

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "records/DataloggerImage.h"
#include "records/DataloggerMerge.h"
#include "records/DataloggerTable.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cstdint>

namespace {

using namespace nxa::records;

QByteArray imageOf(const QByteArray &input, bool fileForm) {
    const qsizetype record = fileForm ? kFileRecordSize : kRecordSize;
    const qsizetype leading =
        (fileForm ? 0 : kPreambleRecordCount) + kHeaderRecordCount + kSpareRecordCount;
    const qsizetype users = kUserRecordCount;
    const qsizetype blocks = kAccessBlockCount;
    QByteArray image((leading + users + blocks) * record, '\0');
    const auto place = [&](qsizetype from, qsizetype count, qsizetype to) {
        const qsizetype bytes = std::min(count * record, input.size() - from * record);
        if (bytes > 0)
            std::copy_n(input.constData() + from * record, bytes, image.data() + to * record);
    };
    place(0, leading, 0);
    place(leading, blocks, leading + users);
    place(leading + blocks, users, leading);
    return image;
}

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
    const auto [fileForm, input] = formedImage(data, size);
    const QByteArray image = imageOf(input, fileForm);

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
