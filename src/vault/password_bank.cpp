#include "password_bank.h"

#include "profile_database.h"
#include "record_cipher.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The bank's verifier lives in the second row of the keys table.
constexpr int kVerifierRow = 1;

const QString kContainer = QStringLiteral("Принадлежность");
const QString kLogin = QStringLiteral("Логин");
const QString kPassword = QStringLiteral("Пароль");
const QString kVerifierField = QStringLiteral("Ключ");

bool failWith(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

PasswordBank::PasswordBank(ProfileDatabase& database) : m_database(database) {}

QString PasswordBank::verifier() const
{
    const auto row = m_database.KeysTable.at(kVerifierRow);
    return row ? row->value(kVerifierField).toString() : QString();
}

bool PasswordBank::accepts(const QString& typed) const
{
    return RecordCipher::acceptsPassword(verifier(), typed);
}

bool PasswordBank::setMasterPassword(const QString& password, QString* error)
{
    const auto made = RecordCipher::makeVerifier(password);
    if (!made)
        return failWith(error, RecordCipher::kEmptyKeyMessage);
    const auto row = m_database.KeysTable.at(kVerifierRow);
    if (!row)
        return failWith(error, QStringLiteral("В таблице ключей нет строки для банка паролей."));
    return m_database.KeysTable.update(row->key, {{kVerifierField, *made}}, error);
}

QList<PasswordBank::Account> PasswordBank::accounts() const
{
    QList<Account> list;
    for (const auto& row : m_database.PasswordsTable.rows())
        list.append({row.key, row.value(kContainer).toString(), row.value(kLogin).toString(),
                     row.value(kPassword).toString()});
    return list;
}

std::optional<PasswordBank::Account> PasswordBank::account(qint64 key) const
{
    const auto row = m_database.PasswordsTable.byKey(key);
    if (!row)
        return std::nullopt;
    return Account{row->key, row->value(kContainer).toString(), row->value(kLogin).toString(),
                   row->value(kPassword).toString()};
}

bool PasswordBank::add(const QString& container, const QString& login, const QString& password,
                       const QString& master, qint64* newKey, QString* error)
{
    const auto secret = RecordCipher::CipherText(password.left(kFieldLength), master);
    if (!secret)
        return failWith(error, RecordCipher::kEmptyKeyMessage);
    return m_database.PasswordsTable.insert({{kContainer, container.left(kFieldLength)},
                                             {kLogin, login.left(kFieldLength)},
                                             {kPassword, *secret}},
                                            newKey, error);
}

bool PasswordBank::updateTexts(qint64 key, const QString& container, const QString& login, QString* error)
{
    return m_database.PasswordsTable.update(
        key, {{kContainer, container.left(kFieldLength)}, {kLogin, login.left(kFieldLength)}}, error);
}

bool PasswordBank::remove(qint64 key, QString* error)
{
    return m_database.PasswordsTable.remove(key, error);
}

std::optional<QString> PasswordBank::passwordOf(qint64 key, const QString& master) const
{
    const auto found = account(key);
    if (!found)
        return std::nullopt;
    return RecordCipher::CipherText(found->password, master);
}

bool PasswordBank::changeMasterPassword(const QString& oldPassword, const QString& newPassword,
                                        QString* error)
{
    if (oldPassword.isEmpty() || newPassword.isEmpty())
        return failWith(error, RecordCipher::kEmptyKeyMessage);
    const auto newVerifier = RecordCipher::makeVerifier(newPassword);
    const auto row = m_database.KeysTable.at(kVerifierRow);
    if (!row)
        return failWith(error, QStringLiteral("В таблице ключей нет строки для банка паролей."));

    QSqlDatabase connection = m_database.BigBd();
    Transaction change(connection);
    if (!change.isActive())
        return failWith(error, connection.lastError().text());

    // Read whole first: the table is rewritten under the same connection.
    QList<QPair<qint64, QString>> stored;
    {
        QSqlQuery read(connection);
        read.setForwardOnly(true);
        if (!read.exec(QStringLiteral("SELECT \"Key\", \"Пароль\" FROM \"Пароли\" ORDER BY \"Key\"")))
            return failWith(error, read.lastError().text());
        while (read.next())
            stored.append({read.value(0).toLongLong(), read.value(1).toString()});
    }

    QSqlQuery write(connection);
    if (!write.prepare(QStringLiteral("UPDATE \"Пароли\" SET \"Пароль\" = ? WHERE \"Key\" = ?")))
        return failWith(error, write.lastError().text());
    for (const auto& [key, secret] : std::as_const(stored)) {
        const QString plain = *RecordCipher::CipherText(secret, oldPassword);
        write.bindValue(0, *RecordCipher::CipherText(plain, newPassword));
        write.bindValue(1, key);
        if (!write.exec())
            return failWith(error, write.lastError().text());
    }
    if (!m_database.KeysTable.update(row->key, {{kVerifierField, *newVerifier}}, error))
        return false;
    if (!change.commit())
        return failWith(error, connection.lastError().text());
    return true;
}
