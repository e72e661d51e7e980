#include "main_window.h"
#include "profile_database.h"
#include "registry_store.h"
#include "secret_store.h"
#include "record_cipher.h"
#include "sections.h"
#include "settings_section.h"
#include "system_info.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {

const QString kConfig = QStringLiteral("Software\\Quillarbor\\Config");
const QString kMail = QStringLiteral("Software\\Quillarbor\\Mail");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool fileHolds(const QString& path, const QString& text)
{
    return fileBytes(path).contains(text.toUtf8());
}
} // namespace

class TestSettingsSection : public QObject
{
    Q_OBJECT

private slots:
    void startUpFillsWithoutMarkingAChange()
    {
        WindowFixture fixture;
        SettingsSection* section = fixture.window->settingsSection();
        QCOMPARE(section->Edit9->text(), QStringLiteral("smtp.example.com"));
        QCOMPARE(section->Edit10->text(), QStringLiteral("Quillarbor@example.com"));
        QCOMPARE(section->Edit11->text(), QStringLiteral("#hidden#"));
        QVERIFY(section->CheckBox1->isChecked());
        QVERIFY(section->CheckBox2->isChecked());
        QVERIFY(section->CheckBox3->isChecked());
        QVERIFY(!section->Edit20->isHidden()); // the backup group is offered
        QCOMPARE(section->Edit20->text(), QStringLiteral("C:\\Quillarbor-backup.zip"));
        QVERIFY(!fixture.window->settingsChanged());
        QCOMPARE(fixture.window->PageControl1->currentIndex(), 0);
        // Autorun on: the entry points at the running program.
        QCOMPARE(fixture.registry->readString(Settings::kRunKey, "Quillarbor 3.2"),
                 SystemInfo::executablePath());
        QVERIFY(QFile::exists(Settings::autostartEntryPath()));
    }

    void leavingSavesOnlyWhatChanged()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        window.showSection(Sections::kSettings);
        const QByteArray before = fileBytes(fixture.home.registryFile());
        window.showSection(Sections::kNotes);
        QCOMPARE(fileBytes(fixture.home.registryFile()), before); // nothing written

        window.showSection(Sections::kSettings);
        window.settingsSection()->Edit10->setText("anna@example.org");
        QVERIFY(window.settingsChanged());
        // Choosing the settings node itself saves as well.
        window.showSection(Sections::kSettings);
        QVERIFY(!window.settingsChanged());
        QCOMPARE(fixture.registry->readString(kMail, "MyBoxes"), QStringLiteral("anna@example.org"));
        QCOMPARE(fixture.registry->valueType(kMail, "MyBoxes"), RegistryStore::Type::String);
        QCOMPARE(window.settings().myBoxes, QStringLiteral("anna@example.org"));
        QCOMPARE(window.statusMessage(), QStringLiteral("Настройка режима запуска выполнена!"));
    }

    void mailPasswordIsKeptOutsideTheProfile()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        SettingsSection* section = window.settingsSection();
        window.showSection(Sections::kSettings);
        QCOMPARE(section->PasswordPlaceLabel->text(), QStringLiteral("Пароль не сохранён."));
        section->Edit10->setText("ivan@example.ru");
        section->Edit11->setText(QStringLiteral("Пароль-1"));
        window.showSection(Sections::kMail);

        // No Secret Service answers in the tests: sealed in the settings under the key file.
        SecretStore store(*fixture.registry, SecretStore::kMail);
        QCOMPARE(store.place(), SecretStore::Place::KeyFile);
        QCOMPARE(store.read(nullptr), QStringLiteral("Пароль-1"));
        QCOMPARE(window.database().KeysTable.at(2)->value("Ключ").toString(), QString());
        const QString sealed = fixture.registry->readString(kMail, "Password").value_or(QString());
        QVERIFY(sealed.startsWith("qv2:"));
        // Open to its owner alone.
        QCOMPARE(QFile::permissions(SecretStore::keyFilePath()) & 0x0777,
                 QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(section->Edit11->text(), QStringLiteral("#hidden#"));
        QVERIFY(section->PasswordPlaceLabel->text().contains("secret.key"));
        QVERIFY(!fileHolds(fixture.registry->filePath(), "Пароль-1"));
        QVERIFY(!fileHolds(window.database().BigBd().databaseName(), "Пароль-1"));

        // A later save with the box untouched leaves it alone; no address is needed any more.
        window.showSection(Sections::kSettings);
        section->Edit10->setText(QString());
        section->Edit9->setText("smtp.example.ru");
        window.showSection(Sections::kMail);
        QCOMPARE(fixture.registry->readString(kMail, "Password"), sealed);
        QVERIFY(fixture.seams.boxes.shown.isEmpty());

        // An emptied box takes it away, with its key file.
        window.showSection(Sections::kSettings);
        section->Edit11->setText(QString());
        window.showSection(Sections::kMail);
        QCOMPARE(store.place(), SecretStore::Place::Nowhere);
        QCOMPARE(store.read(nullptr), QString());
        QVERIFY(!QFile::exists(SecretStore::keyFilePath()));
        QCOMPARE(section->PasswordPlaceLabel->text(), QStringLiteral("Пароль не сохранён."));
    }

    void aMailPasswordFromBeforeLeavesTheProfileAtStart()
    {
        // Row 3 holds it enciphered with the address, as before.
        {
            WindowFixture fixture([](RegistryStore& registry) {
                registry.writeString(Settings::fullKey("Mail"), QStringLiteral("MyBoxes"), "ivan@example.ru");
            });
            TableObject& keys = fixture.window->database().KeysTable;
            QVERIFY(keys.update(keys.at(2)->key,
                                {{"Ключ", *RecordCipher::CipherText(QStringLiteral("секрет"), "ivan@example.ru")}}));
            fixture.window.reset();
            fixture.window = std::make_unique<TForm1>(*fixture.registry);
            QTRY_COMPARE(fixture.window->database().KeysTable.at(2)->value("Ключ").toString(), QString());
            QCOMPARE(SecretStore(*fixture.registry, SecretStore::kMail).read(nullptr), QStringLiteral("секрет"));
            QVERIFY(fixture.seams.boxes.shown.isEmpty());
        }
        // Without an address it cannot be read: it leaves the profile and the user is told, once.
        {
            WindowFixture fixture([](RegistryStore& registry) {
                registry.writeString(Settings::fullKey("Mail"), QStringLiteral("MyBoxes"), QString());
            });
            TableObject& keys = fixture.window->database().KeysTable;
            QVERIFY(keys.update(keys.at(2)->key, {{"Ключ", QStringLiteral("xyz")}}));
            fixture.window.reset();
            fixture.window = std::make_unique<TForm1>(*fixture.registry);
            QTRY_COMPARE(fixture.seams.boxes.shown.size(), 1);
            QVERIFY(fixture.seams.boxes.shown[0].text.contains(QStringLiteral("введите пароль в настройках заново")));
            QCOMPARE(fixture.window->database().KeysTable.at(2)->value("Ключ").toString(), QString());
            fixture.window.reset();
            fixture.window = std::make_unique<TForm1>(*fixture.registry);
            QTest::qWait(50);
            QCOMPARE(fixture.seams.boxes.shown.size(), 1);
        }
    }

    void autorunOffRemovesBothEntries()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        window.Timer1Timer();
        window.showNormal();
        window.showSection(Sections::kSettings);
        QTest::mouseClick(window.settingsSection()->CheckBox1, Qt::LeftButton, {}, QPoint(8, 12));
        QVERIFY(!window.settingsSection()->CheckBox1->isChecked());
        QVERIFY(window.settingsChanged());
        QSignalSpy ended(&window, &TForm1::programEnded);
        window.close(); // closing saves too
        QCOMPARE(ended.count(), 1);
        QVERIFY(!fixture.registry->valueExists(Settings::kRunKey, "Quillarbor 3.2"));
        QVERIFY(!QFile::exists(Settings::autostartEntryPath()));
        QCOMPARE(fixture.registry->readBool(kConfig, "Autorun"), false);
        QCOMPARE(window.statusMessage(), QStringLiteral("Настройка режима запуска выполнена!"));
    }

    void slideValuesAreSavedAndABadIntervalKeepsTheOldOne()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        window.showSection(Sections::kSettings);
        window.PageControl1->setCurrentIndex(3);
        auto* interval = window.findChild<QLineEdit*>("Edit19");
        QVERIFY(interval);
        interval->setText("12");
        window.findChild<QCheckBox*>("CheckBox4")->setChecked(true);
        window.markSettingsChanged();
        window.showSection(Sections::kNotes);
        QCOMPARE(fixture.registry->readInteger("Software\\Quillarbor\\Slides", "Interval"), 12);

        window.showSection(Sections::kSettings);
        interval->setText(QStringLiteral("двенадцать"));
        window.markSettingsChanged();
        window.showSection(Sections::kNotes);
        QCOMPARE(fixture.registry->readInteger("Software\\Quillarbor\\Slides", "Interval"), 12);
        QCOMPARE(window.settings().slideInterval, 12);
    }

    void missingYesNoValueIsRestoredAndTheProfileOpens()
    {
        WindowFixture fixture([](RegistryStore& registry) { registry.deleteValue(kConfig, "HideInTray"); });
        QVERIFY(fixture.window->startedUp());
        QVERIFY(fixture.window->database().isOpen());
        QCOMPARE(fixture.registry->readBool(kConfig, "HideInTray"), true);
        QVERIFY(fixture.window->settingsSection()->CheckBox2->isChecked());
        QVERIFY(fixture.seams.boxes.shown.isEmpty());
    }

    void aFailedSaveKeepsTheSectionAndStillLetsTheProgramClose()
    {
        WindowFixture fixture;
        // Nothing can be written to this store: its folder cannot be made.
        RegistryStore broken(QStringLiteral("/proc/no-such-folder/registry.json"));
        TForm1 other(broken);
        other.showSection(Sections::kSettings);
        other.settingsSection()->Edit9->setText("smtp.other");
        other.markSettingsChanged();
        other.showSection(Sections::kNotes);
        QCOMPARE(other.currentSection(), int(Sections::kSettings));
        QVERIFY(!other.sectionBox("Config")->isHidden());
        QVERIFY(fixture.seams.boxes.texts().last().startsWith(
            QStringLiteral("При попытке выполнить данное действие возникла исключительная ситуация!")));
        QSignalSpy ended(&other, &TForm1::programEnded);
        other.close();
        QCOMPARE(ended.count(), 1);
        QVERIFY(!other.isVisible());
        QVERIFY(!other.database().isOpen());
    }
};

QUILL_TEST_MAIN(TestSettingsSection)
#include "tst_settings_section.moc"
