#include "secret_store.h"

#include "profile_database.h"
#include "record_cipher.h"
#include "registry_store.h"
#include "sealed_value.h"
#include "settings.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <atomic>
#include <qt6keychain/keychain.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The keys table's row of the mail password.
constexpr int kMailRow = 2;

const QString kInSecretService = QStringLiteral("SecretService");
const QString kInKeyFile = QStringLiteral("KeyFile");

std::atomic<bool> secretServiceDisabled{false};

// Runs one keychain job to its end; false when it did not finish in time.
bool runJob(QKeychain::Job& job)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, [&finished] { finished = true; });
    timeout.start(SecretStore::kSecretServiceTimeoutMs);
    job.start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return finished;
}

// The random key of the fallback, made on first need.
std::optional<VaultKey> keyFileKey(bool create, QString* error)
{
    const QString path = SecretStore::keyFilePath();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray text = file.readAll().trimmed();
        auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        SealedValue::wipe(text);
        if (!decoded || decoded.decoded.size() != VaultKey::kBytes) {
            SealedValue::wipe(decoded.decoded);
            if (error)
                *error = QStringLiteral("файл ключа %1 повреждён").arg(path);
            return std::nullopt;
        }
        auto key = VaultKey::allocate(error);
        if (key)
            std::copy_n(decoded.decoded.constData(), VaultKey::kBytes, key->data());
        SealedValue::wipe(decoded.decoded);
        return key;
    }
    if (!create) {
        if (error)
            *error = QStringLiteral("нет файла ключа %1").arg(path);
        return std::nullopt;
    }
    auto key = VaultKey::random(error);
    if (!key)
        return std::nullopt;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written under a temporary name open to the owner alone, then renamed.
    QByteArray temporary = QFile::encodeName(path + QStringLiteral(".XXXXXX"));
    const int descriptor = ::mkstemp(temporary.data());
    if (descriptor < 0) {
        if (error)
            *error = QStringLiteral("не удалось создать файл ключа %1").arg(path);
        return std::nullopt;
    }
    ::fchmod(descriptor, 0600);
    QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char*>(key->data()), VaultKey::kBytes).toBase64();
    text.append('\n');
    const bool written = ::write(descriptor, text.constData(), size_t(text.size())) == text.size() &&
                         ::fsync(descriptor) == 0;
    SealedValue::wipe(text);
    ::close(descriptor);
    if (!written || ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temporary.constData());
        if (error)
            *error = QStringLiteral("не удалось записать файл ключа %1").arg(path);
        return std::nullopt;
    }
    return key;
}

} // namespace

const SecretStore::Entry SecretStore::kMail{QStringLiteral("Mail"), "Mail", QStringLiteral("Mail/Password")};
const SecretStore::Entry SecretStore::kSync{QStringLiteral("Sync"), "Sync", QStringLiteral("Sync/Password")};

SecretStore::SecretStore(RegistryStore& registry, const Entry& entry) : m_registry(registry), m_entry(entry) {}

QString SecretStore::settingsKey() const
{
    return Settings::fullKey(m_entry.settingsKey);
}

QString SecretStore::keyFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillarbor/secret.key");
}

void SecretStore::setSecretServiceDisabledForTests(bool disabled)
{
    secretServiceDisabled = disabled;
}

SecretStore::Place SecretStore::place() const
{
    const QString place = m_registry.readString(settingsKey(), kPlaceValue).value_or(QString());
    if (place == kInSecretService)
        return Place::SecretService;
    if (place == kInKeyFile)
        return Place::KeyFile;
    return Place::Nowhere;
}

QString SecretStore::placeLine() const
{
    switch (place()) {
    case Place::SecretService:
        return QStringLiteral("Пароль хранится в связке ключей рабочего стола (Secret Service).");
    case Place::KeyFile:
    {
        // Short enough for one line: the home folder as "~".
        QString path = keyFilePath();
        if (path.startsWith(QDir::homePath() + QLatin1Char('/')))
            path = QStringLiteral("~") + path.mid(QDir::homePath().size());
        return QStringLiteral("Пароль зашифрован в настройках, ключ лежит в %1.").arg(path);
    }
    case Place::Nowhere:
        break;
    }
    return QStringLiteral("Пароль не сохранён.");
}

bool SecretStore::store(const QString& password, QString* error)
{
    if (!secretServiceDisabled) {
        QKeychain::WritePasswordJob job(kService);
        job.setKey(m_entry.keyringName);
        job.setTextData(password);
        if (runJob(job) && job.error() == QKeychain::NoError) {
            // Nothing of it stays in the settings.
            m_registry.deleteValue(settingsKey(), kSealedValue);
            return m_registry.writeString(settingsKey(), kPlaceValue, kInSecretService);
        }
    }
    return storeInKeyFile(password, error);
}

bool SecretStore::storeInKeyFile(const QString& password, QString* error)
{
    const auto key = keyFileKey(true, error);
    if (!key)
        return false;
    const auto sealed = SealedValue::seal(*key, password, m_entry.associated, error);
    if (!sealed)
        return false;
    RegistryStore::Batch batch(m_registry);
    m_registry.writeString(settingsKey(), kSealedValue, *sealed);
    m_registry.writeString(settingsKey(), kPlaceValue, kInKeyFile);
    if (!batch.commit()) {
        if (error)
            *error = QStringLiteral("не удалось записать настройки");
        return false;
    }
    return true;
}

std::optional<QString> SecretStore::read(QString* error) const
{
    switch (place()) {
    case Place::Nowhere:
        return QString();
    case Place::KeyFile:
        return readFromKeyFile(error);
    case Place::SecretService:
        break;
    }
    if (secretServiceDisabled) {
        if (error)
            *error = QStringLiteral("служба Secret Service недоступна");
        return std::nullopt;
    }
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(m_entry.keyringName);
    if (!runJob(job)) {
        if (error)
            *error = QStringLiteral("служба Secret Service не ответила");
        return std::nullopt;
    }
    if (job.error() == QKeychain::EntryNotFound)
        return QString();
    if (job.error() != QKeychain::NoError) {
        if (error)
            *error = QStringLiteral("служба Secret Service: %1").arg(job.errorString());
        return std::nullopt;
    }
    return job.textData();
}

std::optional<QString> SecretStore::readFromKeyFile(QString* error) const
{
    const auto key = keyFileKey(false, error);
    if (!key)
        return std::nullopt;
    const QString sealed = m_registry.readString(settingsKey(), kSealedValue).value_or(QString());
    auto plain = SealedValue::open(*key, sealed, m_entry.associated);
    if (!plain && error)
        *error = QStringLiteral("сохранённый пароль не открывается ключом из файла %1").arg(keyFilePath());
    return plain;
}

bool SecretStore::erase(QString* error)
{
    bool erased = true;
    if (!secretServiceDisabled) {
        QKeychain::DeletePasswordJob job(kService);
        job.setKey(m_entry.keyringName);
        const bool answered = runJob(job);
        if (place() == Place::SecretService &&
            (!answered || (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound))) {
            erased = false;
            if (error)
                *error = QStringLiteral("пароль не удалён из службы Secret Service: %1").arg(job.errorString());
        }
    }
    m_registry.deleteValue(settingsKey(), kSealedValue);
    m_registry.deleteValue(settingsKey(), kPlaceValue);
    // The key file goes with the last password kept under it.
    for (const Entry* other : {&kMail, &kSync})
        if (SecretStore(m_registry, *other).place() == Place::KeyFile)
            return erased;
    if (QFile::exists(keyFilePath()) && !QFile::remove(keyFilePath())) {
        erased = false;
        if (error)
            *error = QStringLiteral("не удалось удалить файл ключа %1").arg(keyFilePath());
    }
    return erased;
}

bool SecretStore::eraseAll(RegistryStore& registry, QString* error)
{
    bool erased = true;
    for (const Entry* entry : {&kMail, &kSync})
        erased = SecretStore(registry, *entry).erase(error) && erased;
    return erased;
}

bool SecretStore::carryMailPasswordOver(RegistryStore& registry, ProfileDatabase& database, const QString& mailBox,
                                        QString* error)
{
    const auto row = database.KeysTable.at(kMailRow);
    if (!row)
        return true;
    QString stored = row->value(QStringLiteral("Ключ")).toString();
    if (stored.isEmpty())
        return true;
    // Enciphered with the address: without one it cannot be read, and it
    // leaves the profile all the same (the user types it again).
    auto plain = RecordCipher::CipherText(stored, mailBox);
    if (!plain) {
        database.KeysTable.update(row->key, {{QStringLiteral("Ключ"), QString()}});
        if (error)
            *error = QStringLiteral("адрес почтового ящика не задан, и прежний пароль не прочесть; "
                                    "введите пароль в настройках заново");
        return false;
    }
    const bool moved = SecretStore(registry, kMail).store(*plain, error);
    SealedValue::wipe(*plain);
    if (!moved)
        return false;
    return database.KeysTable.update(row->key, {{QStringLiteral("Ключ"), QString()}}, error);
}
