#include "app/configuration/LimitValidator.h"

#include <QLineEdit>

#include <algorithm>

namespace nxa::app {

namespace {

bool allDigits(const QString &text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// True when `shorter` is `text` with some characters removed, in their order.
bool keptFrom(const QString &shorter, const QString &text) {
    qsizetype at = 0;
    for (QChar c : shorter) {
        at = text.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

} // namespace

LimitValidator::LimitValidator(QLineEdit *field) : QValidator(field) {
    connect(field, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (fitsTyping(text))
            m_loaded.clear();
    });
}

bool LimitValidator::fitsTyping(const QString &text) {
    return text.size() <= kTypedLength && allDigits(text);
}

void LimitValidator::setLoadedText(const QString &text) {
    m_loaded = fitsTyping(text) ? QString() : text;
}

QValidator::State LimitValidator::validate(QString &input, int & /*pos*/) const {
    if (fitsTyping(input))
        return Acceptable;
    // Deleting from a loaded text that breaks the typing rule is always allowed, so the
    // user can bring it back within the rule one keystroke at a time.
    if (!m_loaded.isEmpty() && keptFrom(input, m_loaded))
        return Acceptable;
    return Invalid;
}

} // namespace nxa::app
