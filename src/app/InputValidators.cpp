#include "app/InputValidators.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace nxa::app {

QValidator *createStorableTextValidator(QObject *parent) {
    static const QRegularExpression storable(QStringLiteral("[\\x{0020}-\\x{00FF}]*"));
    return new QRegularExpressionValidator(storable, parent);
}

QValidator *createLimitValidator(QObject *parent) {
    static const QRegularExpression digits(QStringLiteral("[0-9]*"));
    return new QRegularExpressionValidator(digits, parent);
}

} // namespace nxa::app
