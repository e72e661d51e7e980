#include "address_book.h"
#include "contact_exchange.h"
#include "exchange_file.h"
#include "profile_database.h"
#include "test_home.h"
#include "test_main.h"
#include "text_decoding.h"
#include "vcard.h"

#include <QFile>
#include <QTest>
#include <memory>

namespace {

// Quoted-printable as old phones write it: every octet outside ASCII as =XX,
// and a soft line break ("=" at the end) after the given number of characters.
QByteArray quoted(const QByteArray& octets, int breakAfter = 0)
{
    QByteArray out;
    int column = 0;
    for (const char c : octets) {
        const auto code = static_cast<unsigned char>(c);
        const QByteArray piece =
            code >= 0x80 || c == '=' ? "=" + QByteArray::number(code, 16).toUpper() : QByteArray(1, c);
        if (breakAfter > 0 && column + piece.size() > breakAfter) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += int(piece.size());
    }
    return out;
}

QByteArray windows1251(const QString& text)
{
    QByteArray out;
    for (const QChar c : text) {
        for (int code = 0; code < 256; ++code) {
            if (TextDecoding::decodeWindows1251(QByteArray(1, char(code))).at(0) == c) {
                out += char(code);
                break;
            }
        }
    }
    return out;
}

Contact everyField()
{
    Contact contact;
    contact.name = QStringLiteral("Пётр");
    contact.surname = QStringLiteral("О'Коннор-Иванов");
    contact.patronymic = QStringLiteral("Ильич");
    contact.phone1 = QStringLiteral("+7 (495) 123-45-67");
    contact.phone2 = QStringLiteral("8-916-000-11-22");
    contact.mail = QStringLiteral("petr@example.ru");
    contact.icq = QStringLiteral("123-456-789");
    contact.category = 4;
    contact.comment = QStringLiteral("Друг детства, живёт в Туле; звонить после 18:00");
    contact.birthday = QDate(1979, 2, 28).startOfDay();
    contact.remind = true;
    return contact;
}

void compare(const Contact& got, const Contact& want)
{
    QCOMPARE(got.name, want.name);
    QCOMPARE(got.surname, want.surname);
    QCOMPARE(got.patronymic, want.patronymic);
    QCOMPARE(got.phone1, want.phone1);
    QCOMPARE(got.phone2, want.phone2);
    QCOMPARE(got.mail, want.mail);
    QCOMPARE(got.icq, want.icq);
    QCOMPARE(got.category, want.category);
    QCOMPARE(got.comment, want.comment);
    QCOMPARE(got.birthday, want.birthday);
    QCOMPARE(got.remind, want.remind);
}

} // namespace

class TestVCard : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_database = std::make_unique<ProfileDatabase>();
        QVERIFY(m_database->open(m_home->documents(), TestHome::programFolder()));
    }
    void cleanup()
    {
        m_database.reset();
        m_home.reset();
    }

    void roundTripKeepsEveryField()
    {
        Contact timed = everyField();
        timed.name = QStringLiteral("Мария");
        timed.birthday = QDateTime(QDate(1990, 12, 31), QTime(7, 45));
        timed.remind = false;
        timed.category = 0;
        timed.icq.clear();
        for (const VCard::Version version : {VCard::Version::V4, VCard::Version::V3}) {
            cleanup();
            init();
            const QString path = m_home->path() + QStringLiteral("/out.vcf");
            QString error;
            QVERIFY2(ContactExchange::exportFile(path, {everyField(), timed}, version, &error),
                     qPrintable(error));
            QByteArray written;
            QVERIFY(ExchangeFile::readWhole(path, &written, &error));
            // Every line ends in CRLF and none is longer than 75 octets.
            for (const QByteArray& line : written.split('\n')) {
                QVERIFY(line.isEmpty() || line.endsWith('\r'));
                QVERIFY2(line.size() <= 76, line.constData());
            }
            QVERIFY(written.contains(version == VCard::Version::V4 ? "VERSION:4.0" : "VERSION:3.0"));
            QVERIFY(written.contains("\r\n ")); // the long comment is folded
            written.replace("\r\n ", "");
            QVERIFY(written.contains("NOTE:Друг детства\\, живёт в Туле\\; звонить после 18:00"));
            QVERIFY(written.contains("IMPP:icq:123-456-789"));
            QVERIFY(written.contains("CATEGORIES:Родственники"));

            AddressBook book(m_database->BookTable);
            const ContactExchange::ImportSummary summary =
                ContactExchange::importFile(path, book, m_database->BigBd());
            QVERIFY2(summary.error.isEmpty(), qPrintable(summary.error));
            QCOMPARE(summary.added, 2);
            const QList<TableObject::Row> rows = m_database->BookTable.rows();
            QCOMPARE(rows.size(), 2);
            compare(Contact::fromRow(rows[0]), everyField());
            compare(Contact::fromRow(rows[1]), timed);
        }
    }

    void readsVersion21QuotedPrintable()
    {
        const QByteArray fn = quoted(QStringLiteral("Пётр Ильич Иванов").toUtf8(), 40);
        QVERIFY(fn.contains("=\r\n")); // the soft break is really there
        const QByteArray file =
            "BEGIN:VCARD\r\nVERSION:2.1\r\n"
            "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" +
            quoted(QStringLiteral("Иванов;Пётр;Ильич;;").toUtf8()) +
            "\r\n"
            "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" +
            fn +
            "\r\n"
            "TEL;CELL;PREF:+79161234567\r\nTEL;HOME:+74951234567\r\nTEL;WORK:+74957654321\r\n"
            "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:" +
            quoted(QStringLiteral("Сосед по даче, = чинит машины").toUtf8(), 30) +
            "\r\n"
            "BDAY:19750412\r\n"
            "END:VCARD\r\n"
            // A phone of the Windows era: the code page named, the text in it.
            "BEGIN:VCARD\r\nVERSION:2.1\r\n"
            "N;CHARSET=WINDOWS-1251;QUOTED-PRINTABLE:" +
            quoted(windows1251(QStringLiteral("Сидорова;Ольга"))) +
            "\r\n"
            "TEL;VOICE:222-33-44\r\n"
            "END:VCARD\r\n";
        const VCard::ReadResult read = VCard::read(file);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.failures.size(), 0);
        QCOMPARE(read.cards.size(), 2);
        const Contact& petr = read.cards[0].contact;
        QCOMPARE(petr.surname, QStringLiteral("Иванов"));
        QCOMPARE(petr.name, QStringLiteral("Пётр"));
        QCOMPARE(petr.patronymic, QStringLiteral("Ильич"));
        QCOMPARE(petr.phone1, QStringLiteral("+79161234567"));
        QCOMPARE(petr.phone2, QStringLiteral("+74951234567"));
        QCOMPARE(petr.comment, QStringLiteral("Сосед по даче, = чинит машины; тел. +74957654321"));
        QCOMPARE(petr.birthday, QDate(1975, 4, 12).startOfDay());
        QCOMPARE(petr.remind, false);
        const Contact& olga = read.cards[1].contact;
        QCOMPARE(olga.surname, QStringLiteral("Сидорова"));
        QCOMPARE(olga.name, QStringLiteral("Ольга"));
        QCOMPARE(olga.patronymic, QStringLiteral("---")); // as the editor stores a name left empty
        QCOMPARE(olga.birthday, QDate(1980, 1, 1).startOfDay());
    }

    void controlCharactersInValuesAreDroppedSoTheExportReadsBack()
    {
        // Quoted-printable can spell any byte, a NUL or a bell among them.
        const QByteArray file = "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                                "N;ENCODING=QUOTED-PRINTABLE:Iva=00nov;Pe=07tr;;;\r\n"
                                "TEL;CELL;ENCODING=QUOTED-PRINTABLE:+7=1B900\r\nEMAIL:a\x7f@example.org\r\n"
                                "NOTE;ENCODING=QUOTED-PRINTABLE:one=0Dtwo=C2=85three\r\n"
                                "END:VCARD\r\n";
        const VCard::ReadResult read = VCard::read(file);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.cards.size(), 1);
        const Contact& contact = read.cards[0].contact;
        QCOMPARE(contact.surname, QStringLiteral("Ivanov"));
        QCOMPARE(contact.name, QStringLiteral("Petr"));
        QCOMPARE(contact.phone1, QStringLiteral("+7900"));
        QCOMPARE(contact.mail, QStringLiteral("a@example.org"));
        QCOMPARE(contact.comment, QStringLiteral("one twothree"));
        for (const VCard::Version version : {VCard::Version::V3, VCard::Version::V4}) {
            const VCard::ReadResult again = VCard::read(VCard::write({contact}, version));
            QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
            QCOMPARE(again.cards.size(), 1);
            QCOMPARE(again.cards[0].contact.surname, contact.surname);
        }
    }

    void readsMailProgramAndWebShapes()
    {
        const QByteArray file =
            QStringLiteral(
                "BEGIN:VCARD\n"
                "VERSION:3.0\n"
                "PRODID:-//Mail Program//RU\n"
                "N:Петрова;Анна;Сергеевна;;\n"
                "FN:Анна Сергеевна Петрова\n"
                "ORG:ООО \"Ромашка\";Отдел продаж\n"
                "item1.TEL;TYPE=WORK,VOICE:+7 495 111-22-33\n"
                "TEL;TYPE=CELL;TYPE=pref:+7 916 000-11-22\n"
                "TEL;TYPE=HOME:+7 495 444-55-66\n"
                "TEL;TYPE=FAX:+7 495 444-55-67\n"
                "EMAIL;TYPE=INTERNET;TYPE=PREF:anna@example.ru\n"
                "EMAIL;TYPE=INTERNET:a.petrova@example.com\n"
                "X-ICQ:55501\n"
                "BDAY;VALUE=date:1985-03-08\n"
                "CATEGORIES:VIP,Работа\n"
                "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/"
                "2wBDAAMCAgMCAgMDAwMEAwMEBQgFBQQEBQoHBwYI\n"
                " DAoMDAsKCwsNDhIQDQ4RDgsLEBYQERMUFRUVDA8XGBYUGBIUFRT/2wBDAQMEBAUEBQkFBQkU\n"
                "END:VCARD\n"
                "BEGIN:VCARD\r\n"
                "VERSION:4.0\r\n"
                "FN:Смирнов Алексей Петрович\r\n"
                "TEL;VALUE=uri;TYPE=cell:tel:+7-903-555-44-33\r\n"
                "BDAY:--0515\r\n"
                "NOTE:Познакомились на конференции в Казани\\, обещал прислать статью о сети\r\n"
                "  и фотографии\r\n"
                "END:VCARD\r\n"
                "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:John Smith\r\nEMAIL:john@example.com\r\nEND:VCARD\r\n")
                .toUtf8();
        const VCard::ReadResult read = VCard::read(file);
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.cards.size(), 3);
        const Contact& anna = read.cards[0].contact;
        QCOMPARE(anna.surname, QStringLiteral("Петрова"));
        QCOMPARE(anna.phone1, QStringLiteral("+7 495 111-22-33"));
        QCOMPARE(anna.phone2, QStringLiteral("+7 916 000-11-22"));
        QCOMPARE(anna.mail, QStringLiteral("anna@example.ru"));
        QCOMPARE(anna.icq, QStringLiteral("55501"));
        QCOMPARE(anna.category, 2);
        QCOMPARE(anna.birthday, QDate(1985, 3, 8).startOfDay());
        // Only what fits the 50 characters of the column goes into the comment.
        QCOMPARE(anna.comment, QStringLiteral("тел. +7 495 444-55-66; тел. +7 495 444-55-67"));
        const Contact& alexei = read.cards[1].contact;
        QCOMPARE(alexei.surname, QStringLiteral("Смирнов"));
        QCOMPARE(alexei.name, QStringLiteral("Алексей"));
        QCOMPARE(alexei.patronymic, QStringLiteral("Петрович"));
        QCOMPARE(alexei.phone1, QStringLiteral("+7-903-555-44-33"));
        QCOMPARE(alexei.birthday.date().month(), 5);
        QCOMPARE(alexei.birthday.date().day(), 15);
        QCOMPARE(alexei.comment,
                 QStringLiteral(
                     "Познакомились на конференции в Казани, обещал прислать статью о сети и фотографии")
                     .left(Contacts::kCommentLength));
        const Contact& john = read.cards[2].contact;
        QCOMPARE(john.name, QStringLiteral("John"));
        QCOMPARE(john.surname, QStringLiteral("Smith"));
        QCOMPARE(john.mail, QStringLiteral("john@example.com"));
    }

    void brokenCardIsNamedAndTheOthersImported()
    {
        const QByteArray file =
            QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Первый;Иван;;;\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Сломанный Борис\r\n"
                           "это не свойство\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Незаконченный\r\n"
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Третий;Семён;;;\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:5.0\r\nN:Будущий;;;;\r\nEND:VCARD\r\n")
                .toUtf8();
        AddressBook book(m_database->BookTable);
        const ContactExchange::ImportSummary summary =
            ContactExchange::importCards(VCard::read(file), book, m_database->BigBd());
        QVERIFY(summary.error.isEmpty());
        QCOMPARE(summary.added, 2);
        QCOMPARE(summary.failures.size(), 3);
        QCOMPARE(summary.failures[0].number, 2);
        QCOMPARE(summary.failures[0].label, QStringLiteral("Сломанный Борис"));
        QVERIFY(summary.failures[0].reason.contains(QStringLiteral("строка 8")));
        QCOMPARE(summary.failures[1].label, QStringLiteral("Незаконченный"));
        QVERIFY(summary.failures[1].reason.contains(QStringLiteral("END:VCARD")));
        QVERIFY(summary.failures[2].reason.contains(QStringLiteral("5.0")));
        const QString text = ContactExchange::summaryText(summary);
        QVERIFY(text.contains(QStringLiteral("Добавлено контактов: 2.")));
        QVERIFY(text.contains(QStringLiteral("«Сломанный Борис»")));
        QCOMPARE(m_database->BookTable.count(), 2);
    }

    void duplicatesAreSkippedAndCounted()
    {
        Contact present;
        present.surname = QStringLiteral("Иванов");
        present.name = QStringLiteral("Пётр");
        present.patronymic = QStringLiteral("Ильич");
        QVERIFY(m_database->BookTable.insert(present.toValues()));
        const QByteArray file =
            QStringLiteral("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Иванов;Пётр;Ильич;;\r\nFN:x\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:4.0\r\nN:иванов;Пётр;Ильич;;\r\nFN:x\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Анна\r\nEND:VCARD\r\n"
                           "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Анна\r\nTEL:1\r\nEND:VCARD\r\n")
                .toUtf8();
        AddressBook book(m_database->BookTable);
        const ContactExchange::ImportSummary summary =
            ContactExchange::importCards(VCard::read(file), book, m_database->BigBd());
        QCOMPARE(summary.added, 2); // letter case counts, as in the editor
        QCOMPARE(summary.duplicates,
                 QStringList({QStringLiteral("Иванов Пётр Ильич"), QStringLiteral("--- Анна ---")}));
        QCOMPARE(m_database->BookTable.count(), 3);
        QVERIFY(ContactExchange::summaryText(summary).contains(
            QStringLiteral("Пропущено, потому что такая запись уже существует: 2")));
    }

    void badFilesWriteNothing()
    {
        AddressBook book(m_database->BookTable);
        const auto importBytes = [&](const QByteArray& bytes) {
            const QString path = m_home->path() + QStringLiteral("/in.vcf");
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return ContactExchange::ImportSummary{};
            file.write(bytes);
            file.close();
            return ContactExchange::importFile(path, book, m_database->BigBd());
        };
        QVERIFY(importBytes("").error.contains(QStringLiteral("пуст")));
        QVERIFY(importBytes("\r\n  \r\n").error.contains(QStringLiteral("пуст")));
        QVERIFY(importBytes("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n")
                    .error.contains(QStringLiteral("не является файлом vCard")));
        QVERIFY(importBytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR").error.contains(QStringLiteral("vCard")));
        // One card of good text and one of bytes that are no UTF-8: none is taken.
        const ContactExchange::ImportSummary invalid =
            importBytes("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Good\r\nEND:VCARD\r\n"
                        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xC3\x28\xFF\xFE bad\r\nEND:VCARD\r\n");
        QVERIFY2(invalid.error.contains(QStringLiteral("UTF-8")), qPrintable(invalid.error));
        QCOMPARE(invalid.added, 0);

        const QString huge = m_home->path() + QStringLiteral("/huge.vcf");
        QFile big(huge);
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(100LL * 1024 * 1024));
        big.close();
        const ContactExchange::ImportSummary tooBig =
            ContactExchange::importFile(huge, book, m_database->BigBd());
        QVERIFY2(tooBig.error.contains(QStringLiteral("слишком велик")), qPrintable(tooBig.error));
        QVERIFY(ContactExchange::importFile(m_home->path() + QStringLiteral("/none.vcf"), book,
                                            m_database->BigBd())
                    .error.contains(QStringLiteral("не найден")));
        QCOMPARE(m_database->BookTable.count(), 0);
    }

    void formattedNamesSplitAsPeopleWriteThem()
    {
        const auto names = [](const char* text) {
            const ContactNames found = VCard::namesFromFormatted(QString::fromUtf8(text));
            return QStringList{found.surname, found.name, found.patronymic};
        };
        QCOMPARE(names("Пётр Ильич Иванов"), QStringList({"Иванов", "Пётр", "Ильич"}));
        QCOMPARE(names("Иванова Анна Сергеевна"), QStringList({"Иванова", "Анна", "Сергеевна"}));
        QCOMPARE(names("Мама"), QStringList({"", "Мама", ""}));
        QCOMPARE(names("Anna Maria Schmidt"), QStringList({"Schmidt", "Anna Maria", ""}));
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<ProfileDatabase> m_database;
};

QUILL_TEST_MAIN(TestVCard)
#include "tst_vcard.moc"
