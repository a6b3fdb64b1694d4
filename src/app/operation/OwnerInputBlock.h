#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace nxa::app {

// While an operation runs its owner window takes no input: clicks, keys and
// wheel turns on it are dropped, and activating it brings the operation window
// back to the front. Unlike window modality this lets the owner's close box
// through, so closing the main window aborts the operation as closing the
// operation window does.
class OwnerInputBlock : public QObject {
    Q_OBJECT
public:
    OwnerInputBlock(QWidget *owner, QWidget *operationWindow);
    ~OwnerInputBlock() override;
    OwnerInputBlock(const OwnerInputBlock &) = delete;
    OwnerInputBlock &operator=(const OwnerInputBlock &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_owner;
    QPointer<QWidget> m_operationWindow;
};

} // namespace nxa::app
