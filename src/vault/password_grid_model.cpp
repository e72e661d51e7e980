#include "password_grid_model.h"

#include <algorithm>

namespace {
const QString kDamaged = QStringLiteral("(запись повреждена и не открывается)");
}

PasswordGridModel::PasswordGridModel(PasswordBank& bank, QObject* parent)
    : QAbstractTableModel(parent), m_bank(bank)
{
}

void PasswordGridModel::open(const VaultKey& key)
{
    m_key = &key;
    reload();
}

void PasswordGridModel::reload()
{
    if (!m_key)
        return;
    beginResetModel();
    m_rows = m_bank.accounts(*m_key);
    m_pending.reset();
    m_open = true;
    endResetModel();
}

void PasswordGridModel::close()
{
    beginResetModel();
    m_rows.clear();
    m_pending.reset();
    m_key = nullptr;
    m_open = false;
    endResetModel();
}

int PasswordGridModel::damagedCount() const
{
    return int(std::count_if(m_rows.cbegin(), m_rows.cend(),
                             [](const PasswordBank::Account& account) { return account.damaged; }));
}

qint64 PasswordGridModel::keyAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).key : 0;
}

int PasswordGridModel::rowOfKey(qint64 key) const
{
    for (int row = 0; row < m_rows.size(); ++row)
        if (m_rows.at(row).key == key)
            return row;
    return -1;
}

bool PasswordGridModel::postPending(QString* error)
{
    if (!m_pending)
        return true;
    const int row = *m_pending;
    m_pending.reset();
    if (row < 0 || row >= m_rows.size() || !m_key)
        return true;
    const PasswordBank::Account& edited = m_rows.at(row);
    return m_bank.updateTexts(edited.key, edited.container, edited.login, *m_key, error);
}

int PasswordGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PasswordGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant PasswordGridModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() || index.row() >= m_rows.size())
        return {};
    const PasswordBank::Account& account = m_rows.at(index.row());
    if (account.damaged)
        return index.column() == 0 ? kDamaged : QString();
    return index.column() == 0 ? account.container : account.login;
}

QVariant PasswordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return section == 0 ? QStringLiteral("Принадлежность") : QStringLiteral("Логин");
}

Qt::ItemFlags PasswordGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    // A row that does not open is left as it is stored.
    if (index.isValid() && m_open && index.row() < m_rows.size() && !m_rows.at(index.row()).damaged)
        result |= Qt::ItemIsEditable;
    return result;
}

bool PasswordGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !m_open || !index.isValid() || index.row() >= m_rows.size() ||
        m_rows.at(index.row()).damaged)
        return false;
    const QString text = value.toString().left(PasswordBank::kFieldLength);
    if (m_pending && *m_pending != index.row()) {
        QString error;
        if (!postPending(&error))
            emit postFailed(error);
    }
    PasswordBank::Account& account = m_rows[index.row()];
    QString& field = index.column() == 0 ? account.container : account.login;
    if (field == text)
        return false;
    field = text;
    m_pending = index.row();
    emit dataChanged(index, index);
    return true;
}
