#pragma once

#include "app/dialogs/UserDialogs.h"

#include <QPointer>
#include <QWidget>

class QMessageBox;

namespace nxa::app {

// What a title bar takes besides the title: the window's icon and its
// buttons, with the window manager's spacing.
inline constexpr int kTitleBarReserve = 120;
// Width a window needs to show `title` whole in its title bar.
int titleBarWidth(const QString &title);
// Makes a message box at least titleBarWidth of its title wide.
void widenForTitle(QMessageBox &box);

// The production dialogs: Qt message boxes, file dialogs and the two-choice
// window, each owned by the given window.
class QtUserDialogs : public UserDialogs {
public:
    explicit QtUserDialogs(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    void showNotice(const Notice &notice) override;
    bool askYesNo(const QString &title, const QString &text) override;
    int chooseOne(const QString &question, const QString &first, const QString &second) override;
    QString openFile(const QString &title, const QString &directory,
                     const QStringList &filters) override;
    QString saveFile(const QString &title, const QString &filter) override;
    QString chooseFolder(const QString &title, const QString &directory) override;
    std::optional<QString> inputText(const QString &caption, const QString &prompt,
                                     const QString &preset) override;
    bool setUpPrinter(QPrinter &printer) override;
    std::unique_ptr<ProgressWindow> beginProgress(const QString &text, bool cancellable) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace nxa::app
