#include "app/shared/ChosenOptionTabStop.h"

#include <QRadioButton>

namespace nxa::app {

namespace {

void moveTabStopTo(const QList<QRadioButton *> &options, const QRadioButton *chosen) {
    for (QRadioButton *option : options)
        option->setFocusPolicy(option == chosen ? Qt::StrongFocus : Qt::ClickFocus);
}

} // namespace

void makeChosenOptionTheTabStop(const QList<QRadioButton *> &options) {
    for (QRadioButton *option : options) {
        QObject::connect(option, &QAbstractButton::toggled, option, [options, option](bool on) {
            if (on)
                moveTabStopTo(options, option);
        });
        if (option->isChecked())
            moveTabStopTo(options, option);
    }
}

} // namespace nxa::app
