#pragma once

#include "vault_key.h"

#include <QByteArray>
#include <QString>
#include <optional>

// What is stored for a master password: the Argon2id parameters, the salt and
// "#VAULT#" sealed with the derived key,
//   qv2$argon2id$m=<KiB>,t=<passes>,p=1$<salt>$<sealed check>
// (docs/vault-format.md). The password itself is never stored.
class KeyRecord
{
public:
    static constexpr quint32 kMinimumMemoryKiB = 65536;
    static constexpr quint32 kMinimumPasses = 2;
    static constexpr int kSaltBytes = 16;

    quint32 memoryKiB = kMinimumMemoryKiB;
    quint32 passes = kMinimumPasses;
    QByteArray salt;
    QString sealedCheck;

    static bool isCurrentForm(const QString& stored);
    // nullopt for anything that is not a whole record of this form.
    static std::optional<KeyRecord> parse(const QString& stored);
    QString text() const;

    // The key of a password under this record's parameters and salt.
    std::optional<VaultKey> derive(const QString& password, QString* error) const;
    // True when the key opens the check.
    bool opens(const VaultKey& key) const;

    // A new record for a new password: calibrated passes, a fresh salt, the
    // check sealed; the key comes back with it.
    struct Made;
    static std::optional<Made> create(const QString& password, QString* error);

    // The passes that make one derivation take 0.4 to 1 second here;
    // measured once per run.
    static quint32 calibratedPasses();
    // Tests fix the passes instead of measuring; 0 measures again.
    static void setPassesForTests(quint32 passes);
};

struct KeyRecord::Made
{
    KeyRecord record;
    VaultKey key;
};
