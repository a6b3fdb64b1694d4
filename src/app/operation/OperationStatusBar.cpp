#include "app/operation/OperationStatusBar.h"

#include <QLabel>
#include <QProgressBar>

namespace nxa::app {

OperationStatusBar::OperationStatusBar(QWidget *parent)
    : QStatusBar(parent), m_percent(new QLabel(this)), m_progress(new QProgressBar(this)) {
    setSizeGripEnabled(false);
    m_percent->setFixedWidth(kPercentFieldWidth);
    // The status bar's own margins and spacing come out of the 400-pixel
    // window, so the bar takes what is left of its 350-pixel field.
    m_progress->setMaximumWidth(kProgressFieldWidth);
    m_progress->setMinimumWidth(0);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    addWidget(m_percent);
    addWidget(m_progress, 1);
}

void OperationStatusBar::placeAtFoot(int windowWidth, int windowHeight) {
    setGeometry(0, windowHeight - kStatusBarHeight, windowWidth, kStatusBarHeight);
}

void OperationStatusBar::showProgress(const QString &text, int progress) {
    m_percent->setText(text);
    m_progress->setValue(progress);
}

QString OperationStatusBar::percentText() const {
    return m_percent->text();
}

int OperationStatusBar::progress() const {
    return m_progress->value();
}

} // namespace nxa::app
