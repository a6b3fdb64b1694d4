#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace nxa::app {

// Limit fields take decimal digits only, at most seven of them at the keyboard. A configuration
// file can hold a longer limit; the field shows it whole, and the user may shorten it but not
// lengthen or alter it; once it is within the rule, the rule alone holds again. QLineEdit::setText
// skips validation and an invalid text would switch the field's undo of refused keystrokes off,
// so the loaded text is declared acceptable here instead.
class LimitValidator : public QValidator {
    Q_OBJECT

public:
    static constexpr int kTypedLength = 7;

    // Validates `field` and is owned by it.
    explicit LimitValidator(QLineEdit *field);

    // The text last put into the field from the configuration.
    void setLoadedText(const QString &text);

    State validate(QString &input, int &pos) const override;

private:
    static bool fitsTyping(const QString &text);

    QString m_loaded;
};

} // namespace nxa::app
