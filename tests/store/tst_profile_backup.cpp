#include "folder_tree.h"
#include "profile_backup.h"
#include "profile_database.h"
#include "registry_store.h"
#include "test_home.h"
#include "test_main.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <ctime>
#include <utime.h>
#include <zip.h>

namespace {

using namespace ProfileBackup;

const QDateTime kMoment(QDate(2026, 3, 8), QTime(14, 20, 5));

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QByteArray randomBytes(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (char& byte : data)
        byte = char(QRandomGenerator::global()->bounded(256));
    return data;
}

// Every row of every table, as text, in storage order.
QStringList tableRows(const QString& databaseFile)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dump"));
        db.setDatabaseName(databaseFile);
        if (!db.open())
            return {QStringLiteral("<does not open>")};
        for (const char* table :
             {"Заметки", "Дневник", "Ключи", "Адресная книга", "Напоминания", "Задачи", "Пароли", "Темы"}) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(QString::fromUtf8(table)));
            while (query.next()) {
                QStringList fields{QString::fromUtf8(table)};
                for (int i = 0; i < query.record().count(); ++i)
                    fields.append(query.value(i).toString());
                rows.append(fields.join(QChar(0x1f)));
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("dump"));
    return rows;
}

// Every file below a folder with its bytes.
QMap<QString, QByteArray> filesBelow(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), bytesOf(path));
    }
    return files;
}

// A profile with rows in every table, ideas, history files, settings, link
// categories and a plug-in.
struct FilledProfile
{
    TestHome home;
    Locations where;
    ProfileDatabase database;
    RegistryStore registry{RegistryStore::defaultPath()};

    FilledProfile()
    {
        where = Locations::standard(home.documents(), RegistryStore::defaultPath());
        if (!database.open(home.documents(), TestHome::programFolder()))
            qFatal("the profile does not open");
        QSqlDatabase db = database.BigBd();
        Transaction fill(db);
        QSqlQuery query(db);
        const auto run = [&](const QString& sql, const QVariantList& values) {
            query.prepare(sql);
            for (int i = 0; i < values.size(); ++i)
                query.bindValue(i, values[i]);
            if (!query.exec())
                qFatal("insert failed");
        };
        for (int n = 0; n < 50; ++n) {
            run("INSERT INTO \"Адресная книга\" (\"Имя\", \"Фамилия\", \"Телефон1\", \"Напоминать\", "
                "\"Категория\") VALUES (?, ?, ?, ?, ?)",
                {QStringLiteral("Иван %1").arg(n), QStringLiteral("Петров"), "+7 900", n % 2, n});
            run("INSERT INTO \"Напоминания\" (\"Текст\", \"Дата\") VALUES (?, ?)",
                {QStringLiteral("Позвонить %1").arg(n),
                 QStringLiteral("2026-03-%1T10:00:00.000").arg(n % 28 + 1, 2, 10, QChar('0'))});
            run("INSERT INTO \"Заметки\" (\"Название\", \"Содержание\") VALUES (?, ?)",
                {QStringLiteral("Заметка %1").arg(n), QStringLiteral("Текст\r\nзаметки").repeated(n + 1)});
        }
        run("INSERT INTO \"Дневник\" VALUES (?, ?)",
            {"2026-03-08T00:00:00.000", QString::fromUtf16(u"ключ\0\x01\x7f", 7)});
        run("INSERT INTO \"Задачи\" (\"Название\", \"Дата\", \"Имя файла\") VALUES (?, ?, ?)",
            {"Запуск", "2026-04-01T09:30:00.000", "/usr/bin/true"});
        run("INSERT INTO \"Пароли\" (\"Принадлежность\", \"Логин\", \"Пароль\") VALUES (?, ?, ?)",
            {"почта", "anna", QString::fromUtf16(u"\0шифр\x02", 6)});
        run("UPDATE \"Ключи\" SET \"Ключ\" = ? WHERE \"Count\" = 2", {"verifier"});
        if (!fill.commit())
            qFatal("the rows were not written");

        writeFile(where.profileFolder + "/Ideas/Дом.dat", randomBytes(70000));
        writeFile(where.profileFolder + "/Ideas/Сад.dat", randomBytes(3000));
        writeFile(where.profileFolder + "/Ideas/До\\После.dat", "a backslash is a letter here");
        QFile::setPermissions(where.profileFolder + "/Ideas/Сад.dat", QFile::ReadOwner);
        writeFile(where.profileFolder + "/Theme.dic", QStringLiteral("Привет\r\nОтчёт\r\n").toUtf8());
        writeFile(where.profileFolder + "/EvName.dic", QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2\r\n"));
        registry.writeString("Software\\Quillarbor\\Config", "Skin", QStringLiteral("Осень"));
        registry.writeInteger("Software\\Quillarbor\\Marks", "View", 2);
        writeFile(where.userDataFolder + "/Resources/Почта.dat",
                  QStringLiteral("https://mail.example\r\n").toUtf8());
        writeFile(where.userDataFolder + "/Plugins/clock.so", randomBytes(5000));
    }

    QString databaseFile() const { return where.profileFolder + "/profile.mdb"; }

    // What the user has, apart from the daily copies.
    QMap<QString, QByteArray> userFiles() const
    {
        QMap<QString, QByteArray> files;
        for (const auto& [name, data] : filesBelow(where.profileFolder).asKeyValueRange())
            if (name != "profile.mdb" && !name.startsWith("Backups/") &&
                !name.startsWith("profile.before-restore-"))
                files.insert("profile/" + name, data);
        files.insert("settings", bytesOf(where.settingsFile));
        for (const char* part : {"Resources", "Plugins"})
            for (const auto& [name, data] : filesBelow(where.userDataFolder + "/" + part).asKeyValueRange())
                files.insert(QStringLiteral("data/%1/").arg(QLatin1String(part)) + name, data);
        return files;
    }
};

// Rewrites one archive: drop or replace entries.
void editArchive(const QString& path, const std::function<void(zip_t*)>& edit)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), 0, &code);
    QVERIFY(archive);
    edit(archive);
    QCOMPARE(zip_close(archive), 0);
}

} // namespace

class TestProfileBackup : public QObject
{
    Q_OBJECT

private slots:
    void backupThenRestoreGivesBackEverything()
    {
        FilledProfile profile;
        const QStringList rows = tableRows(profile.databaseFile());
        const auto files = profile.userFiles();
        QVERIFY(rows.size() > 150);

        const QString archive = profile.home.path() + "/Копии/backup.zip";
        QDir().mkpath(QFileInfo(archive).absolutePath());
        // What a writer killed two hours ago left behind goes with this one.
        const QString stale = QFileInfo(archive).absolutePath() + "/.Quillarbor-backup-Ab12Cd";
        writeFile(stale + "/profile.mdb", "half");
        const utimbuf longAgo{std::time(nullptr) - 7200, std::time(nullptr) - 7200};
        QCOMPARE(::utime(QFile::encodeName(stale).constData(), &longAgo), 0);
        writeFile(profile.where.profileFolder + "/profile.before-restore-2026-01-01-000000.mdb",
                  "kept aside");
        QList<int> seen;
        const Outcome written = write(profile.where, archive, "3.2", kMoment, [&](int p) { seen.append(p); });
        QVERIFY2(written.ok, qPrintable(written.error));
        QCOMPARE(seen.first(), 0);
        QCOMPARE(seen.last(), 100);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        // Only the archive is left in the folder, readable by its owner alone.
        QCOMPARE(QDir(QFileInfo(archive).absolutePath())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"backup.zip"});
        QCOMPARE(QFile::permissions(archive) & QFile::Permissions(0x7077),
                 QFile::ReadOwner | QFile::WriteOwner);

        QString why;
        const auto contents = inspect(archive, &why);
        QVERIFY2(contents, qPrintable(why));
        QCOMPARE(contents->version, QStringLiteral("3.2"));
        QCOMPARE(contents->created, kMoment);
        QCOMPARE(contents->ideas, 3);
        QVERIFY(contents->files.contains("profile/Ideas/До\\После.dat"));
        QVERIFY(!contents->files.contains("profile/profile.before-restore-2026-01-01-000000.mdb"));
        QCOMPARE(contents->historyFiles, 2);
        QVERIFY(contents->settings);
        QCOMPARE(contents->linkCategories, 1);
        QCOMPARE(contents->plugins, 1);
        QVERIFY(describeReplaced(*contents).contains("идеи (в копии: 3)"));

        // The profile goes, as the deletion does it; then it comes back.
        profile.database.close();
        QVERIFY(FolderTree::remove(profile.where.profileFolder));
        QVERIFY(FolderTree::remove(profile.where.userDataFolder));
        QVERIFY(QFile::remove(profile.where.settingsFile));
        const RestoreOutcome restored = restore(profile.where, archive, kMoment.addDays(1));
        QVERIFY2(restored.ok, qPrintable(restored.error));
        QVERIFY(restored.keptAside.isEmpty()); // there was nothing to keep
        QCOMPARE(tableRows(profile.databaseFile()), rows);
        QCOMPARE(profile.userFiles(), files);

        // A second restore over the restored profile keeps it aside, dated.
        writeFile(profile.where.profileFolder + "/Ideas/Новая.dat", "new");
        const RestoreOutcome again = restore(profile.where, archive, kMoment.addDays(2));
        QVERIFY2(again.ok, qPrintable(again.error));
        const QString kept = profile.where.profileFolder + ".before-restore-2026-03-10-142005";
        QVERIFY(again.keptAside.contains(kept));
        QCOMPARE(bytesOf(kept + "/Ideas/Новая.dat"), QByteArray("new"));
        QVERIFY(!QFile::exists(profile.where.profileFolder + "/Ideas/Новая.dat"));
        QCOMPARE(profile.userFiles(), files);
        QVERIFY(again.keptAside.contains(profile.where.settingsFile + ".before-restore-2026-03-10-142005"));
    }

    void backupDuringATransactionHoldsTheStateBeforeIt()
    {
        FilledProfile profile;
        const QStringList before = tableRows(profile.databaseFile());
        const QString archive = profile.home.path() + "/backup.zip";
        {
            Transaction change(profile.database.BigBd());
            QVERIFY(change.isActive());
            QSqlQuery query(profile.database.BigBd());
            QVERIFY(query.exec("DELETE FROM \"Адресная книга\""));
            QVERIFY(query.exec("INSERT INTO \"Заметки\" (\"Название\") VALUES ('посреди')"));
            const Outcome written = write(profile.where, archive, "3.2", kMoment);
            QVERIFY2(written.ok, qPrintable(written.error));
            QVERIFY(change.commit()); // the backup did not get in its way
        }
        QVERIFY(tableRows(profile.databaseFile()) != before);
        profile.database.close();
        QVERIFY(restore(profile.where, archive, kMoment).ok);
        QCOMPARE(tableRows(profile.databaseFile()), before);
    }

    void badArchivesAreRefusedAndChangeNothing()
    {
        FilledProfile profile;
        const QString good = profile.home.path() + "/good.zip";
        QVERIFY(write(profile.where, good, "3.2", kMoment).ok);
        profile.database.close();
        const QStringList rows = tableRows(profile.databaseFile());
        const auto files = profile.userFiles();

        const auto copyOf = [&](const QString& name) {
            const QString path = profile.home.path() + "/" + name;
            QFile::copy(good, path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            return path;
        };
        const QString noManifest = copyOf("no-manifest.zip");
        editArchive(noManifest, [](zip_t* archive) {
            zip_delete(archive, zip_name_locate(archive, "manifest.json", 0));
        });

        // The database keeps its first page and size, its tables are garbage.
        const QString damaged = copyOf("damaged.zip");
        QByteArray database = bytesOf(profile.databaseFile());
        const qsizetype pageSize = (uchar(database[16]) << 8) | uchar(database[17]);
        for (qsizetype i = pageSize; i < database.size(); ++i)
            database[i] = char(0xA5);
        editArchive(damaged, [&](zip_t* archive) {
            zip_source_t* source =
                zip_source_buffer(archive, database.constData(), zip_uint64_t(database.size()), 0);
            QVERIFY(zip_file_add(archive, "profile/profile.mdb", source, ZIP_FL_OVERWRITE) >= 0);
        });

        const QString notZip = profile.home.path() + "/letter.zip";
        writeFile(notZip, "Dear user, this is not an archive.\n");

        // A manifest that names a file outside the profile.
        const QString climbing = copyOf("climbing.zip");
        const QByteArray evil =
            R"({"program":"Quillarbor","format":1,"version":"3.2","created":"2026-03-08T14:20:05",)"
            R"("files":[{"name":"profile/../../.bashrc","size":4}]})";
        editArchive(climbing, [&](zip_t* archive) {
            zip_source_t* source = zip_source_buffer(archive, evil.constData(), zip_uint64_t(evil.size()), 0);
            QVERIFY(zip_file_add(archive, "manifest.json", source, ZIP_FL_OVERWRITE) >= 0);
        });

        // A size no file has, beyond what a 64-bit count holds.
        const QString hugeSize = copyOf("huge-size.zip");
        const QByteArray huge =
            R"({"program":"Quillarbor","format":1,"version":"3.2","created":"2026-03-08T14:20:05",)"
            R"("files":[{"name":"profile/profile.mdb","size":2218446744073709551616}]})";
        editArchive(hugeSize, [&](zip_t* archive) {
            zip_source_t* source = zip_source_buffer(archive, huge.constData(), zip_uint64_t(huge.size()), 0);
            QVERIFY(zip_file_add(archive, "manifest.json", source, ZIP_FL_OVERWRITE) >= 0);
        });

        const QList<QPair<QString, QString>> cases{
            {noManifest, "нет описания содержимого"},
            {hugeSize, "недопустимый файл"},
            {damaged, "повреждена"},
            {notZip, "не является архивом ZIP"},
            {climbing, "недопустимый файл"},
            {profile.home.path() + "/missing.zip", "нет файла"},
        };
        for (const auto& [path, reason] : cases) {
            QString why;
            QVERIFY2(!inspect(path, &why), qPrintable(path));
            QVERIFY2(why.contains(reason), qPrintable(why));
            const RestoreOutcome outcome = restore(profile.where, path, kMoment);
            QVERIFY(!outcome.ok);
            QCOMPARE(outcome.error, why);
            QCOMPARE(tableRows(profile.databaseFile()), rows);
            QCOMPARE(profile.userFiles(), files);
            // No staging or kept-aside folder is left behind.
            QCOMPARE(QDir(profile.home.documents()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{"Quillarbor"});
        }
    }

    void writerReportsWhyItFailed()
    {
        FilledProfile profile;
        const Outcome noFolder = write(profile.where, profile.home.path() + "/nowhere/b.zip", "3.2", kMoment);
        QVERIFY(!noFolder.ok);
        QVERIFY(noFolder.error.contains("нет папки"));
        const Outcome onFolder = write(profile.where, profile.home.documents(), "3.2", kMoment);
        QVERIFY(!onFolder.ok);
        QVERIFY(onFolder.error.contains("это папка"));
        // An archive already there stays whole when the new one cannot be made.
        const QString archive = profile.home.path() + "/b.zip";
        writeFile(archive, "older backup");
        profile.database.close();
        QFile::rename(profile.databaseFile(), profile.databaseFile() + ".away");
        const Outcome noDatabase = write(profile.where, archive, "3.2", kMoment);
        QVERIFY(!noDatabase.ok);
        QVERIFY(noDatabase.error.contains("нет базы данных"));
        QCOMPARE(bytesOf(archive), QByteArray("older backup"));
    }

    void dailyCopyIsMadeOnceADayAndSevenAreKept()
    {
        FilledProfile profile;
        const QString folder = profile.where.profileFolder;
        bool made = false;
        QVERIFY(makeDailyCopy(folder, QDate(2026, 3, 1), &made).ok);
        QVERIFY(made);
        QVERIFY(makeDailyCopy(folder, QDate(2026, 3, 1), &made).ok);
        QVERIFY(!made);
        QCOMPARE(tableRows(dailyCopies(folder).first()), tableRows(profile.databaseFile()));
        for (int day = 2; day <= 8; ++day) {
            QVERIFY(makeDailyCopy(folder, QDate(2026, 3, day), &made).ok);
            QVERIFY(made);
        }
        const QStringList copies = dailyCopies(folder);
        QCOMPARE(copies.size(), 7);
        QCOMPARE(dateOfDailyCopy(copies.first()), QDate(2026, 3, 8));
        QCOMPARE(dateOfDailyCopy(copies.last()), QDate(2026, 3, 2));
        QVERIFY(!QFile::exists(dailyFolder(folder) + "/profile-2026-03-01.mdb"));
        QCOMPARE(QDir(dailyFolder(folder)).entryList(QDir::Files | QDir::Hidden).size(), 7);

        // A daily copy restores the database alone and keeps the current one aside.
        QString why;
        const auto contents = inspect(copies.last(), &why);
        QVERIFY2(contents && contents->dailyCopy, qPrintable(why));
        QSqlQuery(profile.database.BigBd()).exec("DELETE FROM \"Заметки\"");
        const QStringList changed = tableRows(profile.databaseFile());
        profile.database.close();
        const RestoreOutcome outcome = restore(profile.where, copies.last(), kMoment);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(tableRows(profile.databaseFile()), tableRows(copies.last()));
        QCOMPARE(outcome.keptAside, QStringList{folder + "/profile.before-restore-2026-03-08-142005.mdb"});
        QCOMPARE(tableRows(outcome.keptAside.first()), changed);
    }
};

QUILL_TEST_MAIN(TestProfileBackup)
#include "tst_profile_backup.moc"
