#pragma once

#include <QString>
#include <optional>

class ProfileDatabase;
class RegistryStore;

// A password the program needs to use itself (the mail box's, the sync
// server's), kept outside the profile: in the desktop's Secret Service
// (service "Quillarbor") through QtKeychain, or, where no Secret Service
// answers, sealed in the settings under a random key that lies in
// $XDG_CONFIG_HOME/Quillarbor/secret.key (0600), a file no backup takes. The
// settings value PasswordPlace of the entry's key says which.
class SecretStore
{
public:
    enum class Place { Nowhere, SecretService, KeyFile };

    // Which password: its name in the keyring, its settings key, and the
    // associated data of its sealed form.
    struct Entry
    {
        QString keyringName;
        const char* settingsKey;
        QString associated;
    };
    static const Entry kMail;
    static const Entry kSync;

    inline static const QString kService = QStringLiteral("Quillarbor");
    inline static const QString kSealedValue = QStringLiteral("Password");
    inline static const QString kPlaceValue = QStringLiteral("PasswordPlace");

    SecretStore(RegistryStore& registry, const Entry& entry);

    // Each call waits for the Secret Service in a local event loop (it may
    // ask the user to unlock the keyring); a service that does not answer
    // within the time-out counts as none. Safe on any thread that may run
    // an event loop of its own.
    bool store(const QString& password, QString* error);
    // The stored password; an empty text when none is stored; nullopt with
    // the reason when one is stored but cannot be read.
    std::optional<QString> read(QString* error) const;
    // Removes this password from both places; the key file goes with the
    // last password kept under it.
    bool erase(QString* error);
    // Every password of every entry, and the key file: the profile is going.
    static bool eraseAll(RegistryStore& registry, QString* error);

    Place place() const;
    // One line for a settings page: where the password is kept.
    QString placeLine() const;

    static QString keyFilePath();

    // A mail password from before, in row 3 of the keys table enciphered
    // with the mail-box address, moves here and the row is emptied. Nothing
    // to do (true) when the row is empty.
    static bool carryMailPasswordOver(RegistryStore& registry, ProfileDatabase& database, const QString& mailBox,
                                      QString* error);

    // Tests run without a Secret Service unless they start one; this makes
    // the store skip it as if it had not answered.
    static void setSecretServiceDisabledForTests(bool disabled);
    static constexpr int kSecretServiceTimeoutMs = 60000;

private:
    QString settingsKey() const;
    bool storeInKeyFile(const QString& password, QString* error);
    std::optional<QString> readFromKeyFile(QString* error) const;

    RegistryStore& m_registry;
    Entry m_entry;
};
