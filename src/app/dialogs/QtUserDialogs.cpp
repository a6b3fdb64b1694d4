#include "app/dialogs/QtUserDialogs.h"

#include "app/dialogs/QtProgressWindow.h"
#include "app/dialogs/TwoChoiceWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

namespace nxa::app {

namespace {

QMessageBox::Icon boxIcon(NoticeIcon icon) {
    switch (icon) {
    case NoticeIcon::Information:
        return QMessageBox::Information;
    case NoticeIcon::Warning:
        return QMessageBox::Warning;
    case NoticeIcon::Error:
        return QMessageBox::Critical;
    case NoticeIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int titleBarWidth(const QString &title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    // Window managers commonly set titles in bold.
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarReserve;
}

void QtUserDialogs::showNotice(const Notice &notice) {
    QMessageBox box(boxIcon(notice.icon), notice.title, notice.text, QMessageBox::Ok, m_owner);
    widenForTitle(box);
    box.exec();
}

bool QtUserDialogs::askYesNo(const QString &title, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    widenForTitle(box);
    return box.exec() == QMessageBox::Yes;
}

void widenForTitle(QMessageBox &box) {
    // A message box sizes itself to its text and ignores a minimum width; a
    // spacer across its grid is what holds it open.
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(titleBarWidth(box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

int QtUserDialogs::chooseOne(const QString &question, const QString &first, const QString &second) {
    return TwoChoiceWindow::ask(m_owner, question, first, second);
}

QString QtUserDialogs::openFile(const QString &title, const QString &directory,
                                const QStringList &filters) {
    return QFileDialog::getOpenFileName(m_owner, title, directory,
                                        filters.join(QStringLiteral(";;")));
}

QString QtUserDialogs::saveFile(const QString &title, const QString &filter) {
    return QFileDialog::getSaveFileName(m_owner, title, QString(), filter);
}

QString QtUserDialogs::chooseFolder(const QString &title, const QString &directory) {
    return QFileDialog::getExistingDirectory(m_owner, title, directory);
}

std::optional<QString> QtUserDialogs::inputText(const QString &caption, const QString &prompt,
                                                const QString &preset) {
    // The title is always confirmed with OK (Enter); only the close box gives up.
    QDialog dialog(m_owner);
    dialog.setWindowTitle(caption);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(prompt, &dialog));
    auto *field = new QLineEdit(preset, &dialog);
    layout->addWidget(field);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    field->selectAll();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return field->text();
}

bool QtUserDialogs::setUpPrinter(QPrinter &printer) {
    printer.setCopyCount(1);
    printer.setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(&printer, m_owner);
    return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<ProgressWindow> QtUserDialogs::beginProgress(const QString &text,
                                                             bool cancellable) {
    return std::make_unique<QtProgressWindow>(m_owner, text, cancellable);
}

} // namespace nxa::app
