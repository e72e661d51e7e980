#pragma once

#include "master_key.h"
#include "vault_key.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

class ProfileDatabase;

// The accounts of the password bank and the key record of its master
// password, the second row of the keys table. Every field of an account is
// sealed under the key of the master password (docs/vault-format.md), so the
// file shows nothing of an account. Every change of several rows is one
// transaction.
class PasswordBank
{
public:
    // What each of the three fields of an account holds, in characters.
    static constexpr int kFieldLength = 50;

    struct Account
    {
        qint64 key = 0;
        QString container; // Принадлежность
        QString login;     // Логин
        bool damaged = false; // a field that does not open under the key
    };

    explicit PasswordBank(ProfileDatabase& database);

    // The stored key record (or, in a profile from before, the old
    // verifier); empty while no master password has been set.
    QString keyRecord() const;
    bool hasMasterPassword() const { return !keyRecord().isEmpty(); }
    // The first set-up: stores the key record of the password.
    bool setMasterPassword(const QString& password, QString* error);

    struct Unlocked
    {
        MasterKey::Verdict verdict = MasterKey::Verdict::Wrong;
        VaultKey key; // while Opened
        QString error;
        bool carriedOver = false; // the accounts were in the old form and are sealed now
    };
    // The typed password against the record. An old-form bank is carried
    // over on its first right password: every account sealed and the record
    // replaced in one transaction; the verdict is then Opened.
    Unlocked unlock(const QString& typed);

    QList<Account> accounts(const VaultKey& key) const;
    std::optional<Account> account(qint64 rowKey, const VaultKey& key) const;
    bool add(const QString& container, const QString& login, const QString& password, const VaultKey& key,
             qint64* newKey, QString* error);
    // The two fields edited in the grid, sealed anew.
    bool updateTexts(qint64 rowKey, const QString& container, const QString& login, const VaultKey& key,
                     QString* error);
    bool remove(qint64 rowKey, QString* error);
    // The password of an account; nullopt for a row gone or one that does not open.
    std::optional<QString> passwordOf(qint64 rowKey, const VaultKey& key) const;

    // Every account sealed under a new key with a new record, in one
    // transaction: on a wrong old password, a value that does not open, any
    // failure or a crash the profile keeps the old record and the old values.
    bool changeMasterPassword(const QString& oldPassword, const QString& newPassword, QString* error);
    // The same with the old password already checked against the record.
    bool changeMasterPassword(const MasterKey::Checked& old, const QString& oldPassword,
                              const QString& newPassword, QString* error);
    // The typed password against the record, nothing changed.
    MasterKey::Checked check(const QString& typed) const { return MasterKey::check(keyRecord(), typed); }

    // How many accounts there are, without opening them.
    int count() const;

private:
    struct Plain;
    // Reads every account opened by the given reader; nullopt when one does not open.
    std::optional<QList<Plain>> readAll(const std::function<std::optional<QString>(const QString&, const QString&)>& open,
                                        QString* error) const;
    // Seals every account under a new record of the password and stores
    // them with it; the new key comes back.
    std::optional<VaultKey> sealAll(const QList<Plain>& accounts, const QString& password, QString* error);

    ProfileDatabase& m_database;
};
