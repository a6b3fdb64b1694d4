#include "records/TrimSpaces.h"

namespace nxa::records {

QString trimSpaces(QStringView text) {
    return trimSpacesView(text).toString();
}

QStringView trimSpacesView(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace nxa::records
