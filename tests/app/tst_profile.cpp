#include "backup_controls.h"
#include "profile_backup.h"
#include "restore_source_window.h"
#include "sections.h"
#include "settings_section.h"
#include "startup.h"
#include "system_info.h"
#include "test_main.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

const QString kConfig = QStringLiteral("Software\\Quillarbor\\Config");

// File dialogs that also keep what they proposed.
class ProposingFileDialogs : public ScriptedFileDialogs
{
public:
    QStringList proposed;
    QString saveFileNameProposing(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& path) override
    {
        proposed.append(path);
        return saveFileName(parent, title, filter);
    }
    QString openFileNameIn(QWidget* parent, const QString& title, const QString& filter,
                           const QString& folder) override
    {
        proposed.append(folder);
        return openFileName(parent, title, filter);
    }
};

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QAction* deleteAction(TForm1& window)
{
    return window.findChild<QAction*>(QStringLiteral("DeleteProfileAction"));
}

int contacts(ProfileDatabase& database)
{
    QSqlQuery query(database.BigBd());
    query.exec(QStringLiteral("SELECT count(*) FROM \"Адресная книга\""));
    return query.next() ? query.value(0).toInt() : -1;
}

// Sets or clears the immutable flag, which stops even root from deleting a file.
bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    void answeringNoKeepsEverything()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        QAction* action = deleteAction(window);
        QVERIFY(action && action->isEnabled());
        QSignalSpy ended(&window, &TForm1::programEnded);
        fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::No);
        action->trigger();
        QCOMPARE(fixture.seams.boxes.shown.size(), 1);
        const MessageBoxes::Request question = fixture.seams.boxes.shown[0];
        QCOMPARE(question.title, QStringLiteral("Предупреждение"));
        QCOMPARE(question.icon, MessageBoxes::Icon::Warning);
        QCOMPARE(question.text,
                 QStringLiteral("ВНИМАНИЕ!!! Если Вы удалите профиль, то все Ваши записи и настройки "
                                "будут уничтожены! Вы хотите удалить профиль tester?"));
        QCOMPARE(ended.count(), 0);
        QVERIFY(window.database().isOpen());
        QVERIFY(QFile::exists(fixture.home.profileFolder() + "/profile.mdb"));
        QVERIFY(fixture.registry->keyExists("Software\\Quillarbor\\install"));
        QVERIFY(window.Timer1->isActive());
    }

    void deletionRemovesEverythingAndTheNextStartIsAFirstRun()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        const QString folder = fixture.home.profileFolder();
        writeFile(folder + "/Ideas/Дом.dat", "idea");
        QVERIFY(QFile::setPermissions(folder + "/Ideas/Дом.dat", QFile::ReadOwner));
        writeFile(folder + "/.hidden/.inner", "x");
        writeFile(folder + "/Theme.dic", "Привет\r\n");
        QVERIFY(QFile::setPermissions(folder + "/.hidden",
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // A link out of the profile is removed, never followed.
        const QString outside = fixture.home.path() + "/outside";
        writeFile(outside + "/keep.txt", "keep");
        QVERIFY(QFile::link(outside, folder + "/Ideas/link"));

        QSignalSpy ended(&window, &TForm1::programEnded);
        fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
        deleteAction(window)->trigger();
        QCOMPARE(fixture.seams.boxes.titles(), (QStringList{"Предупреждение", "Успех"}));
        QCOMPARE(fixture.seams.boxes.texts()[1], QStringLiteral("Профиль удалён!"));
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(bytesOf(outside + "/keep.txt"), QByteArray("keep"));
        QCOMPARE(ended.count(), 1);
        QVERIFY(!window.isVisible());
        QVERIFY(!window.Timer1->isActive());
        QVERIFY(!window.database().isOpen());

        // The settings are gone, the autorun entry stays, and nothing was saved on the way out.
        RegistryStore stored(RegistryStore::defaultPath());
        stored.load();
        QVERIFY(!stored.keyExists("Software\\Quillarbor"));
        QVERIFY(!stored.keyExists("Software\\Quillarbor\\install"));
        QVERIFY(!stored.keyExists(kConfig));
        QVERIFY(stored.valueExists(Settings::kRunKey, "Quillarbor 3.2"));
        QVERIFY(QFile::exists(Settings::autostartEntryPath()));
        fixture.window.reset();
        stored.load();
        QVERIFY(!stored.keyExists(kConfig));

        Startup::prepareSettings(stored);
        QCOMPARE(fixture.seams.modals.opened.first(), QStringLiteral("TForm2"));
    }

    void aFileThatCannotGoIsNamedAndTheProgramEnds()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        const QString folder = fixture.home.profileFolder();
        const QString locked = folder + "/Ideas/locked";
        const QString held = locked + "/held.dat";
        writeFile(held, "held");
        writeFile(folder + "/Ideas/free.dat", "free");
        // A folder without write permission keeps its files from anyone but
        // root; root is kept off by the immutable flag.
        if (geteuid() == 0 && !setImmutable(held, true))
            QSKIP("the file system here cannot mark a file immutable");
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        const auto cleanup = qScopeGuard([&] {
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            setImmutable(held, false);
        });

        QSignalSpy ended(&window, &TForm1::programEnded);
        fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
        deleteAction(window)->trigger();
        const QStringList titles = fixture.seams.boxes.titles();
        QCOMPARE(titles, (QStringList{"Предупреждение", "Quillarbor", "Произошла ошибка!"}));
        QCOMPARE(fixture.seams.boxes.texts()[1], "Could NOT delete " + held);
        const QString error = fixture.seams.boxes.texts()[2];
        QVERIFY(error.startsWith("Произошла ошибка при удалении данных пользователя tester\r\n"));
        QVERIFY(error.contains(folder));
        QVERIFY(error.contains(held));
        QCOMPARE(ended.count(), 1);
        // The rest went all the same.
        QVERIFY(QFile::exists(held));
        QVERIFY(!QFile::exists(folder + "/Ideas/free.dat"));
        QVERIFY(!QFile::exists(folder + "/profile.mdb"));
        RegistryStore stored(RegistryStore::defaultPath());
        stored.load();
        QVERIFY(!stored.keyExists("Software\\Quillarbor\\install"));
    }

    void theBackupGroupIsShownAndWritesTheChosenFile()
    {
        WindowFixture fixture;
        ProposingFileDialogs files;
        FileDialogs::setBackend(&files);
        const auto restoreFiles = qScopeGuard([&] { FileDialogs::setBackend(&fixture.seams.files); });
        TForm1& window = *fixture.window;
        window.showSection(Sections::kSettings);
        SettingsSection* section = window.settingsSection();
        for (QWidget* control : std::initializer_list<QWidget*>{
                 section->Label34, section->Edit20, section->Button28, section->Button26, section->Button27})
            QVERIFY2(control->isVisible(), qPrintable(control->objectName()));
        QCOMPARE(section->Label34->text(), QStringLiteral("Файл резервной копии:"));
        QCOMPARE(section->Button26->text(), QStringLiteral("Резервная копия профиля"));
        QCOMPARE(section->Button27->text(), QStringLiteral("Восстановить из резервной копии"));
        QVERIFY(!section->Button28->toolTip().isEmpty());
        QVERIFY(!section->Button28->accessibleName().isEmpty());
        QCOMPARE(section->Edit20->text(), QStringLiteral("C:\\Quillarbor-backup.zip"));

        // "...": a Windows path is not proposed; the choice is saved with the settings.
        const QString chosen = fixture.home.path() + "/Копии/profile";
        QDir().mkpath(fixture.home.path() + "/Копии");
        files.answers.enqueue(chosen);
        section->Button28->click();
        QCOMPARE(files.proposed.last(), QDir::homePath() + "/Quillarbor-backup.zip");
        QCOMPARE(section->Edit20->text(), chosen + ".zip");
        window.showSection(Sections::kNotes);
        QCOMPARE(fixture.registry->readString(kConfig, "BackupPath"), chosen + ".zip");

        // "Резервная копия профиля" proposes the stored path and writes the archive.
        window.showSection(Sections::kSettings);
        QSqlQuery(window.database().BigBd()).exec("INSERT INTO \"Адресная книга\" (\"Имя\") VALUES ('Анна')");
        files.answers.enqueue(chosen + ".zip");
        section->Button26->click();
        QCOMPARE(files.proposed.last(), chosen + ".zip");
        QCOMPARE(files.titles.last(), QStringLiteral("Резервная копия профиля"));
        QCOMPARE(fixture.seams.boxes.shown.size(), 1);
        QCOMPARE(fixture.seams.boxes.shown[0].title, QStringLiteral("Успех"));
        QCOMPARE(fixture.seams.boxes.shown[0].text, QStringLiteral("Создание резервной копии заверщено"));
        QCOMPARE(fixture.seams.boxes.shown[0].icon, MessageBoxes::Icon::Information);
        QVERIFY(section->ProgressBar1->isHidden());
        QString why;
        const auto contents = ProfileBackup::inspect(chosen + ".zip", &why);
        QVERIFY2(contents, qPrintable(why));
        QVERIFY(contents->settings);

        // A file that cannot be written: the error box says why.
        files.answers.enqueue(fixture.home.path() + "/нет такой папки/b.zip");
        section->Button26->click();
        QCOMPARE(fixture.seams.boxes.shown.size(), 2);
        QCOMPARE(fixture.seams.boxes.shown[1].title, QStringLiteral("Ошибка"));
        QCOMPARE(fixture.seams.boxes.shown[1].icon, MessageBoxes::Icon::Critical);
        QVERIFY(fixture.seams.boxes.shown[1].text.startsWith("Ошибка при записи данных\r\nнет папки "));
        // Cancelling the dialog writes nothing and says nothing.
        section->Button26->click();
        QCOMPARE(fixture.seams.boxes.shown.size(), 2);
    }

    void backupDeleteRestoreGivesTheProfileBackAndRestarts()
    {
        WindowFixture fixture;
        const QString archive = fixture.home.path() + "/backup.zip";
        const QString folder = fixture.home.profileFolder();
        {
            TForm1& window = *fixture.window;
            QSqlQuery(window.database().BigBd())
                .exec("INSERT INTO \"Адресная книга\" (\"Имя\") VALUES ('Анна')");
            writeFile(folder + "/Ideas/Дом.dat", QByteArray("idea bytes\0\1\2", 13));
            fixture.registry->writeString(kConfig, "Skin", QStringLiteral("Осень"));
            fixture.seams.files.answers.enqueue(archive);
            window.backupControls()->Button26Click();
            QCOMPARE(fixture.seams.boxes.titles(), QStringList{"Успех"});
            fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
            window.DeleteProfileClick();
            QVERIFY(!QFileInfo::exists(folder));
        }
        // The next start: a first run and a fresh profile.
        fixture.window.reset();
        fixture.registry->load();
        Settings::writeFirstRunDefaults(*fixture.registry);
        fixture.seams.boxes.shown.clear();
        fixture.window = std::make_unique<TForm1>(*fixture.registry);
        TForm1& window = *fixture.window;
        QCOMPARE(contacts(window.database()), 0);

        // The fresh profile has its daily copy, so the choice comes first.
        fixture.seams.modals.scripts.enqueue([](QDialog* dialog) {
            auto* choice = qobject_cast<RestoreSourceWindow*>(dialog);
            QVERIFY(choice);
            QCOMPARE(choice->ListBox1->count(), 2);
            QVERIFY(choice->ListBox1->item(1)->text().contains("08.03.2026"));
            choice->ListBox1->setCurrentRow(0);
            QTest::mouseClick(choice->OkButton, Qt::LeftButton);
        });
        fixture.seams.files.answers.enqueue(archive);
        fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
        QSignalSpy ended(&window, &TForm1::programEnded);
        // This run lets go of its one-copy name before the new copy starts,
        // or the new copy would hand over to it and end.
        int openedWhenReleased = -1;
        connect(&window, &TForm1::restarting, this,
                [&] { openedWhenReleased = int(fixture.seams.shell.opened.size()); });
        window.backupControls()->Button27Click();

        QCOMPARE(openedWhenReleased, 0);
        QCOMPARE(fixture.seams.boxes.titles(), (QStringList{"Восстановление профиля", "Успех"}));
        const MessageBoxes::Request question = fixture.seams.boxes.shown[0];
        QCOMPARE(question.icon, MessageBoxes::Icon::Warning);
        QVERIFY(
            question.text.startsWith("Восстановить профиль из резервной копии от 08.03.2026 14:20:05 (версия "
                                     "программы 3.2)?"));
        QVERIFY(question.text.contains("- идеи (в копии: 1)"));
        QVERIFY(question.text.contains("- настройки программы"));
        const QString kept = folder + ".before-restore-2026-03-08-142005";
        QVERIFY(question.text.contains(kept));
        QVERIFY(question.text.contains("программа будет перезапущена"));
        // A real restart: the program itself is started, and this run ends.
        QCOMPARE(fixture.seams.shell.opened, QStringList{SystemInfo::executablePath()});
        QCOMPARE(ended.count(), 1);
        QVERIFY(!window.database().isOpen());

        QCOMPARE(bytesOf(folder + "/Ideas/Дом.dat"), QByteArray("idea bytes\0\1\2", 13));
        QVERIFY(QFileInfo(kept + "/profile.mdb").isFile());
        // The daily copies stay with the profile in use.
        QCOMPARE(ProfileBackup::dailyCopies(folder).size(), 1);
        RegistryStore restored(RegistryStore::defaultPath());
        restored.load();
        QCOMPARE(restored.readString(kConfig, "Skin"), QStringLiteral("Осень"));
        QCOMPARE(fixture.registry->readString(kConfig, "Skin"), QStringLiteral("Осень"));
        ProfileDatabase reopened;
        QVERIFY(reopened.open(fixture.home.documents(), TestHome::programFolder()));
        QCOMPARE(contacts(reopened), 1);
    }

    void aBadArchiveChangesNothingAndSaysWhy()
    {
        WindowFixture fixture;
        TForm1& window = *fixture.window;
        const QString notZip = fixture.home.path() + "/letter.zip";
        writeFile(notZip, "not an archive");
        QSqlQuery(window.database().BigBd()).exec("INSERT INTO \"Адресная книга\" (\"Имя\") VALUES ('Анна')");
        fixture.seams.modals.scripts.enqueue([](QDialog* dialog) { dialog->accept(); });
        fixture.seams.files.answers.enqueue(notZip);
        window.backupControls()->Button27Click();
        QCOMPARE(fixture.seams.modals.opened, QStringList{"RestoreSourceWindow"});
        QCOMPARE(fixture.seams.boxes.titles(), QStringList{"Ошибка"});
        QVERIFY(fixture.seams.boxes.texts()[0].contains("не является архивом ZIP"));
        QVERIFY(fixture.seams.boxes.texts()[0].contains("Профиль не изменён."));
        QVERIFY(window.database().isOpen());
        QCOMPARE(contacts(window.database()), 1);
        QVERIFY(fixture.seams.shell.opened.isEmpty());
        QVERIFY(window.Timer1->isActive());

        // Answering No to the question changes nothing either.
        const QString archive = fixture.home.path() + "/good.zip";
        fixture.seams.files.answers.enqueue(archive);
        window.backupControls()->Button26Click();
        fixture.seams.modals.scripts.enqueue([](QDialog* dialog) { dialog->accept(); });
        fixture.seams.files.answers.enqueue(archive);
        fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::No);
        window.backupControls()->Button27Click();
        QCOMPARE(fixture.seams.boxes.titles().last(), QStringLiteral("Восстановление профиля"));
        QVERIFY(window.database().isOpen());
        QVERIFY(!QFileInfo::exists(fixture.home.profileFolder() + ".before-restore-2026-03-08-142005"));
    }

    void theDailyCopyIsMadeOnTheFirstStartOfTheDayAndRestores()
    {
        WindowFixture fixture;
        const QString folder = fixture.home.profileFolder();
        QCOMPARE(ProfileBackup::dailyCopies(folder), QStringList{folder + "/Backups/profile-2026-03-08.mdb"});
        QSqlQuery(fixture.window->database().BigBd())
            .exec("INSERT INTO \"Адресная книга\" (\"Имя\") VALUES ('Анна')");
        // A second start the same day leaves the morning's copy alone.
        fixture.window = std::make_unique<TForm1>(*fixture.registry);
        QCOMPARE(ProfileBackup::dailyCopies(folder).size(), 1);
        fixture.seams.clock.current = fixture.seams.clock.current.addDays(1);
        fixture.window = std::make_unique<TForm1>(*fixture.registry);
        QCOMPARE(ProfileBackup::dailyCopies(folder).size(), 2);
        QCOMPARE(contacts(fixture.window->database()), 1);

        // Restoring yesterday's copy brings back the profile without Анна.
        fixture.seams.modals.scripts.enqueue([](QDialog* dialog) {
            auto* choice = qobject_cast<RestoreSourceWindow*>(dialog);
            QCOMPARE(choice->ListBox1->item(1)->text(),
                     QStringLiteral("ежедневной копии базы данных от 09.03.2026"));
            choice->ListBox1->setCurrentRow(2);
            choice->accept();
        });
        fixture.seams.boxes.answers.enqueue(MessageBoxes::Button::Yes);
        fixture.window->backupControls()->Button27Click();
        QCOMPARE(fixture.seams.boxes.titles(), (QStringList{"Восстановление профиля", "Успех"}));
        QVERIFY(fixture.seams.boxes.texts()[0].startsWith(
            "Восстановить базу данных профиля из ежедневной копии от 08.03.2026?"));
        QCOMPARE(fixture.seams.shell.opened.size(), 1);
        ProfileDatabase reopened;
        fixture.window.reset();
        QVERIFY(reopened.open(fixture.home.documents(), TestHome::programFolder()));
        QCOMPARE(contacts(reopened), 0);
        QVERIFY(QFile::exists(folder + "/profile.before-restore-2026-03-09-142005.mdb"));
    }
};

QUILL_TEST_MAIN(TestProfile)
#include "tst_profile.moc"
