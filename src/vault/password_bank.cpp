#include "password_bank.h"

#include "profile_database.h"
#include "record_cipher.h"
#include "sealed_value.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// The bank's key record lives in the second row of the keys table.
constexpr int kRecordRow = 1;

const QString kContainer = QStringLiteral("Принадлежность");
const QString kLogin = QStringLiteral("Логин");
const QString kPassword = QStringLiteral("Пароль");
const QString kRecordField = QStringLiteral("Ключ");
const QString kNoRow = QStringLiteral("В таблице ключей нет строки для банка паролей.");
const QString kDoesNotOpen =
    QStringLiteral("Учётная запись %1 повреждена или записана под другим паролем: она не открывается.");

bool failWith(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// A field as the database gives it: NULL reads as an empty text.
QString stored(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

struct PasswordBank::Plain
{
    qint64 key = 0;
    QString container;
    QString login;
    QString password;

    void wipe()
    {
        SealedValue::wipe(container);
        SealedValue::wipe(login);
        SealedValue::wipe(password);
    }
};

PasswordBank::PasswordBank(ProfileDatabase& database) : m_database(database) {}

QString PasswordBank::keyRecord() const
{
    const auto row = m_database.KeysTable.at(kRecordRow);
    return row ? stored(row->value(kRecordField)) : QString();
}

bool PasswordBank::setMasterPassword(const QString& password, QString* error)
{
    if (password.isEmpty())
        return failWith(error, RecordCipher::kEmptyKeyMessage);
    const auto row = m_database.KeysTable.at(kRecordRow);
    if (!row)
        return failWith(error, kNoRow);
    const auto made = KeyRecord::create(password, error);
    if (!made)
        return false;
    return m_database.KeysTable.update(row->key, {{kRecordField, made->record.text()}}, error);
}

PasswordBank::Unlocked PasswordBank::unlock(const QString& typed)
{
    Unlocked result;
    MasterKey::Checked checked = MasterKey::check(keyRecord(), typed);
    result.verdict = checked.verdict;
    result.error = checked.error;
    if (checked.verdict == MasterKey::Verdict::Opened) {
        result.key = std::move(checked.key);
        return result;
    }
    if (checked.verdict != MasterKey::Verdict::OldForm)
        return result;

    // The first right password of a bank from before: its accounts are
    // sealed now, under a new record of the same password.
    auto plain = readAll(
        [&typed](const QString& value, const QString& field) -> std::optional<QString> {
            return field == SealedValue::kBankPassword ? RecordCipher::CipherText(value, typed)
                                                       : std::optional<QString>(value);
        },
        &result.error);
    auto key = plain ? sealAll(*plain, typed, &result.error) : std::nullopt;
    if (plain)
        for (Plain& account : *plain)
            account.wipe();
    if (!key) {
        result.verdict = MasterKey::Verdict::Failed;
        return result;
    }
    result.verdict = MasterKey::Verdict::Opened;
    result.key = std::move(*key);
    result.carriedOver = true;
    return result;
}

QList<PasswordBank::Account> PasswordBank::accounts(const VaultKey& key) const
{
    QList<Account> list;
    for (const auto& row : m_database.PasswordsTable.rows()) {
        const auto container = SealedValue::open(key, stored(row.value(kContainer)), SealedValue::kBankContainer);
        const auto login = SealedValue::open(key, stored(row.value(kLogin)), SealedValue::kBankLogin);
        list.append({row.key, container.value_or(QString()), login.value_or(QString()), !container || !login});
    }
    return list;
}

std::optional<PasswordBank::Account> PasswordBank::account(qint64 rowKey, const VaultKey& key) const
{
    const auto row = m_database.PasswordsTable.byKey(rowKey);
    if (!row)
        return std::nullopt;
    const auto container = SealedValue::open(key, stored(row->value(kContainer)), SealedValue::kBankContainer);
    const auto login = SealedValue::open(key, stored(row->value(kLogin)), SealedValue::kBankLogin);
    return Account{row->key, container.value_or(QString()), login.value_or(QString()), !container || !login};
}

bool PasswordBank::add(const QString& container, const QString& login, const QString& password,
                       const VaultKey& key, qint64* newKey, QString* error)
{
    const auto sealedContainer = SealedValue::seal(key, container.left(kFieldLength), SealedValue::kBankContainer, error);
    const auto sealedLogin = SealedValue::seal(key, login.left(kFieldLength), SealedValue::kBankLogin, error);
    const auto sealedPassword = SealedValue::seal(key, password.left(kFieldLength), SealedValue::kBankPassword, error);
    if (!sealedContainer || !sealedLogin || !sealedPassword)
        return false;
    return m_database.PasswordsTable.insert(
        {{kContainer, *sealedContainer}, {kLogin, *sealedLogin}, {kPassword, *sealedPassword}}, newKey, error);
}

bool PasswordBank::updateTexts(qint64 rowKey, const QString& container, const QString& login,
                               const VaultKey& key, QString* error)
{
    const auto sealedContainer = SealedValue::seal(key, container.left(kFieldLength), SealedValue::kBankContainer, error);
    const auto sealedLogin = SealedValue::seal(key, login.left(kFieldLength), SealedValue::kBankLogin, error);
    if (!sealedContainer || !sealedLogin)
        return false;
    return m_database.PasswordsTable.update(rowKey, {{kContainer, *sealedContainer}, {kLogin, *sealedLogin}},
                                            error);
}

bool PasswordBank::remove(qint64 rowKey, QString* error)
{
    return m_database.PasswordsTable.remove(rowKey, error);
}

std::optional<QString> PasswordBank::passwordOf(qint64 rowKey, const VaultKey& key) const
{
    const auto row = m_database.PasswordsTable.byKey(rowKey);
    if (!row)
        return std::nullopt;
    return SealedValue::open(key, stored(row->value(kPassword)), SealedValue::kBankPassword);
}

int PasswordBank::count() const
{
    return m_database.PasswordsTable.count();
}

bool PasswordBank::changeMasterPassword(const QString& oldPassword, const QString& newPassword, QString* error)
{
    if (oldPassword.isEmpty() || newPassword.isEmpty())
        return failWith(error, RecordCipher::kEmptyKeyMessage);
    return changeMasterPassword(check(oldPassword), oldPassword, newPassword, error);
}

bool PasswordBank::changeMasterPassword(const MasterKey::Checked& checked, const QString& oldPassword,
                                        const QString& newPassword, QString* error)
{
    if (oldPassword.isEmpty() || newPassword.isEmpty())
        return failWith(error, RecordCipher::kEmptyKeyMessage);
    std::optional<QList<Plain>> plain;
    switch (checked.verdict) {
    case MasterKey::Verdict::Opened: {
        const VaultKey& key = checked.key;
        plain = readAll(
            [&key](const QString& value, const QString& field) { return SealedValue::open(key, value, field); },
            error);
        break;
    }
    case MasterKey::Verdict::OldForm:
        plain = readAll(
            [&oldPassword](const QString& value, const QString& field) -> std::optional<QString> {
                return field == SealedValue::kBankPassword ? RecordCipher::CipherText(value, oldPassword)
                                                           : std::optional<QString>(value);
            },
            error);
        break;
    case MasterKey::Verdict::Wrong:
        return failWith(error, QStringLiteral("Пароль не правильный!"));
    case MasterKey::Verdict::Damaged:
    case MasterKey::Verdict::Failed:
        return failWith(error, checked.error);
    }
    if (!plain)
        return false;
    const bool sealed = sealAll(*plain, newPassword, error).has_value();
    for (Plain& account : *plain)
        account.wipe();
    return sealed;
}

std::optional<QList<PasswordBank::Plain>> PasswordBank::readAll(
    const std::function<std::optional<QString>(const QString&, const QString&)>& open, QString* error) const
{
    QSqlQuery read(m_database.BigBd());
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral(
            "SELECT \"Key\", \"Принадлежность\", \"Логин\", \"Пароль\" FROM \"Пароли\" ORDER BY \"Key\""))) {
        failWith(error, read.lastError().text());
        return std::nullopt;
    }
    QList<Plain> accounts;
    const auto wipeAll = [&accounts] {
        for (Plain& account : accounts)
            account.wipe();
    };
    while (read.next()) {
        Plain account;
        account.key = read.value(0).toLongLong();
        const auto container = open(stored(read.value(1)), SealedValue::kBankContainer);
        const auto login = open(stored(read.value(2)), SealedValue::kBankLogin);
        const auto password = open(stored(read.value(3)), SealedValue::kBankPassword);
        if (!container || !login || !password) {
            wipeAll();
            failWith(error, kDoesNotOpen.arg(account.key));
            return std::nullopt;
        }
        account.container = *container;
        account.login = *login;
        account.password = *password;
        accounts.append(std::move(account));
    }
    return accounts;
}

std::optional<VaultKey> PasswordBank::sealAll(const QList<Plain>& accounts, const QString& password, QString* error)
{
    const auto row = m_database.KeysTable.at(kRecordRow);
    if (!row) {
        failWith(error, kNoRow);
        return std::nullopt;
    }
    auto made = KeyRecord::create(password, error);
    if (!made)
        return std::nullopt;

    QSqlDatabase connection = m_database.BigBd();
    Transaction change(connection);
    if (!change.isActive()) {
        failWith(error, connection.lastError().text());
        return std::nullopt;
    }
    QSqlQuery write(connection);
    if (!write.prepare(QStringLiteral("UPDATE \"Пароли\" SET \"Принадлежность\" = ?, \"Логин\" = ?, "
                                      "\"Пароль\" = ? WHERE \"Key\" = ?"))) {
        failWith(error, write.lastError().text());
        return std::nullopt;
    }
    for (const Plain& account : accounts) {
        const auto container = SealedValue::seal(made->key, account.container, SealedValue::kBankContainer, error);
        const auto login = SealedValue::seal(made->key, account.login, SealedValue::kBankLogin, error);
        const auto secret = SealedValue::seal(made->key, account.password, SealedValue::kBankPassword, error);
        if (!container || !login || !secret)
            return std::nullopt;
        write.bindValue(0, *container);
        write.bindValue(1, *login);
        write.bindValue(2, *secret);
        write.bindValue(3, account.key);
        if (!write.exec()) {
            failWith(error, write.lastError().text());
            return std::nullopt;
        }
    }
    if (!m_database.KeysTable.update(row->key, {{kRecordField, made->record.text()}}, error))
        return std::nullopt;
    if (!change.commit()) {
        failWith(error, connection.lastError().text());
        return std::nullopt;
    }
    return std::move(made->key);
}
