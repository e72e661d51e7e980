#include "file_dialogs.h"
#include "shell.h"
#include "test_home.h"
#include "test_main.h"

#include <QFile>
#include <QTest>
#include <memory>

class TestShellAndDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_home = std::make_unique<TestHome>(); }
    void cleanup() { m_home.reset(); }

    // Only programs run; a document with the execute bit opens in its program.
    void onlyProgramsAndScriptsStartAsPrograms()
    {
        const auto write = [this](const QString& name, const QByteArray& bytes, bool executable) {
            const QString path = m_home->path() + QLatin1Char('/') + name;
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return QString();
            file.write(bytes);
            file.close();
            if (executable)
                file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
            return path;
        };
        QFile elf(QStringLiteral("/bin/sh"));
        QVERIFY(elf.open(QIODevice::ReadOnly));
        const QByteArray program = elf.read(4096);
        QVERIFY(program.startsWith("\x7f"
                                   "ELF"));

        QVERIFY(Shell::startsAsProgram(write("tool", program, true)));
        QVERIFY(Shell::startsAsProgram(write("script.sh", "#!/bin/sh\necho hi\n", true)));
        // Marked executable, as everything on a FAT or NTFS disk is.
        QVERIFY(!Shell::startsAsProgram(write("letter.pdf", "%PDF-1.4\n", true)));
        QVERIFY(!Shell::startsAsProgram(write("photo.jpg", "\xff\xd8\xff\xe0", true)));
        QVERIFY(!Shell::startsAsProgram(write("empty", "", true)));
        // A real program without the execute bit is not started either.
        QVERIFY(!Shell::startsAsProgram(write("copied-tool", program, false)));
        QVERIFY(!Shell::startsAsProgram(m_home->path()));
        QVERIFY(!Shell::startsAsProgram(m_home->path() + "/missing"));
    }

    void windowsFiltersBecomeQtFilters_data()
    {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("qt");
        QTest::newRow("patterns with blanks after the semicolons")
            << "Command files(*.exe; *.com; *.bat)|*.exe; *.com; *.bat|Все файлы (*)|*"
            << "Command files (*.exe *.com *.bat);;Все файлы (*)";
        QTest::newRow("every file, with or without an extension") << "Тект (*.txt)|*.txt|Другое (*.*)|*.*"
                                                                  << "Тект (*.txt);;Другое (*)";
        QTest::newRow("caption without patterns") << "ZIP архив|*.zip"
                                                  << "ZIP архив (*.zip)";
        QTest::newRow("already Qt's form") << "Images (*.png *.jpg)"
                                           << "Images (*.png *.jpg)";
    }
    void windowsFiltersBecomeQtFilters()
    {
        QFETCH(QString, windows);
        QFETCH(QString, qt);
        QCOMPARE(FileDialogs::qtFilter(windows), qt);
    }

private:
    std::unique_ptr<TestHome> m_home;
};

QUILL_TEST_MAIN(TestShellAndDialogs)
#include "tst_seams.moc"
