#include "app/configuration/InputValidators.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace nxa::app {

QValidator *createStorableTextValidator(QObject *parent) {
    static const QRegularExpression storable(QStringLiteral("[\\x{0020}-\\x{00FF}]*"));
    return new QRegularExpressionValidator(storable, parent);
}

} // namespace nxa::app
