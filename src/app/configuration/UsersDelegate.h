#pragma once

#include <QStyledItemDelegate>

namespace nxa::app {

// Draws each user row like a row of controls (check box, ID, name field,
// profile drop-down, code) at their places in the row, and edits the name
// and the profile with a real field or drop-down only while they are edited,
// so 1000 users never cost 5000 widgets.
class UsersDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Where each column starts in a row, and where its control sits in the row.
    static constexpr int kColumnStarts[] = {0, 80, 130, 450, 640};
    static constexpr int kRowWidth = 730;
    static constexpr int kRowHeight = 30;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The control of `column` in the row whose cell of that column is `cell`.
    static QRect controlRect(const QRect &cell, int column);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};

} // namespace nxa::app
