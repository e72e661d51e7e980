#pragma once

#include "password_bank.h"

#include <QAbstractTableModel>
#include <optional>

// The rows of the password grid: what each account belongs to and its login,
// never its password. Edits typed into a row are kept with it and posted
// together when the row is left (or the bank closes), as a data grid posts
// its current record.
class PasswordGridModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PasswordGridModel)

public:
    explicit PasswordGridModel(PasswordBank& bank, QObject* parent = nullptr);

    // Opens every account with the key, which must outlive the open grid;
    // the grid shows rows only while the bank is open.
    void open(const VaultKey& key);
    // Reads the accounts again with the same key.
    void reload();
    // How many rows did not open.
    int damagedCount() const;
    void close();
    bool isOpen() const { return m_open; }

    qint64 keyAt(int row) const;
    int rowOfKey(qint64 key) const;
    // Writes the edited row, if any; false with an error when that failed.
    bool postPending(QString* error);
    bool hasPending() const { return m_pending.has_value(); }
    int pendingRow() const { return m_pending.value_or(-1); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // A row edited before could not be written as another one was edited.
    void postFailed(const QString& error);

private:
    PasswordBank& m_bank;
    QList<PasswordBank::Account> m_rows;
    std::optional<int> m_pending;
    const VaultKey* m_key = nullptr;
    bool m_open = false;
};
