#pragma once

#include <QSpinBox>

namespace nxa::app {

// A number spinner that takes any typed number and brings one outside its
// range to the nearer bound when the typing ends (150 in 1 to 100 gives 100),
// where a plain spinner refuses the digit that leaves the range (giving 15).
class ClampingSpinBox : public QSpinBox {
    Q_OBJECT
public:
    ClampingSpinBox(int minimum, int maximum, QWidget *parent = nullptr);

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

protected:
    int valueFromText(const QString &text) const override;
};

} // namespace nxa::app
