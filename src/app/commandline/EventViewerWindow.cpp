#include "app/commandline/EventViewerWindow.h"

#include "app/operation/OperationStatusBar.h"
#include "app/shared/TitledFrame.h"

#include <QListWidget>
#include <QPushButton>

namespace nxa::app {

EventViewerWindow::EventViewerWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), m_statusBar(new OperationStatusBar(this)),
      m_actionButton(new QPushButton(QStringLiteral("Download"), this)) {
    setWindowTitle(QStringLiteral("Download"));
    setFixedSize(kEventViewerWindowWidth, kEventViewerWindowHeight);

    auto *frame = new TitledFrame(QStringLiteral("Event viewer"), this);
    frame->setGeometry(10, 10, 380, 210);
    m_list = new QListWidget(frame);
    // The list stands at (20, 30) in the window, inside the frame at (10, 10).
    m_list->setGeometry(10, 20, 360, 180);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);

    m_statusBar->placeAtFoot(kEventViewerWindowWidth, kEventViewerWindowHeight);
    m_actionButton->hide();
}

void EventViewerWindow::addLine(const QString &line) {
    m_list->addItem(line);
    m_list->scrollToBottom();
    if (m_echo)
        m_echo(line);
}

QStringList EventViewerWindow::lines() const {
    QStringList result;
    result.reserve(m_list->count());
    for (int i = 0; i < m_list->count(); ++i)
        result.append(m_list->item(i)->text());
    return result;
}

} // namespace nxa::app
