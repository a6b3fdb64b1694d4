#include "app/configuration/GeneralTab.h"

#include "app/configuration/ClampingSpinBox.h"
#include "app/configuration/FieldFont.h"
#include "app/configuration/InputValidators.h"
#include "app/shared/ChosenOptionTabStop.h"
#include "app/shared/TitledFrame.h"
#include "config/ChoiceTexts.h"
#include "config/StationConfig.h"
#include "config/UserCodes.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace nxa::app {

namespace {

constexpr int kDescriptionMaxLength = 20;

QLabel *addRightLabel(QWidget *parent, const QString &text, int x, int y, int width, int height) {
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, y, width, height);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

GeneralTab::GeneralTab(config::StationConfig &config, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_config(config), m_dialogs(dialogs) {
    // The picture keeps its own 400 x 256 size at 30, 20: it fits beside the
    // identity fields and above the Security Level frame.
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("productPicture"));
    const QPixmap product(QStringLiteral(":/assets/product.jpg"));
    if (!product.isNull()) {
        m_picture->setPixmap(product);
        m_picture->setGeometry(30, 20, product.width(), product.height());
    } else {
        m_picture->setGeometry(30, 20, 400, 256);
    }

    addRightLabel(this, QStringLiteral("Peripheral Number: "), 500, 50, 100, 20);
    m_peripheralNumber =
        new ClampingSpinBox(config::kMinPeripheralNumber, config::kMaxPeripheralNumber, this);
    m_peripheralNumber->setGeometry(600, 45, 50, 25);
    m_peripheralNumber->setFont(fieldFont());

    addRightLabel(this, QStringLiteral("Peripheral Description: "), 450, 100, 150, 20);
    m_description = new QLineEdit(this);
    m_description->setGeometry(600, 95, 150, 25);
    m_description->setMaxLength(kDescriptionMaxLength);
    m_description->setValidator(createStorableTextValidator(m_description));
    m_description->setFont(fieldFont());

    auto *frame = new TitledFrame(QStringLiteral("Security Level"), this);
    frame->setGeometry(10, 300, 750, 110);
    m_max = new QRadioButton(config::securityLevelText(config::SecurityLevel::Max), this);
    m_max->setGeometry(20, 320, 500, 20);
    m_middle = new QRadioButton(config::securityLevelText(config::SecurityLevel::Middle), this);
    m_middle->setGeometry(20, 350, 500, 20);
    m_min = new QRadioButton(config::securityLevelText(config::SecurityLevel::Min), this);
    m_min->setGeometry(20, 380, 500, 20);

    addRightLabel(this, QStringLiteral("'User Code' generator: "), 455, 350, 240, 20);
    m_generator = new QLineEdit(this);
    m_generator->setGeometry(695, 345, 50, 25);
    m_generator->setMaxLength(config::kGeneratorLength);
    m_generator->setValidator(createStorableTextValidator(m_generator));
    m_generator->setFont(fieldFont());
    m_generator->setEnabled(false); // the default level is Min
    m_generator->installEventFilter(this);

    connect(m_peripheralNumber, &QSpinBox::valueChanged, this,
            [this](int value) { m_config.setPeripheralNumber(value); });
    connect(m_description, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_config.description = text; });
    connect(m_generator, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_config.generator = text; });
    connect(m_generator, &QLineEdit::textEdited, this, [this] { m_warnedGenerator.clear(); });
    // Only the user's clicks change whether the generator can be edited; a
    // loaded configuration selects the level without touching it.
    connect(m_max, &QRadioButton::clicked, this, [this] {
        m_config.securityLevel = config::SecurityLevel::Max;
        m_generator->setEnabled(false);
    });
    connect(m_middle, &QRadioButton::clicked, this, [this] {
        m_config.securityLevel = config::SecurityLevel::Middle;
        m_generator->setEnabled(true);
    });
    connect(m_min, &QRadioButton::clicked, this, [this] {
        m_config.securityLevel = config::SecurityLevel::Min;
        m_generator->setEnabled(false);
    });

    makeChosenOptionTheTabStop({m_max, m_middle, m_min});
    reloadFromModel();
}

void GeneralTab::reloadFromModel() {
    const QSignalBlocker blockNumber(m_peripheralNumber);
    const QSignalBlocker blockDescription(m_description);
    const QSignalBlocker blockGenerator(m_generator);
    m_peripheralNumber->setValue(m_config.peripheralNumber());
    m_description->setText(m_config.description);
    m_generator->setText(m_config.generator);
    switch (m_config.securityLevel) {
    case config::SecurityLevel::Max:
        m_max->setChecked(true);
        break;
    case config::SecurityLevel::Middle:
        m_middle->setChecked(true);
        break;
    case config::SecurityLevel::Min:
        m_min->setChecked(true);
        break;
    }
}

void GeneralTab::normalizeGenerator() {
    const QString normalized = config::normalizeGenerator(m_generator->text());
    if (normalized != m_generator->text())
        m_generator->setText(normalized); // also updates the configuration
    m_config.generator = normalized;
}

bool GeneralTab::eventFilter(QObject *watched, QEvent *event) {
    // A popup such as the field's context menu takes the focus only for a moment while the
    // field keeps the keyboard: the user is still typing there.
    if (watched == m_generator && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        generatorLostFocus();
    return QWidget::eventFilter(watched, event);
}

void GeneralTab::generatorLostFocus() {
    normalizeGenerator();
    // Focus also leaves when the window is deactivated; one warning per
    // typed generator is enough.
    if (!config::generatorHasZeroDivisor(m_config.generator) || m_warningPending ||
        m_config.generator == m_warnedGenerator)
        return;
    m_warnedGenerator = m_config.generator;
    // Shown once the focus change is over, so the box does not take part in
    // it; a button pressed in the same go shows it first (showPendingWarning).
    m_warningPending = true;
    QTimer::singleShot(0, this, &GeneralTab::showPendingWarning);
}

void GeneralTab::showPendingWarning() {
    if (!m_warningPending)
        return;
    m_warningPending = false;
    if (!config::generatorHasZeroDivisor(m_config.generator))
        return;
    m_dialogs.showNotice(
        {QStringLiteral("WARNING"),
         QStringLiteral("With the 'User Code' generator \"%1\" the user codes can't be "
                        "computed (one of its digits makes a zero divisor): the Users tab "
                        "shows \"---\" in place of the check digits, and the tester may "
                        "refuse this generator.")
             .arg(m_config.generator),
         NoticeIcon::Warning});
}

} // namespace nxa::app
