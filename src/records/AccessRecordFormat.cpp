#include "records/AccessRecordFormat.h"

#include "records/AccessRowBuilder.h"

namespace nxa::records {

std::optional<Row> formatAccessRecord(QByteArrayView record, const QStringList &userNames,
                                      char recognitionType, int peripheralNumber) {
    AccessRowBuilder builder(recognitionType, peripheralNumber);
    builder.setUserNames(userNames);
    if (!builder.build(record))
        return std::nullopt;
    return builder.row();
}

} // namespace nxa::records
