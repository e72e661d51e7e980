#pragma once

#include <QList>
#include <QString>
#include <optional>

class ProfileDatabase;

// The accounts of the password bank and its master password's verifier, the
// second row of the keys table. Passwords are stored enciphered with the
// master password; what each account belongs to and its login are plain.
// Every change of several rows is one transaction.
class PasswordBank
{
public:
    // What each of the three fields of an account holds.
    static constexpr int kFieldLength = 50;

    struct Account
    {
        qint64 key = 0;
        QString container; // Принадлежность
        QString login;     // Логин
        QString password;  // Пароль, as stored (enciphered)
    };

    explicit PasswordBank(ProfileDatabase& database);

    // The stored verifier; empty while no master password has been set.
    QString verifier() const;
    bool hasMasterPassword() const { return !verifier().isEmpty(); }
    bool accepts(const QString& typed) const;
    // The first set-up: stores the verifier of the password.
    bool setMasterPassword(const QString& password, QString* error);

    QList<Account> accounts() const;
    std::optional<Account> account(qint64 key) const;
    // A new account; the password is enciphered with the master password.
    bool add(const QString& container, const QString& login, const QString& password, const QString& master,
             qint64* newKey, QString* error);
    // The two plain fields, as edited in the grid.
    bool updateTexts(qint64 key, const QString& container, const QString& login, QString* error);
    bool remove(qint64 key, QString* error);
    // The plain password of an account; nullopt for an empty key or a row gone.
    std::optional<QString> passwordOf(qint64 key, const QString& master) const;

    // Every password enciphered again under the new master password and the
    // new verifier, all in one transaction: on any failure (or a crash) the
    // profile keeps the old verifier and the old passwords.
    bool changeMasterPassword(const QString& oldPassword, const QString& newPassword, QString* error);

private:
    ProfileDatabase& m_database;
};
