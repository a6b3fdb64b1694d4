#include "app/configuration/SettingsTab.h"

#include "app/configuration/FieldFont.h"
#include "app/configuration/LimitValidator.h"
#include "app/shared/ChosenOptionTabStop.h"
#include "app/shared/TitledFrame.h"
#include "config/ChoiceTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>

namespace nxa::app {

namespace {

constexpr int kRowPitch = 40;
constexpr int kFieldHeight = 25;

void showLimit(QLineEdit *edit, const QString &text) {
    if (auto *validator = edit->findChild<LimitValidator *>())
        validator->setLoadedText(text);
    edit->setText(text);
}

// An index outside the list selects no entry, and reads back as none.
void showChoice(QComboBox *combo, int &index) {
    if (index < 0 || index >= combo->count())
        index = config::kNoChoice;
    combo->setCurrentIndex(index);
}

QLabel *addTitle(QWidget *parent, const QString &text, int x, int width, Qt::Alignment alignment) {
    auto *label = new QLabel(text, parent);
    label->setGeometry(x, 100, width, 40);
    label->setAlignment(alignment | Qt::AlignBottom);
    return label;
}

} // namespace

SettingsTab::SettingsTab(config::StationConfig &config, QWidget *parent)
    : QWidget(parent), m_config(config) {
    // Each option pair lives in its frame, which makes the pairs exclusive
    // apart from each other.
    auto *modeFrame = new TitledFrame(QStringLiteral("Mode"), this);
    modeFrame->setGeometry(10, 10, 370, 70);
    m_normal = new QRadioButton(QStringLiteral("Normal"), modeFrame);
    m_normal->setGeometry(40, 15, 80, 20);
    m_handFree = new QRadioButton(QStringLiteral("HandFree"), modeFrame);
    m_handFree->setGeometry(40, 45, 80, 20);
    auto *voltageFrame = new TitledFrame(QStringLiteral("Test Voltage"), this);
    voltageFrame->setGeometry(390, 10, 370, 70);
    m_volt100 = new QRadioButton(QStringLiteral("100 Volt"), voltageFrame);
    m_volt100->setGeometry(40, 15, 80, 20);
    m_volt50 = new QRadioButton(QStringLiteral("50 Volt"), voltageFrame);
    m_volt50->setGeometry(40, 45, 80, 20);

    const auto right = Qt::AlignRight;
    m_titles = {addTitle(this, {}, 110, 90, right),
                addTitle(this, {}, 200, 90, right),
                addTitle(this, QStringLiteral("Wrist Strap\nMin\n(KOhm)"), 290, 90, right),
                addTitle(this, QStringLiteral("Wrist Strap\nMax\n(KOhm)"), 380, 90, right),
                addTitle(this, QStringLiteral("\n\nCheck"), 470, 110, right),
                addTitle(this, QStringLiteral("\n\nRelay"), 580, 110, right),
                addTitle(this, QStringLiteral("\nVisitors\nQualifier"), 700, 60, Qt::AlignLeft)};

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setGeometry(10, 150, 750, 210);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *inner = new QWidget;
    inner->setFixedSize(730, 410);
    for (int profile = 0; profile < config::kVisitorsProfile; ++profile)
        m_rows[static_cast<size_t>(profile)] =
            createRow(inner, profile, 10 + kRowPitch * profile, 0);
    m_scrollArea->setWidget(inner);
    m_scrollArea->verticalScrollBar()->setSingleStep(kRowPitch);
    m_rows[config::kVisitorsProfile] = createRow(this, config::kVisitorsProfile, 380, 10);

    connect(m_normal, &QRadioButton::clicked, this, [this] {
        m_config.mode = config::Mode::Normal;
        applyModeLayout(config::Mode::Normal);
    });
    connect(m_handFree, &QRadioButton::clicked, this, [this] {
        m_config.mode = config::Mode::HandFree;
        applyModeLayout(config::Mode::HandFree);
    });
    connect(m_volt100, &QRadioButton::clicked, this,
            [this] { m_config.voltage = config::TestVoltage::V100; });
    connect(m_volt50, &QRadioButton::clicked, this,
            [this] { m_config.voltage = config::TestVoltage::V50; });

    makeChosenOptionTheTabStop({m_normal, m_handFree});
    makeChosenOptionTheTabStop({m_volt100, m_volt50});
    reloadFromModel();
}

SettingsTab::ProfileRow SettingsTab::createRow(QWidget *parent, int profile, int y, int xShift) {
    const bool visitors = profile == config::kVisitorsProfile;
    ProfileRow row;
    row.label = new QLabel(visitors ? QStringLiteral("Visitors  Profile: ")
                                    : QStringLiteral("Profile %1: ").arg(profile + 1),
                           parent);
    // As high as the fields of its row, so its text is centred on them.
    row.label->setGeometry(10, y, visitors ? 90 : 80, kFieldHeight);
    row.label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const auto limitField = [&](int x, QString config::Profile::*field) {
        auto *edit = new QLineEdit(parent);
        edit->setGeometry(x + xShift, y, 80, kFieldHeight);
        // No maximum length: it would cut a longer limit loaded from a file, while the
        // configuration kept the whole one. The validator caps what is typed.
        edit->setValidator(new LimitValidator(edit));
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edit->setFont(fieldFont());
        connect(edit, &QLineEdit::textChanged, this, [this, profile, field](const QString &text) {
            m_config.profiles[static_cast<size_t>(profile)].*field = text;
        });
        return edit;
    };
    row.footwearMin = limitField(110, &config::Profile::footwearMin);
    row.footwearMax = limitField(200, &config::Profile::footwearMax);
    row.wristStrapMin = limitField(290, &config::Profile::wristStrapMin);
    row.wristStrapMax = limitField(380, &config::Profile::wristStrapMax);

    const auto choice = [&](int x, const QStringList &items, int config::Profile::*field) {
        auto *combo = new QComboBox(parent);
        combo->setGeometry(x + xShift, y, 100, kFieldHeight);
        combo->addItems(items);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, profile, field](int index) {
            m_config.profiles[static_cast<size_t>(profile)].*field = index;
        });
        return combo;
    };
    row.check = choice(470, config::checkChoices(), &config::Profile::check);
    row.relay = choice(580, config::relayChoices(), &config::Profile::relay);

    if (!visitors) {
        row.qualifier = new QCheckBox(parent);
        row.qualifier->setGeometry(700, y, 40, kFieldHeight);
        connect(row.qualifier, &QCheckBox::toggled, this, [this, profile](bool checked) {
            m_config.profiles[static_cast<size_t>(profile)].visitorsQualifier = checked;
        });
    }
    return row;
}

void SettingsTab::applyModeLayout(config::Mode mode) {
    const bool normal = mode == config::Mode::Normal;
    m_titles[0]->setText(normal ? QStringLiteral("Single Shoe\nMin\n(KOhm)")
                                : QStringLiteral("Shoes L+R\nMin\n(KOhm)"));
    m_titles[1]->setText(normal ? QStringLiteral("Single Shoe\nMax\n(KOhm)")
                                : QStringLiteral("Shoes L+R\nMax\n(KOhm)"));
    for (int title = 2; title <= 4; ++title)
        m_titles[static_cast<size_t>(title)]->setVisible(normal);
    for (const ProfileRow &row : m_rows) {
        row.wristStrapMin->setVisible(normal);
        row.wristStrapMax->setVisible(normal);
        row.check->setVisible(normal);
    }
}

void SettingsTab::reloadFromModel() {
    const QList<QWidget *> inputs = findChildren<QWidget *>();
    for (QWidget *input : inputs)
        input->blockSignals(true);
    m_normal->setChecked(m_config.mode == config::Mode::Normal);
    m_handFree->setChecked(m_config.mode == config::Mode::HandFree);
    m_volt100->setChecked(m_config.voltage == config::TestVoltage::V100);
    m_volt50->setChecked(m_config.voltage == config::TestVoltage::V50);
    for (int profile = 0; profile < config::kProfileCount; ++profile) {
        const config::Profile &values = m_config.profiles[static_cast<size_t>(profile)];
        const ProfileRow &row = m_rows[static_cast<size_t>(profile)];
        showLimit(row.footwearMin, values.footwearMin);
        showLimit(row.footwearMax, values.footwearMax);
        showLimit(row.wristStrapMin, values.wristStrapMin);
        showLimit(row.wristStrapMax, values.wristStrapMax);
        showChoice(row.check, m_config.profiles[static_cast<size_t>(profile)].check);
        showChoice(row.relay, m_config.profiles[static_cast<size_t>(profile)].relay);
        if (row.qualifier)
            row.qualifier->setChecked(values.visitorsQualifier);
    }
    for (QWidget *input : inputs)
        input->blockSignals(false);
    applyModeLayout(m_config.mode);
}

} // namespace nxa::app
