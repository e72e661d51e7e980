#pragma once

#include <QString>
#include <optional>

class ProfileDatabase;
class RegistryStore;

// The mail-box password, kept outside the profile: in the desktop's Secret
// Service (service "Quillarbor", entry "Mail") through QtKeychain, or, where
// no Secret Service answers, sealed in the settings under a random key that
// lies in $XDG_CONFIG_HOME/Quillarbor/secret.key (0600), a file no backup
// takes. The settings value PasswordPlace of the mail key says which.
class MailPasswordStore
{
public:
    enum class Place { Nowhere, SecretService, KeyFile };

    inline static const QString kService = QStringLiteral("Quillarbor");
    inline static const QString kEntry = QStringLiteral("Mail");
    inline static const QString kSealedValue = QStringLiteral("Password");
    inline static const QString kPlaceValue = QStringLiteral("PasswordPlace");
    inline static const QString kAssociated = QStringLiteral("Mail/Password");

    explicit MailPasswordStore(RegistryStore& registry);

    // Each call waits for the Secret Service in a local event loop (it may
    // ask the user to unlock the keyring); a service that does not answer
    // within the time-out counts as none.
    bool store(const QString& password, QString* error);
    // The stored password; an empty text when none is stored; nullopt with
    // the reason when one is stored but cannot be read.
    std::optional<QString> read(QString* error) const;
    // Removes the password from both places and the key file.
    bool erase(QString* error);

    Place place() const;
    // One line for the mail settings page: where the password is kept.
    QString placeLine() const;

    static QString keyFilePath();

    // A password from before, in row 3 of the keys table enciphered with the
    // mail-box address, moves here and the row is emptied. Nothing to do
    // (true) when the row is empty.
    bool carryOver(ProfileDatabase& database, const QString& mailBox, QString* error);

    // Tests run without a Secret Service unless they start one; this makes
    // the store skip it as if it had not answered.
    static void setSecretServiceDisabledForTests(bool disabled);
    static constexpr int kSecretServiceTimeoutMs = 60000;

private:
    bool storeInKeyFile(const QString& password, QString* error);
    std::optional<QString> readFromKeyFile(QString* error) const;

    RegistryStore& m_registry;
};
