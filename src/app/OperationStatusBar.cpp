#include "app/OperationStatusBar.h"

#include <QLabel>
#include <QProgressBar>

namespace nxa::app {

OperationStatusBar::OperationStatusBar(QWidget *parent)
    : QStatusBar(parent), m_percent(new QLabel(this)), m_progress(new QProgressBar(this)) {
    setSizeGripEnabled(false);
    m_percent->setFixedWidth(kPercentFieldWidth);
    m_progress->setFixedWidth(kProgressFieldWidth);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    addWidget(m_percent);
    addWidget(m_progress);
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
