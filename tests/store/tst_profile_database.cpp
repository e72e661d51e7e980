#include "build_addresses.h"
#include "profile_database.h"
#include "test_home.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <memory>

namespace {

// Every table of the template, its fields in order with their declared types.
QList<QPair<QString, QStringList>> expectedSchema()
{
    return {
        {"Заметки", {"Key INTEGER", "Название TEXT(50)", "Содержание TEXT"}},
        {"Дневник", {"MsgData DATETIME", "Содержание TEXT"}},
        {"Ключи", {"Count INTEGER", "Ключ TEXT(50)", "Заблокировано BOOLEAN"}},
        {"Адресная книга",
         {"Key INTEGER", "Имя TEXT(50)", "Фамилия TEXT(50)", "Отчество TEXT(50)", "Телефон1 TEXT(50)",
          "Телефон2 TEXT(50)", "E-mail TEXT(50)", "ICQ TEXT(50)", "Дата рождения DATETIME",
          "Напоминать BOOLEAN", "Категория INTEGER", "Комментарий TEXT(50)"}},
        {"Напоминания", {"Key INTEGER", "Текст TEXT(50)", "Дата DATETIME"}},
        {"Задачи",
         {"Key INTEGER", "Название TEXT(50)", "Комментарий TEXT(50)", "Дата DATETIME", "Имя файла TEXT(255)",
          "Тип TEXT(50)"}},
        {"Пароли", {"Key INTEGER", "Принадлежность TEXT(50)", "Логин TEXT(50)", "Пароль TEXT(50)"}},
        {"Темы", {"Key INTEGER",          "Наименование TEXT(50)", "Название TEXT(50)", "Размер WORD",
                  "FЦветR WORD",          "FЦветG WORD",           "FЦветB WORD",       "Жирный BOOLEAN",
                  "Курсив BOOLEAN",       "Подчёркнутый BOOLEAN",  "ЦветR WORD",        "ЦветG WORD",
                  "ЦветB WORD",           "Название2 TEXT(50)",    "Размер2 WORD",      "FЦветR2 WORD",
                  "FЦветG2 WORD",         "FЦветB2 WORD",          "Жирный2 BOOLEAN",   "Курсив2 BOOLEAN",
                  "Подчёркнутый2 BOOLEAN"}},
    };
}

} // namespace

class TestProfileDatabase : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    void templateSchemaNameForName()
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "schema");
        db.setDatabaseName(ProfileDatabase::templateFile(TestHome::programFolder()));
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        QVERIFY(db.open());
        {
            QSqlQuery tables(db);
            QVERIFY(tables.exec(
                "SELECT name FROM sqlite_master WHERE type='table' AND name <> 'sqlite_sequence'"));
            QStringList names;
            while (tables.next())
                names.append(tables.value(0).toString());
            QStringList expectedNames;
            for (const auto& table : expectedSchema())
                expectedNames.append(table.first);
            QCOMPARE(names, expectedNames);

            for (const auto& table : expectedSchema()) {
                QSqlQuery info(db);
                QVERIFY(info.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table.first)));
                QStringList fields;
                while (info.next())
                    fields.append(info.value(1).toString() + ' ' + info.value(2).toString());
                QCOMPARE(fields, table.second);
            }
            QSqlQuery keys(db);
            QVERIFY(keys.exec("SELECT \"Ключ\", \"Заблокировано\" FROM \"Ключи\" ORDER BY \"Count\""));
            int rows = 0;
            while (keys.next()) {
                ++rows;
                QCOMPARE(keys.value(0).toString(), QString());
                QCOMPARE(keys.value(1).toInt(), 0);
            }
            QCOMPARE(rows, 3);
            QSqlQuery themes(db);
            QVERIFY(themes.exec("SELECT \"Наименование\" FROM \"Темы\""));
            QStringList themeNames;
            while (themes.next())
                themeNames.append(themes.value(0).toString());
            QVERIFY(themeNames.contains("Modern"));
            QVERIFY(themeNames.contains("Metal"));
            for (const auto& table : expectedSchema())
                if (table.first != "Ключи" && table.first != "Темы") {
                    QSqlQuery count(db);
                    QVERIFY(count.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table.first)));
                    QVERIFY(count.next());
                    QCOMPARE(count.value(0).toInt(), 0);
                }
        }
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("schema");
    }

    void firstOpenCopiesTheTemplateOnceIntoAPrivateFolder()
    {
        QDir(m_home->documents()).removeRecursively(); // a home without a documents folder yet
        ProfileDatabase database;
        QString error;
        QVERIFY2(database.open(m_home->documents(), TestHome::programFolder(), &error), qPrintable(error));
        QVERIFY(QFile::exists(m_home->profileFolder() + "/profile.mdb"));
        QCOMPARE(QFile::permissions(m_home->profileFolder()) & (QFile::ReadGroup | QFile::ReadOther), 0);
        QCOMPARE(database.KeysTable.count(), 3);
        QVERIFY(database.MarksTable.insert({{"Название", "Моя заметка"}, {"Содержание", "текст"}}));
        database.close();

        // Reopening keeps the user's rows: the template never overwrites a profile.
        ProfileDatabase again;
        QVERIFY(again.open(m_home->documents(), TestHome::programFolder()));
        QCOMPARE(again.MarksTable.count(), 1);
    }

    void notesAreFoundByNameThroughAnIndexAlsoInOlderProfiles()
    {
        const auto plan = [](const QSqlDatabase& db) {
            QSqlQuery explain(db);
            explain.exec("EXPLAIN QUERY PLAN SELECT * FROM \"Заметки\" WHERE \"Название\" = '#!01.01.2026'");
            QString steps;
            while (explain.next())
                steps += explain.value(3).toString() + ';';
            return steps;
        };
        {
            ProfileDatabase database;
            QVERIFY(database.open(m_home->documents(), TestHome::programFolder()));
            QVERIFY2(plan(database.BigBd()).contains("USING INDEX"), qPrintable(plan(database.BigBd())));
            // A profile made before the index: its notes stay, the index comes back.
            QVERIFY(database.MarksTable.insert({{"Название", "#!01.01.2026"}, {"Содержание", "день"}}));
            QSqlQuery drop(database.BigBd());
            QVERIFY(drop.exec("DROP INDEX \"Заметки по названию\""));
            QVERIFY(!plan(database.BigBd()).contains("USING INDEX"));
        }
        ProfileDatabase again;
        QVERIFY(again.open(m_home->documents(), TestHome::programFolder()));
        QVERIFY2(plan(again.BigBd()).contains("USING INDEX"), qPrintable(plan(again.BigBd())));
        const auto note = again.MarksTable.first(TableFilter("Название", "#!01.01.2026"));
        QVERIFY(note);
        QCOMPARE(note->value("Содержание").toString(), QStringLiteral("день"));
    }

    void openFailsWithoutTemplateOrOnADamagedFile()
    {
        QTemporaryDir emptyProgramFolder;
        ProfileDatabase database;
        QString error;
        QVERIFY(!database.open(m_home->documents(), emptyProgramFolder.path() + "/", &error));
        QVERIFY(!database.isOpen());
        // The driver's address only where this build has a site to name.
        QCOMPARE(ProfileDatabase::openFailureMessage().split("\r\n").size(), 3);
        const BuildAddresses::Set withSite{QStringLiteral("https://quillarbor.test/"), {}, {}, {}};
        BuildAddresses::setForTests(&withSite);
        const QStringList lines = ProfileDatabase::openFailureMessage().split("\r\n");
        BuildAddresses::setForTests(nullptr);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[2], QStringLiteral("https://quillarbor.test/download/mdac_typ.zip"));

        QFile damaged(m_home->profileFolder() + "/profile.mdb");
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("this is not a database at all, just some text that fills the header page");
        damaged.close();
        QVERIFY(!database.open(m_home->documents(), TestHome::programFolder(), &error));
        // The damaged file is left alone for the user to rescue.
        QVERIFY(damaged.open(QIODevice::ReadOnly));
        QVERIFY(damaged.readAll().startsWith("this is not"));
    }

    void rowsBindTheirValuesAndKeepDateOrder()
    {
        ProfileDatabase database;
        QVERIFY(database.open(m_home->documents(), TestHome::programFolder()));
        TableObject& events = database.EventsTable;
        const QDateTime later(QDate(2026, 12, 31), QTime(23, 59, 59, 999));
        const QDateTime earlier(QDate(2026, 1, 2), QTime(9, 5));
        qint64 laterKey = 0;
        QVERIFY(events.insert({{"Текст", "O'Brien \"quoted\"; DROP TABLE x"}, {"Дата", later}}, &laterKey));
        QVERIFY(events.insert({{"Текст", "раньше"}, {"Дата", earlier}}));
        QVERIFY(events.insert({{"Текст", "тоже раньше"}, {"Дата", earlier}}));
        QCOMPARE(events.first()->value("Текст").toString(), QStringLiteral("раньше"));
        QCOMPARE(events.at(1)->value("Текст").toString(), QStringLiteral("тоже раньше"));
        QCOMPARE(events.at(2)->value("Дата").toDateTime(), later);
        QCOMPARE(events.count({"Текст", "O'Brien \"quoted\"; DROP TABLE x"}), 1);
        QCOMPARE(events.count({"Текст", "o'brien \"quoted\"; drop table x"}), 0);

        // Or-joined tests, and updates of a row that is gone are reported.
        TableFilter either("Текст", "раньше");
        either.tests.append(qMakePair(QStringLiteral("Текст"), QVariant(QStringLiteral("тоже раньше"))));
        either.join = TableFilter::Join::Or;
        QCOMPARE(events.rows(either).size(), 2);
        QVERIFY(events.remove(laterKey));
        QString error;
        QVERIFY(!events.update(laterKey, {{"Текст", "x"}}, &error));
        QVERIFY(!error.isEmpty());

        // Enciphered values may hold U+0000 and control characters.
        const QString secret =
            QString(QChar(0)) + QChar(1) + QStringLiteral("\x7f\t") + QChar(0xFF) + QChar(0);
        auto keyRow = database.KeysTable.at(2);
        QVERIFY(keyRow);
        QVERIFY(database.KeysTable.update(keyRow->key, {{"Ключ", secret}}));
        QCOMPARE(database.KeysTable.at(2)->value("Ключ").toString(), secret);
        QCOMPARE(database.KeysTable.at(2)->value("Ключ").toString().size(), secret.size());
    }

    void transactionRollsBackUnlessCommitted()
    {
        ProfileDatabase database;
        QVERIFY(database.open(m_home->documents(), TestHome::programFolder()));
        {
            Transaction transaction(database.BigBd());
            QVERIFY(transaction.isActive());
            QVERIFY(database.MarksTable.insert({{"Название", "a"}}));
        }
        QCOMPARE(database.MarksTable.count(), 0);
        {
            Transaction transaction(database.BigBd());
            QVERIFY(database.MarksTable.insert({{"Название", "b"}}));
            QVERIFY(transaction.commit());
        }
        QCOMPARE(database.MarksTable.count(), 1);
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QTEST_GUILESS_MAIN(TestProfileDatabase)
#include "tst_profile_database.moc"
