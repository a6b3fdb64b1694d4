#include "app/configuration/ClampingSpinBox.h"

#include <algorithm>

namespace nxa::app {

namespace {

// More digits than any int holds are refused as they are typed.
constexpr qsizetype kMaxTypedDigits = 9;

bool isDigits(const QString &text) {
    return !text.isEmpty() && text.size() <= kMaxTypedDigits &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

ClampingSpinBox::ClampingSpinBox(int minimum, int maximum, QWidget *parent) : QSpinBox(parent) {
    setRange(minimum, maximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State ClampingSpinBox::validate(QString &input, int &) const {
    const QString text = input.trimmed();
    if (text.isEmpty())
        return QValidator::Intermediate;
    if (!isDigits(text))
        return QValidator::Invalid;
    const int value = text.toInt();
    return value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                    : QValidator::Intermediate;
}

void ClampingSpinBox::fixup(QString &input) const {
    const QString text = input.trimmed();
    if (isDigits(text))
        input = textFromValue(std::clamp(text.toInt(), minimum(), maximum()));
}

int ClampingSpinBox::valueFromText(const QString &text) const {
    return std::clamp(text.trimmed().toInt(), minimum(), maximum());
}

} // namespace nxa::app
