#pragma once

#include "config/StationConfig.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollArea;

namespace nxa::app {

// The Settings tab: mode, test voltage and the eleven profile rows (ten in a
// scroll area, the visitors row fixed below it).
class SettingsTab : public QWidget {
    Q_OBJECT
public:
    struct ProfileRow {
        QLabel *label = nullptr;
        QLineEdit *footwearMin = nullptr;
        QLineEdit *footwearMax = nullptr;
        QLineEdit *wristStrapMin = nullptr;
        QLineEdit *wristStrapMax = nullptr;
        QComboBox *check = nullptr;
        QComboBox *relay = nullptr;
        QCheckBox *qualifier = nullptr; // none in the visitors row
    };

    explicit SettingsTab(config::StationConfig &config, QWidget *parent = nullptr);

    QRadioButton *normalOption() const { return m_normal; }
    QRadioButton *handFreeOption() const { return m_handFree; }
    QRadioButton *volt100Option() const { return m_volt100; }
    QRadioButton *volt50Option() const { return m_volt50; }
    // Titles 57 to 63, left to right.
    QLabel *columnTitle(int column) const { return m_titles.at(static_cast<size_t>(column)); }
    // Rows 0-9 for profiles 1-10, row 10 for the visitors profile.
    const ProfileRow &row(int profile) const { return m_rows.at(static_cast<size_t>(profile)); }
    QScrollArea *scrollArea() const { return m_scrollArea; }

    // Column titles and the visible columns for `mode`; values are kept.
    void applyModeLayout(config::Mode mode);

public slots:
    void reloadFromModel();

private:
    ProfileRow createRow(QWidget *parent, int profile, int y, int xShift);

    config::StationConfig &m_config;
    QRadioButton *m_normal = nullptr;
    QRadioButton *m_handFree = nullptr;
    QRadioButton *m_volt100 = nullptr;
    QRadioButton *m_volt50 = nullptr;
    std::array<QLabel *, 7> m_titles{};
    std::array<ProfileRow, config::kProfileCount> m_rows{};
    QScrollArea *m_scrollArea = nullptr;
};

} // namespace nxa::app
