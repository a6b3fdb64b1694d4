#include "app/configuration/UsersTab.h"

#include "app/configuration/ClampingSpinBox.h"
#include "app/configuration/UsersDelegate.h"
#include "app/configuration/UsersModel.h"
#include "app/shared/TitledFrame.h"
#include "config/UserCodes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>

namespace nxa::app {

namespace {

QLabel *addLabel(QWidget *parent, const QString &text, int x, int y, int width, int height) {
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, width, height);
    return label;
}

} // namespace

UsersTab::UsersTab(config::StationConfig &config, QWidget *parent)
    : QWidget(parent), m_model(new UsersModel(config, this)) {
    addLabel(this, QStringLiteral("Active"), 30, 10, 100, 20);
    addLabel(this, QStringLiteral("ID"), 90, 10, 100, 20);
    addLabel(this, QStringLiteral("Name"), 140, 10, 100, 20);
    addLabel(this, QStringLiteral("Profile"), 470, 10, 100, 20);
    addLabel(this, QStringLiteral("User Code"), 650, 10, 100, 20);

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("usersView"));
    m_view->setGeometry(10, 30, 750, 302);
    m_view->setModel(m_model);
    m_view->setItemDelegate(new UsersDelegate(m_view));
    m_view->horizontalHeader()->hide();
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(UsersDelegate::kRowHeight);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < UsersModel::ColumnCount; ++column) {
        const int end = column + 1 < UsersModel::ColumnCount
                            ? UsersDelegate::kColumnStarts[column + 1]
                            : UsersDelegate::kRowWidth;
        m_view->setColumnWidth(column, end - UsersDelegate::kColumnStarts[column]);
    }
    m_view->setShowGrid(false);
    m_view->setSelectionMode(QAbstractItemView::NoSelection);
    m_view->setFocusPolicy(Qt::StrongFocus);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // One row per scroll step, like the rows of controls it stands for.
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_view->setAutoFillBackground(true);
    m_view->setBackgroundRole(QPalette::Window);
    m_view->viewport()->setBackgroundRole(QPalette::Window);
    connect(m_view, &QTableView::clicked, this, &UsersTab::startEditing);
    m_view->viewport()->installEventFilter(this);

    auto *frame = new TitledFrame(QString(), this);
    frame->setGeometry(10, 340, 220, 70);
    addLabel(this, QStringLiteral("From:"), 20, 350, 50, 20);
    m_from = new ClampingSpinBox(config::kFirstUser, config::kLastUser, this);
    m_from->setGeometry(60, 350, 50, 20);
    m_from->setValue(config::kFirstUser);
    addLabel(this, QStringLiteral("To:"), 130, 350, 50, 20);
    m_to = new ClampingSpinBox(config::kFirstUser, config::kLastUser, this);
    m_to->setGeometry(170, 350, 50, 20);
    m_to->setValue(config::kLastUser);
    m_activate = new QPushButton(QStringLiteral("Activate"), this);
    m_activate->setGeometry(20, 380, 90, 20);
    m_deactivate = new QPushButton(QStringLiteral("Deactivate"), this);
    m_deactivate->setGeometry(130, 380, 90, 20);
    connect(m_activate, &QPushButton::clicked, this,
            [this] { m_model->setActiveRange(m_from->value(), m_to->value(), true); });
    connect(m_deactivate, &QPushButton::clicked, this,
            [this] { m_model->setActiveRange(m_from->value(), m_to->value(), false); });
}

bool UsersTab::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_view->viewport())
        return QWidget::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (type == QEvent::MouseButtonPress) {
        m_pressedName = nullptr;
        const QModelIndex index = m_view->indexAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || index.column() != UsersModel::NameColumn ||
            !UsersDelegate::controlRect(m_view->visualRect(index), index.column())
                 .contains(mouse->position().toPoint()))
            return QWidget::eventFilter(watched, event);
        m_view->setCurrentIndex(index);
        m_view->edit(index);
        m_pressedName = qobject_cast<QLineEdit *>(m_view->indexWidget(index));
        if (!m_pressedName)
            return QWidget::eventFilter(watched, event);
    } else if (!m_pressedName) {
        return QWidget::eventFilter(watched, event);
    }
    // The press that opens a name field goes on to the field, as if it had
    // been there all along: the cursor lands where clicked and a drag selects.
    QWidget *field = m_pressedName;
    const QPointF local = field->mapFrom(m_view->viewport(), mouse->position());
    QMouseEvent forwarded(type, local, mouse->scenePosition(), mouse->globalPosition(),
                          mouse->button(), mouse->buttons(), mouse->modifiers());
    QCoreApplication::sendEvent(field, &forwarded);
    if (type == QEvent::MouseButtonRelease)
        m_pressedName = nullptr;
    return true;
}

void UsersTab::startEditing(const QModelIndex &index) {
    const int column = index.column();
    if (column != UsersModel::ProfileColumn)
        return;
    m_view->edit(index);
    if (auto *choice = qobject_cast<QComboBox *>(m_view->indexWidget(index)))
        choice->showPopup();
}

void UsersTab::reloadFromModel() {
    // An open editor would write its stale text back over the new users.
    if (QWidget *editor = m_view->indexWidget(m_view->currentIndex()))
        emit m_view->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    m_model->reload();
}

void UsersTab::refreshCodes() {
    m_model->refreshCodes();
}

} // namespace nxa::app
