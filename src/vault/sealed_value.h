#pragma once

#include "vault_key.h"

#include <QString>
#include <optional>

// One secret as it is stored: "qv2:" and the base64 of a random 24-byte
// nonce, the XChaCha20-Poly1305 ciphertext and its 16-byte tag. The
// associated data names the field ("Пароли/Пароль"), so that a value moved to
// another field does not open. docs/vault-format.md is the contract.
namespace SealedValue {

inline const QString kPrefix = QStringLiteral("qv2:");

// Where each sealed value lives: its associated data.
inline const QString kBankContainer = QStringLiteral("Пароли/Принадлежность");
inline const QString kBankLogin = QStringLiteral("Пароли/Логин");
inline const QString kBankPassword = QStringLiteral("Пароли/Пароль");
inline const QString kDiaryPage = QStringLiteral("Дневник/Содержание");

bool looksSealed(const QString& stored);
// The whole shape of a sealed value, without opening it.
bool isWellFormed(const QString& stored);

// nullopt only when libsodium cannot be loaded (the reason in error).
std::optional<QString> seal(const VaultKey& key, const QString& plain, const QString& associated,
                            QString* error = nullptr);
// nullopt for a value that is not sealed, is damaged, belongs to another
// field or was sealed under another key.
std::optional<QString> open(const VaultKey& key, const QString& stored, const QString& associated);

// Overwrites the bytes of a text that held a secret, as far as we own them.
void wipe(QString& text);
void wipe(QByteArray& bytes);

} // namespace SealedValue
