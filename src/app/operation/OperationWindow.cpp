#include "app/operation/OperationWindow.h"

#include "app/operation/OperationStatusBar.h"
#include "app/shared/AppAssets.h"
#include "app/shared/WindowPlacement.h"
#include "common/TesterAddress.h"
#include "link/LinkConstants.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>

namespace nxa::app {

namespace {

constexpr int kPictureHeight = 201;

QLabel *rightAlignedLabel(const QString &text, int y, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(0, y, 200, 20);
    return label;
}

// Up to four dotted fields of 0 to 255; a half-typed address stays editable.
QValidator *addressValidator(QObject *parent) {
    const QString field = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");
    const QString pattern = QStringLiteral("%1?(\\.%1?){0,3}").arg(field);
    return new QRegularExpressionValidator(QRegularExpression(pattern), parent);
}

} // namespace

OperationWindow::OperationWindow(const QString &actionText, QWidget *owner)
    : QWidget(owner, Qt::Dialog), m_picture(new QLabel(this)), m_address(new QLineEdit(this)),
      m_password(new QLineEdit(this)), m_button(new QPushButton(actionText, this)),
      m_statusBar(new OperationStatusBar(this)) {
    setWindowTitle(QStringLiteral("TCP/IP Settings"));
    setFixedSize(kOperationWindowWidth, kOperationWindowHeight);

    // An empty area stands in for the picture when the build carries none.
    m_picture->setGeometry(0, 0, kOperationWindowWidth, kPictureHeight);
    const QImage picture = operationPicture();
    if (!picture.isNull())
        m_picture->setPixmap(
            QPixmap::fromImage(picture).scaled(kOperationWindowWidth, kPictureHeight));

    rightAlignedLabel(QStringLiteral("Brontel NXA IP Address: "), 225, this);
    m_address->setGeometry(200, 225, 100, 20);
    m_address->setValidator(addressValidator(m_address));

    rightAlignedLabel(QStringLiteral("Admin Password: "), 250, this);
    m_password->setGeometry(200, 250, 100, 20);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(link::kPasswordLength);

    m_button->setGeometry(145, 295, 110, 20);
    m_button->setDefault(true);
    m_statusBar->placeAtFoot(kOperationWindowWidth, kOperationWindowHeight);

    setWindowTitle(actionText);
}

void OperationWindow::setAddress(quint32 address) {
    m_address->setText(formatAddress(address));
}

quint32 OperationWindow::address() const {
    return parseDottedAddress(m_address->text());
}

void OperationWindow::setPassword(const QString &password) {
    m_password->setText(password);
}

QString OperationWindow::password() const {
    return m_password->text();
}

void OperationWindow::keyPressEvent(QKeyEvent *event) {
    // The keys a dialog gives its close box and its default button; this
    // window is no dialog, so it gives them itself.
    if (!(event->modifiers() & ~Qt::KeypadModifier)) {
        if (event->key() == Qt::Key_Escape) {
            close();
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            m_button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void OperationWindow::centre() {
    centreWindow(*this, parentWidget() ? parentWidget()->screen() : nullptr);
}

} // namespace nxa::app
