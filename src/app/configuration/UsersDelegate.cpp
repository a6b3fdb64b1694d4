#include "app/configuration/UsersDelegate.h"

#include "app/configuration/InputValidators.h"
#include "app/configuration/UsersModel.h"
#include "config/ChoiceTexts.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>

namespace nxa::app {

namespace {

struct ControlPlace {
    int x, dy, width, height;
};

// x, y offset in the row, width and height of each row control.
constexpr ControlPlace kPlaces[UsersModel::ColumnCount] = {
    {30, 5, 20, 20},   // active check box
    {80, 6, 50, 20},   // ID
    {130, 3, 300, 25}, // name field
    {460, 3, 150, 25}, // profile choice
    {650, 6, 80, 20},  // user code (the row ends at 730)
};

constexpr int kTextMargin = 4;
constexpr char kNameBeforeEdit[] = "nameBeforeEdit";

QStyle *styleOf(const QStyleOptionViewItem &option) {
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

QRect UsersDelegate::controlRect(const QRect &cell, int column) {
    if (column < 0 || column >= UsersModel::ColumnCount)
        return cell;
    const ControlPlace &place = kPlaces[column];
    const int rowLeft = cell.left() - kColumnStarts[column];
    return QRect(rowLeft + place.x, cell.top() + place.dy, place.width, place.height);
}

void UsersDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const {
    QStyle *style = styleOf(option);
    const QRect rect = controlRect(option.rect, index.column());
    const QString text = index.data(Qt::DisplayRole).toString();
    const bool enabled = option.state & QStyle::State_Enabled;
    painter->save();
    switch (index.column()) {
    case UsersModel::ActiveColumn: {
        QStyleOptionButton box;
        box.initFrom(option.widget);
        box.rect = rect;
        box.state = (enabled ? QStyle::State_Enabled : QStyle::State_None) |
                    (index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked
                         ? QStyle::State_On
                         : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, option.widget);
        break;
    }
    case UsersModel::NameColumn: {
        QStyleOptionFrame frame;
        frame.initFrom(option.widget);
        frame.rect = rect;
        frame.state = (enabled ? QStyle::State_Enabled : QStyle::State_None) | QStyle::State_Sunken;
        frame.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, option.widget);
        frame.midLineWidth = 0;
        style->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, painter, option.widget);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(rect.adjusted(kTextMargin, 0, -kTextMargin, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        break;
    }
    case UsersModel::ProfileColumn: {
        QStyleOptionComboBox combo;
        combo.initFrom(option.widget);
        combo.rect = rect;
        combo.state = enabled ? QStyle::State_Enabled : QStyle::State_None;
        combo.currentText = text;
        combo.editable = false;
        combo.frame = true;
        style->drawComplexControl(QStyle::CC_ComboBox, &combo, painter, option.widget);
        style->drawControl(QStyle::CE_ComboBoxLabel, &combo, painter, option.widget);
        break;
    }
    default:
        painter->setPen(option.palette.color(QPalette::WindowText));
        painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        break;
    }
    painter->restore();
}

QSize UsersDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const {
    const int column = index.column();
    const int end = column + 1 < UsersModel::ColumnCount ? kColumnStarts[column + 1] : kRowWidth;
    return QSize(end - kColumnStarts[column], kRowHeight);
}

QWidget *UsersDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                     const QModelIndex &index) const {
    if (index.column() == UsersModel::NameColumn) {
        auto *field = new QLineEdit(parent);
        field->setMaxLength(UsersModel::kNameMaxLength);
        field->setValidator(createStorableTextValidator(field));
        // Every keystroke reaches the configuration, so an action started
        // while the field is still open already sees the new name.
        connect(field, &QLineEdit::textEdited, this,
                [this, field] { emit const_cast<UsersDelegate *>(this)->commitData(field); });
        return field;
    }
    if (index.column() == UsersModel::ProfileColumn) {
        auto *choice = new QComboBox(parent);
        for (int profile = 0; profile < config::kProfileChoiceCount; ++profile)
            choice->addItem(config::profileChoiceText(profile));
        connect(choice, &QComboBox::activated, this, [this, choice] {
            auto *self = const_cast<UsersDelegate *>(this);
            emit self->commitData(choice);
            emit self->closeEditor(choice);
        });
        return choice;
    }
    return nullptr;
}

void UsersDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const {
    if (auto *field = qobject_cast<QLineEdit *>(editor)) {
        const QString name = index.data(Qt::EditRole).toString();
        // Escape brings back the name the editing started from.
        if (!field->property(kNameBeforeEdit).isValid())
            field->setProperty(kNameBeforeEdit, name);
        // The model echoes every keystroke back: setting the same text again
        // would move the cursor to the end and clear the undo history.
        if (field->text() != name)
            field->setText(name);
    } else if (auto *choice = qobject_cast<QComboBox *>(editor))
        choice->setCurrentIndex(index.data(Qt::EditRole).toInt());
}

void UsersDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                 const QModelIndex &index) const {
    if (auto *field = qobject_cast<QLineEdit *>(editor)) {
        if (field->text() != index.data(Qt::EditRole).toString())
            model->setData(index, field->text(), Qt::EditRole);
    } else if (auto *choice = qobject_cast<QComboBox *>(editor)) {
        if (choice->currentIndex() >= 0)
            model->setData(index, choice->currentIndex(), Qt::EditRole);
    }
}

void UsersDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const {
    editor->setGeometry(controlRect(option.rect, index.column()));
}

bool UsersDelegate::eventFilter(QObject *watched, QEvent *event) {
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        // The name went to the model with every keystroke: put the old one
        // back before the editor closes.
        const QVariant before = field->property(kNameBeforeEdit);
        if (before.isValid() && field->text() != before.toString()) {
            field->setText(before.toString());
            emit commitData(field);
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

bool UsersDelegate::editorEvent(QEvent *event, QAbstractItemModel *model,
                                const QStyleOptionViewItem &option, const QModelIndex &index) {
    if (index.column() != UsersModel::ActiveColumn)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
        type == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton ||
            !controlRect(option.rect, index.column()).contains(mouse->position().toPoint()))
            return false;
        if (type == QEvent::MouseButtonRelease) {
            const bool checked =
                index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
            model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        return true;
    }
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Select) {
            const bool checked =
                index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
            return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
    }
    return false;
}

} // namespace nxa::app
