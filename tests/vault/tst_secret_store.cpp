// Where the mail password is kept: the desktop's Secret Service when one
// answers (this program runs a second time inside a private D-Bus session
// with its own gnome-keyring-daemon, see with_keyring.sh), otherwise sealed
// in the settings under the key file; never in the profile, never in a backup.
#include "key_record.h"
#include "main_window.h"
#include "profile_backup.h"
#include "profile_database.h"
#include "registry_store.h"
#include "secret_store.h"
#include "settings.h"
#include "system_info.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString kMail = QStringLiteral("Software\\Quillarbor\\Mail");

bool inPrivateKeyring()
{
    return !qEnvironmentVariableIsEmpty("QUILLARBOR_TEST_SESSION_BUS");
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the keyring itself holds under our entry, asked by another program.
QString inKeyring()
{
    QProcess lookup;
    lookup.start(QStringLiteral("secret-tool"),
                 {QStringLiteral("lookup"), QStringLiteral("server"), SecretStore::kService,
                  QStringLiteral("user"), QStringLiteral("Mail")});
    if (!lookup.waitForFinished(10000))
        return QStringLiteral("<no answer>");
    return QString::fromUtf8(lookup.readAllStandardOutput());
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSecretStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KeyRecord::setPassesForTests(2); }

    void keptWhereTheDesktopAllows()
    {
        TestHome home;
        RegistryStore registry(RegistryStore::defaultPath());
        registry.load();
        SecretStore store(registry, SecretStore::kMail);
        QCOMPARE(store.place(), SecretStore::Place::Nowhere);
        QCOMPARE(store.read(nullptr), QString());

        QString error;
        QVERIFY2(store.store(QStringLiteral("пароль Ж 1"), &error), qPrintable(error));
        if (inPrivateKeyring()) {
            QCOMPARE(store.place(), SecretStore::Place::SecretService);
            QCOMPARE(inKeyring(), QStringLiteral("пароль Ж 1"));
            QVERIFY(!registry.valueExists(kMail, SecretStore::kSealedValue));
            QVERIFY(!QFile::exists(SecretStore::keyFilePath()));
            QVERIFY(store.placeLine().contains("Secret Service"));
        } else {
            QCOMPARE(store.place(), SecretStore::Place::KeyFile);
            QVERIFY(registry.readString(kMail, SecretStore::kSealedValue)->startsWith("qv2:"));
            // 32 random bytes in base64, open to the owner alone.
            QCOMPARE(fileBytes(SecretStore::keyFilePath()).trimmed().size(), 44);
            QCOMPARE(QFile::permissions(SecretStore::keyFilePath()) & 0x0777,
                     QFile::ReadUser | QFile::WriteUser);
            QVERIFY(store.placeLine().contains("~/.config/Quillarbor/secret.key"));
        }
        QVERIFY(!fileBytes(registry.filePath()).contains(QStringLiteral("пароль Ж").toUtf8()));
        QCOMPARE(SecretStore(registry, SecretStore::kMail).read(&error), QStringLiteral("пароль Ж 1"));

        // A new password replaces the old one; erasing leaves nothing anywhere.
        QVERIFY(store.store(QStringLiteral("второй"), &error));
        QCOMPARE(store.read(&error), QStringLiteral("второй"));
        QVERIFY2(store.erase(&error), qPrintable(error));
        QCOMPARE(store.place(), SecretStore::Place::Nowhere);
        QCOMPARE(store.read(&error), QString());
        QVERIFY(!QFile::exists(SecretStore::keyFilePath()));
        QVERIFY(!registry.valueExists(kMail, SecretStore::kSealedValue));
        if (inPrivateKeyring())
            QCOMPARE(inKeyring(), QString());
    }

    void aKeyFileThatDoesNotFitIsReported()
    {
        if (inPrivateKeyring())
            QSKIP("the key file serves only where no Secret Service answers");
        TestHome home;
        RegistryStore registry(RegistryStore::defaultPath());
        registry.load();
        SecretStore store(registry, SecretStore::kMail);
        QVERIFY(store.store(QStringLiteral("секрет"), nullptr));
        // Another key: the value does not open, and the user is told why.
        writeFile(SecretStore::keyFilePath(), QByteArray(32, 'k').toBase64() + '\n');
        QString error;
        QCOMPARE(store.read(&error), std::nullopt);
        QVERIFY(error.contains(QStringLiteral("не открывается")));
        // No key at all, or one that is not a key.
        writeFile(SecretStore::keyFilePath(), "not a key");
        QCOMPARE(store.read(&error), std::nullopt);
        QVERIFY(error.contains(QStringLiteral("повреждён")));
        QFile::remove(SecretStore::keyFilePath());
        QCOMPARE(store.read(&error), std::nullopt);
        QVERIFY(error.contains(QStringLiteral("нет файла ключа")));
    }

    void twoPasswordsKeepApart()
    {
        TestHome home;
        RegistryStore registry(RegistryStore::defaultPath());
        registry.load();
        SecretStore mail(registry, SecretStore::kMail);
        SecretStore sync(registry, SecretStore::kSync);
        QVERIFY(mail.store(QStringLiteral("почта"), nullptr));
        QVERIFY(sync.store(QStringLiteral("сервер"), nullptr));
        QCOMPARE(mail.read(nullptr), QStringLiteral("почта"));
        QCOMPARE(sync.read(nullptr), QStringLiteral("сервер"));
        if (!inPrivateKeyring()) {
            // One sealed value does not open as the other.
            const QString sealedMail = *registry.readString(QStringLiteral("Software\\Quillarbor\\Mail"), "Password");
            registry.writeString(QStringLiteral("Software\\Quillarbor\\Sync"), "Password", sealedMail);
            QCOMPARE(sync.read(nullptr), std::nullopt);
            QVERIFY(sync.store(QStringLiteral("сервер"), nullptr));
        }
        // The key file stays while a password is kept under it.
        QVERIFY(mail.erase(nullptr));
        QCOMPARE(mail.read(nullptr), QString());
        QCOMPARE(sync.read(nullptr), QStringLiteral("сервер"));
        QVERIFY(SecretStore::eraseAll(registry, nullptr));
        QCOMPARE(sync.read(nullptr), QString());
        QVERIFY(!QFile::exists(SecretStore::keyFilePath()));
    }

    void backupsAndProfileDeletionLeaveNoTrace()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        SecretStore store(*fixture.registry, SecretStore::kMail);
        QVERIFY(store.store(QStringLiteral("секрет почты"), nullptr));

        // A backup takes the settings but never the key file, nor the password.
        const QString archive = fixture.home.path() + "/backup.zip";
        const auto locations = ProfileBackup::Locations::standard(window.settings().documentsFolder,
                                                                  fixture.registry->filePath());
        QVERIFY(ProfileBackup::write(locations, archive, Settings::kVersion, QDateTime::currentDateTime()).ok);
        const auto contents = ProfileBackup::inspect(archive, nullptr);
        QVERIFY(contents);
        for (const QString& entry : contents->files)
            QVERIFY2(!entry.contains("secret.key"), qPrintable(entry));

        // What restores put aside, beside the profile, the settings and the user's folders.
        const QString documents = window.settings().documentsFolder;
        const QString asideProfile = documents + "/Quillarbor.before-restore-20260101-000000";
        const QString asideSettings = fixture.registry->filePath() + ".before-restore-20260101-000000";
        const QString asidePlugins = SystemInfo::userDataFolder() + "/Plugins.before-restore-20260101-000000";
        writeFile(asideProfile + "/profile.mdb", "old profile");
        writeFile(asideSettings, "{}");
        writeFile(asidePlugins + "/x.so", "x");

        fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
        window.DeleteProfileClick();
        QCOMPARE(fixture.seams.boxes.shown.last().text, QStringLiteral("Профиль удалён!"));
        for (const QString& gone : {asideProfile, asideSettings, asidePlugins, SecretStore::keyFilePath(),
                                    ProfileDatabase::profileFolder(documents)})
            QVERIFY2(!QFileInfo::exists(gone), qPrintable(gone));
        QCOMPARE(SecretStore(*fixture.registry, SecretStore::kMail).read(nullptr), QString());
        if (inPrivateKeyring())
            QCOMPARE(inKeyring(), QString());
    }
};

QUILL_TEST_MAIN(TestSecretStore)
#include "tst_secret_store.moc"
