#include "app/configuration/UsersModel.h"

#include "config/ChoiceTexts.h"
#include "config/StationConfig.h"
#include "config/UserCodes.h"

#include <algorithm>

namespace nxa::app {

namespace {
constexpr int kProfileCount = 10;
}

UsersModel::UsersModel(config::StationConfig &config, QObject *parent)
    : QAbstractTableModel(parent), m_config(config) {
    m_codes.reserve(config::kUserCount);
    for (int k = 0; k < config::kUserCount; ++k)
        m_codes.append(config::userCode(m_config.generator, k));
}

int UsersModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : config::kUserCount;
}

int UsersModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant UsersModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int k = index.row();
    const config::User &user = m_config.users[static_cast<size_t>(k)];
    switch (index.column()) {
    case ActiveColumn:
        if (role == Qt::CheckStateRole)
            return user.active ? Qt::Checked : Qt::Unchecked;
        break;
    case IdColumn:
        if (role == Qt::DisplayRole)
            return QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0'));
        break;
    case NameColumn:
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return user.name;
        break;
    case ProfileColumn:
        if (role == Qt::DisplayRole)
            return config::profileChoiceText(user.profile);
        if (role == Qt::EditRole)
            return user.profile;
        break;
    case CodeColumn:
        if (role == Qt::DisplayRole)
            return m_codes.at(k);
        break;
    default:
        break;
    }
    return {};
}

bool UsersModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    config::User &user = m_config.users[static_cast<size_t>(index.row())];
    switch (index.column()) {
    case ActiveColumn:
        if (role != Qt::CheckStateRole)
            return false;
        user.active = value.value<Qt::CheckState>() == Qt::Checked;
        break;
    case NameColumn:
        if (role != Qt::EditRole)
            return false;
        user.name = value.toString().left(kNameMaxLength);
        break;
    case ProfileColumn: {
        if (role != Qt::EditRole)
            return false;
        bool ok = false;
        const int profile = value.toInt(&ok);
        if (!ok || profile < 0 || profile >= kProfileCount)
            return false;
        user.profile = profile;
        break;
    }
    default:
        return false;
    }
    emit dataChanged(index, index, {role, Qt::DisplayRole});
    return true;
}

Qt::ItemFlags UsersModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    switch (index.column()) {
    case ActiveColumn:
        return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable;
    case NameColumn:
    case ProfileColumn:
        return Qt::ItemIsEnabled | Qt::ItemIsEditable;
    default:
        return Qt::ItemIsEnabled;
    }
}

void UsersModel::reload() {
    emit dataChanged(index(0, 0), index(config::kUserCount - 1, ColumnCount - 1));
}

void UsersModel::refreshCodes() {
    int first = config::kUserCount;
    int last = -1;
    for (int k = 0; k < config::kUserCount; ++k) {
        QString code = config::userCode(m_config.generator, k);
        if (code != m_codes.at(k)) {
            m_codes[k] = std::move(code);
            first = std::min(first, k);
            last = k;
        }
    }
    if (last >= first)
        emit dataChanged(index(first, CodeColumn), index(last, CodeColumn), {Qt::DisplayRole});
}

void UsersModel::setActiveRange(int from, int to, bool active) {
    if (from > to)
        return;
    config::activateRange(m_config, from, to, active);
    from = std::max(from, config::kFirstUser);
    to = std::min(to, config::kLastUser);
    if (from <= to)
        emit dataChanged(index(from, ActiveColumn), index(to, ActiveColumn), {Qt::CheckStateRole});
}

} // namespace nxa::app
