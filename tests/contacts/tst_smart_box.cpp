#include "history_file.h"
#include "registry_store.h"
#include "settings.h"
#include "smart_box.h"
#include "test_home.h"
#include "test_main.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <memory>

class TestSmartBox : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        QDir().mkpath(m_home->profileFolder());
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
    }
    void cleanup()
    {
        m_registry.reset();
        m_home.reset();
    }

    void firstUseCreatesAnEmptyHistoryThatGrowsByEveryAcceptedText()
    {
        TSmartBox box(*m_registry);
        box.setObjectName("Theme");
        const QString path = m_home->profileFolder() + "/Theme.dic";
        QCOMPARE(box.historyPath(), path);
        QVERIFY(box.Init());
        QVERIFY(QFile::exists(path));
        QCOMPARE(read(path), QByteArray());
        QCOMPARE(box.count(), 0);

        // The same subject three times, then an empty one: every accept is a line.
        for (const QString& subject : QStringList{"Отчёт", "Отчёт", "Отчёт", ""}) {
            box.setEditText(subject);
            QVERIFY(box.Accept());
            QCOMPARE(box.currentText(), subject);
        }
        QCOMPARE(read(path), QStringLiteral("Отчёт\r\nОтчёт\r\nОтчёт\r\n\r\n").toUtf8());
        QCOMPARE(box.count(), 4);

        // The next session finds the same history; what the box shows stays as typed.
        TSmartBox later(*m_registry);
        later.setObjectName("Theme");
        later.setEditText("черновик");
        QVERIFY(later.Init());
        QCOMPARE(items(later), (QStringList{"Отчёт", "Отчёт", "Отчёт", ""}));
        QCOMPARE(later.currentText(), QStringLiteral("черновик"));
        QVERIFY(!QDir(m_home->profileFolder()).entryList(QDir::Files).join(' ').contains(".dic."));

        // A save killed before its rename left its temporary file: the next
        // reading finds the old history whole and the leftover gone.
        QFile leftover(path + ".Ab12Cd");
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("Отч");
        leftover.close();
        TSmartBox afterKill(*m_registry);
        afterKill.setObjectName("Theme");
        QVERIFY(afterKill.Init());
        QCOMPARE(items(afterKill), (QStringList{"Отчёт", "Отчёт", "Отчёт", ""}));
        QVERIFY(!leftover.exists());
    }

    void filesWrittenElsewhereAreRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("UTF-8 with a byte-order mark")
            << QByteArray("\xEF\xBB\xBF") + QStringLiteral("Привет\r\nмир\r\n").toUtf8()
            << QStringList{"Привет", "мир"};
        QTest::newRow("Windows-1251")
            << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xEC\xE8\xF0") << QStringList{"Привет", "мир"};
        QTest::newRow("UTF-16 little-endian") << QByteArray("\xFF\xFE"
                                                            "a\0\r\0\n\0b\0",
                                                            10)
                                              << QStringList{"a", "b"};
        QTest::newRow("mixed line ends and empty lines")
            << QByteArray("one\rtwo\n\nthree\r\n\r\nfour")
            << QStringList{"one", "two", "", "three", "", "four"};
    }
    void filesWrittenElsewhereAreRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QCOMPARE(HistoryFile::parse(bytes), entries);
        // Read, then written back in the program's own form, the entries stay the same.
        QCOMPARE(HistoryFile::parse(HistoryFile::format(entries)), entries);

        QFile file(m_home->profileFolder() + "/EvName.dic");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        TSmartBox box(*m_registry);
        box.setObjectName("EvName");
        QVERIFY(box.Init());
        QCOMPARE(items(box), entries);
    }

    void theDocumentsFolderOfTheSettingsStoreIsHonoured()
    {
        const QString documents = m_home->path() + "/Мои документы";
        QVERIFY(QDir().mkpath(documents + "/Quillarbor"));
        QVERIFY(m_registry->writeString(Settings::kShellFoldersKey, "personal", documents));
        TSmartBox box(*m_registry);
        box.setObjectName("Theme");
        QCOMPARE(box.historyPath(), documents + "/Quillarbor/Theme.dic");
        QVERIFY(box.Init());
        QVERIFY(QFile::exists(documents + "/Quillarbor/Theme.dic"));
    }

    void aFileThatCannotBeReadOrWrittenIsReported()
    {
        // A folder in the place of the file can be neither read nor replaced.
        QVERIFY(QDir().mkpath(m_home->profileFolder() + "/Theme.dic"));
        TSmartBox box(*m_registry);
        box.setObjectName("Theme");
        QString error;
        QVERIFY(!box.Init(&error));
        QVERIFY(!error.isEmpty());
        box.setEditText("тема");
        error.clear();
        QVERIFY(!box.Accept(&error));
        QVERIFY(!error.isEmpty());
    }

private:
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    }
    static QStringList items(const QComboBox& box)
    {
        QStringList all;
        for (int i = 0; i < box.count(); ++i)
            all.append(box.itemText(i));
        return all;
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<RegistryStore> m_registry;
};

QUILL_TEST_MAIN(TestSmartBox)
#include "tst_smart_box.moc"
