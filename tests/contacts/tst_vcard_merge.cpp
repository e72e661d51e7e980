#include "test_main.h"
#include "vcard_merge.h"

#include <QStringDecoder>
#include <QTest>
#include <functional>

namespace {

// Folds at 75 octets wherever that falls, inside a UTF-8 sequence too, as
// some servers do.
QByteArray foldOctets(const QByteArray& line, const QByteArray& lineEnd)
{
    QByteArray out = line.left(75);
    for (qsizetype at = 75; at < line.size(); at += 74)
        out += lineEnd + ' ' + line.mid(at, 74);
    return out + lineEnd;
}

// As a phone writes a card to the server: groups with labels, a third
// number and a second address, a yearless birthday in a made-up year, an
// ICQ number under another scheme, a folded photo, CRLF line ends.
QByteArray phoneCard()
{
    return QStringLiteral("BEGIN:VCARD\r\n"
                          "VERSION:3.0\r\n"
                          "PRODID:-//Example Phone//Contacts 17.0//EN\r\n"
                          "N:Петров;Иван;Сергеевич;;\r\n"
                          "FN:Иван Сергеевич Петров\r\n"
                          "ORG:ООО «Ромашка»;\r\n"
                          "item1.TEL;type=CELL;type=VOICE;type=pref:+7 916 123-45-67\r\n"
                          "item2.TEL;type=HOME:+7 495 765-43-21\r\n"
                          "item2.X-ABLabel:дача\r\n"
                          "TEL;type=WORK;type=VOICE:+7 495 111-22-33\r\n"
                          "item3.EMAIL;type=INTERNET;type=pref:ivan@example.ru\r\n"
                          "item3.X-ABLabel:_$!<Home>!$_\r\n"
                          "EMAIL;type=INTERNET;type=WORK:petrov@work.example\r\n"
                          "item4.ADR;type=HOME;type=pref:;;ул. Ленина\\, 1;Москва;;101000;Россия\r\n"
                          "item4.X-ABADR:ru\r\n"
                          "ADR;type=WORK:;;Тверская ул.\\, 7;Москва;;125009;Россия\r\n"
                          "BDAY;X-APPLE-OMIT-YEAR=1604:1604-03-15\r\n"
                          "IMPP;X-SERVICE-TYPE=ICQ;type=HOME;type=pref:aim:123456789\r\n"
                          "NOTE:Старый друг\r\n"
                          "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAASABIAAD/"
                          "4QBMRXhpZgAATU0AKgAAAAgAAYdpAAQAAAA\r\n"
                          " BAAAAGgAAAAAAA6ABAAMAAAABAAEAAKACAAQAAAABAAAAyKADAAQAAAABAAAAyAAAAAD/7QA4UGh\r\n"
                          " vdG9zaG9wIDMuMAA4QklNBAQAAAAAAAA4QklNBCUAAAAAABDUHYzZjwCyBOmACZjs+EJ+/8AAEQ==\r\n"
                          "X-SOCIALPROFILE;type=telegram;x-user=ivanp:x-apple:ivanp\r\n"
                          "X-ACTIVITY-ALERT:type=call\\,snd=<none>\r\n"
                          "UID:1B2C3D4E-5F60-4718-9A2B-3C4D5E6F7081\r\n"
                          "REV:2024-05-06T07:08:09Z\r\n"
                          "END:VCARD\r\n")
        .toUtf8();
}

// As a sync program on another phone writes 4.0: LF line ends, a tel: URI,
// a yearless 29 February, a category among the phone's own, a note longer
// than our column folded by octets, the reminder flag of this program.
QByteArray syncCard()
{
    const QByteArray note =
        QStringLiteral("NOTE:Познакомились на конференции в Казани\\, обещала прислать статью "
                       "о сети и фотографии с экскурсии")
            .toUtf8();
    return QStringLiteral("BEGIN:VCARD\n"
                          "VERSION:4.0\n"
                          "PRODID:-//Example Sync//Phone//RU\n"
                          "UID:urn:uuid:5c1e1d9e-0b7a-4e43-9d52-2f1c3b4a5d6e\n"
                          "FN:Ольга Смирнова\n"
                          "N:Смирнова;Ольга;;д-р;\n"
                          "NICKNAME:Оля\n"
                          "TEL;VALUE=uri;TYPE=cell:tel:+7-903-555-44-33\n"
                          "TEL;TYPE=work:+7 (812) 000-00-00\n"
                          "EMAIL;TYPE=home:olga@example.org\n"
                          "BDAY:--0229\n"
                          "CATEGORIES:Работа,Коллеги\n"
                          "ADR;TYPE=home:;;Невский пр.\\, 1;Санкт-Петербург;;191186;Россия\n"
                          "ADR;TYPE=work:;;Садовая ул.\\, 2;Санкт-Петербург;;190000;Россия\n"
                          "X-ANDROID-CUSTOM:vnd.android.cursor.item/relation;Пётр;1;;;;;;;;;;;;;\n")
               .toUtf8() +
           foldOctets(note, "\n") +
           "PHOTO:data:image/jpeg;base64,/9j/4AAQSkZJRgABAQAASABIAAD/4QBMRXhpZgAATU0AKgAAAAgAA\n"
           " YdpAAQAAAABAAAAGgAAAAAAA6ABAAMAAAABAAEAAKACAAQAAAABAAAAyKADAAQAAAABAAAAyAAA\n"
           "REV:20240506T070809Z\n"
           "X-QUILLARBOR-REMIND:1\n"
           "END:VCARD\n";
}

// A card with a formatted name only, as a web address book may keep it.
QByteArray plainCard()
{
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Мама\r\nTEL:+7 900 000-00-00\r\n"
                          "UID:plain-1\r\nEND:VCARD\r\n")
        .toUtf8();
}

Contact read(const QByteArray& card)
{
    QString error;
    const std::optional<Contact> contact = VCard::readOne(card, &error);
    if (!contact)
        qWarning("%s", qPrintable(error));
    return contact.value_or(Contact());
}

QByteArray merged(const QByteArray& card, const Contact& contact)
{
    QString error;
    const std::optional<QByteArray> result = VCard::mergeInto(card, contact, &error);
    if (!result)
        qWarning("%s", qPrintable(error));
    return result.value_or(QByteArray());
}

QByteArray replaced(QByteArray card, const char* before, const char* after)
{
    const QByteArray from = QByteArray(before);
    if (!card.contains(from))
        qWarning("the card has no line «%s»", before);
    return card.replace(from, QByteArray(after));
}

// Every physical line ends as the card's lines do, holds no more than 75
// octets and is whole UTF-8 text: folding never cuts a letter in two.
void verifyLines(const QByteArray& card, const QByteArray& lineEnd)
{
    const QList<QByteArray> pieces = card.split('\n');
    QVERIFY(pieces.last().isEmpty());
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        QByteArray line = pieces[i];
        QVERIFY2(line.endsWith('\r') == (lineEnd == "\r\n"), line.constData());
        if (lineEnd == "\r\n")
            line.chop(1);
        QVERIFY2(line.size() <= 75, line.constData());
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(line);
        QVERIFY2(!utf8.hasError(), line.constData());
    }
}

} // namespace

class TestVCardMerge : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatPhonesWrite()
    {
        const Contact ivan = read(phoneCard());
        QCOMPARE(ivan.surname, QStringLiteral("Петров"));
        QCOMPARE(ivan.phone1, QStringLiteral("+7 916 123-45-67"));
        QCOMPARE(ivan.phone2, QStringLiteral("+7 495 765-43-21"));
        QCOMPARE(ivan.mail, QStringLiteral("ivan@example.ru"));
        QCOMPARE(ivan.icq, QStringLiteral("123456789"));
        // The made-up year of the phone is no year: it reads as the file's "--MMDD".
        QCOMPARE(ivan.birthday, QDate(1904, 3, 15).startOfDay());
        QCOMPARE(ivan.comment, QStringLiteral("Старый друг; тел. +7 495 111-22-33"));
        QCOMPARE(VCard::uidOf(phoneCard()), QStringLiteral("1B2C3D4E-5F60-4718-9A2B-3C4D5E6F7081"));

        const Contact olga = read(syncCard());
        QCOMPARE(olga.name, QStringLiteral("Ольга"));
        QCOMPARE(olga.patronymic, QStringLiteral("---"));
        QCOMPARE(olga.phone1, QStringLiteral("+7-903-555-44-33"));
        QCOMPARE(olga.birthday, QDate(1904, 2, 29).startOfDay()); // 29 February without a year is kept
        QVERIFY(olga.remind);
        QCOMPARE(olga.category, 2);
        QCOMPARE(olga.comment,
                 QStringLiteral("Познакомились на конференции в Казани, обещала прислать статью")
                     .left(Contacts::kCommentLength));
        QCOMPARE(VCard::uidOf(syncCard()), QStringLiteral("urn:uuid:5c1e1d9e-0b7a-4e43-9d52-2f1c3b4a5d6e"));
        QCOMPARE(VCard::uidOf(QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\nEND:VCARD\r\n")), QString());

        QString error;
        QVERIFY(!VCard::readOne("", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!VCard::readOne(plainCard() + plainCard(), &error));
        QVERIFY2(error.contains(QStringLiteral("2")), qPrintable(error));
        QVERIFY(!VCard::readOne("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\n", &error));
        QVERIFY(error.contains(QStringLiteral("END:VCARD")));
        QVERIFY(!VCard::mergeInto("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\nне свойство\r\nEND:VCARD\r\n", ivan,
                                  &error));
        QVERIFY(error.contains(QStringLiteral("строка 4")));
    }

    void unchangedContactLeavesTheCardAsItWas()
    {
        for (const QByteArray& card : {phoneCard(), syncCard(), plainCard()}) {
            const Contact contact = read(card);
            QCOMPARE(merged(card, contact), card);
            // The contact as the book stores it after the editor: its own form.
            QCOMPARE(merged(card, VCard::cardForm(contact)), card);
        }
        // The editor's starting date without a reminder is no birthday: none is added.
        Contact mother = read(plainCard());
        QCOMPARE(mother.birthday, QDate(1980, 1, 1).startOfDay());
        mother.surname = QStringLiteral("Иванова");
        QCOMPARE(merged(plainCard(), mother), replaced(plainCard(), "FN:Мама\r\n", "FN:Мама Иванова\r\n")
                                                  .replace("END:VCARD", "N:Иванова;Мама;;;\r\nEND:VCARD"));
    }

    void changesTouchOnlyTheirOwnLines()
    {
        const QByteArray card = phoneCard();
        const Contact ivan = read(card);
        const auto after = [&](const std::function<void(Contact&)>& change) {
            Contact changed = ivan;
            change(changed);
            return merged(card, changed);
        };

        QCOMPARE(after([](Contact& c) { c.phone1 = QStringLiteral("+7 999 000-00-00"); }),
                 replaced(card, "item1.TEL;type=CELL;type=VOICE;type=pref:+7 916 123-45-67\r\n",
                          "item1.TEL;type=CELL;type=VOICE;type=pref:+7 999 000-00-00\r\n"));
        // Emptied: the line goes with its label; the third number takes the field on the next reading.
        const QByteArray noSecond = after([](Contact& c) { c.phone2 = QStringLiteral("---"); });
        QCOMPARE(noSecond,
                 replaced(card, "item2.TEL;type=HOME:+7 495 765-43-21\r\nitem2.X-ABLabel:дача\r\n", ""));
        QCOMPARE(read(noSecond).phone2, QStringLiteral("+7 495 111-22-33"));
        // Numbers that only change fields keep their lines, labels and all, ahead of the third.
        QCOMPARE(
            after([](Contact& c) { std::swap(c.phone1, c.phone2); }),
            replaced(card, "item1.TEL;type=CELL;type=VOICE;type=pref:+7 916 123-45-67\r\n", "")
                .replace(
                    "item2.X-ABLabel:дача\r\n",
                    "item2.X-ABLabel:дача\r\nitem1.TEL;type=CELL;type=VOICE;type=pref:+7 916 123-45-67\r\n"));
        QCOMPARE(after([](Contact& c) {
                     c.phone1.clear();
                     c.phone2 = QStringLiteral("+7 495 765-43-21");
                 }),
                 replaced(card, "item1.TEL;type=CELL;type=VOICE;type=pref:+7 916 123-45-67\r\n", ""));
        QCOMPARE(
            after([](Contact& c) { c.mail.clear(); }),
            replaced(
                card,
                "item3.EMAIL;type=INTERNET;type=pref:ivan@example.ru\r\nitem3.X-ABLabel:_$!<Home>!$_\r\n",
                ""));
        QCOMPARE(after([](Contact& c) { c.mail = QStringLiteral("ivan@example.com"); }),
                 replaced(card, "item3.EMAIL;type=INTERNET;type=pref:ivan@example.ru",
                          "item3.EMAIL;type=INTERNET;type=pref:ivan@example.com"));
        QCOMPARE(after([](Contact& c) { c.icq = QStringLiteral("987654321"); }),
                 replaced(card, ":aim:123456789", ":aim:987654321"));
        QCOMPARE(after([](Contact& c) { c.icq.clear(); }),
                 replaced(card, "IMPP;X-SERVICE-TYPE=ICQ;type=HOME;type=pref:aim:123456789\r\n", ""));
        // Still no year: the phone's form with its made-up year; with a year, a plain date.
        QCOMPARE(after([](Contact& c) { c.birthday = QDate(1904, 4, 1).startOfDay(); }),
                 replaced(card, "1604-03-15", "1604-04-01"));
        QCOMPARE(after([](Contact& c) { c.birthday = QDate(1975, 3, 15).startOfDay(); }),
                 replaced(card, "BDAY;X-APPLE-OMIT-YEAR=1604:1604-03-15", "BDAY:1975-03-15"));
        QCOMPARE(after([](Contact& c) {
                     c.category = 1;
                     c.remind = true;
                 }),
                 replaced(card, "END:VCARD", "CATEGORIES:Друзья\r\nX-QUILLARBOR-REMIND:1\r\nEND:VCARD"));
        // The number the reading added to the comment stays a number of its own.
        const QByteArray noted =
            after([](Contact& c) { c.comment.replace(QStringLiteral("Старый"), QStringLiteral("Лучший")); });
        QCOMPARE(noted, replaced(card, "NOTE:Старый друг", "NOTE:Лучший друг"));
        QCOMPARE(read(noted).comment, QStringLiteral("Лучший друг; тел. +7 495 111-22-33"));
        QCOMPARE(after([](Contact& c) { c.comment = QStringLiteral("---"); }),
                 replaced(card, "NOTE:Старый друг\r\n", ""));
        QCOMPARE(after([](Contact& c) {
                     c.name = QStringLiteral("Иоанн");
                     c.patronymic = QStringLiteral("---");
                 }),
                 replaced(replaced(card, "N:Петров;Иван;Сергеевич;;", "N:Петров;Иоанн;;;"),
                          "FN:Иван Сергеевич Петров", "FN:Иоанн Петров"));
    }

    void eachVersionKeepsItsForm()
    {
        const QByteArray card = syncCard();
        const Contact olga = read(card);
        const auto after = [&](const std::function<void(Contact&)>& change) {
            Contact changed = olga;
            change(changed);
            return merged(card, changed);
        };
        QCOMPARE(after([](Contact& c) { c.phone1 = QStringLiteral("+7-903-555-00-00"); }),
                 replaced(card, "tel:+7-903-555-44-33", "tel:+7-903-555-00-00"));
        // Blanks make no tel: URI: the number becomes text.
        QCOMPARE(after([](Contact& c) { c.phone1 = QStringLiteral("+7 903 555 00 00"); }),
                 replaced(card, "TEL;VALUE=uri;TYPE=cell:tel:+7-903-555-44-33",
                          "TEL;TYPE=cell;VALUE=text:+7 903 555 00 00"));
        QCOMPARE(after([](Contact& c) { c.birthday = QDate(1904, 3, 1).startOfDay(); }),
                 replaced(card, "BDAY:--0229", "BDAY:--0301"));
        QCOMPARE(after([](Contact& c) { c.birthday = QDate(1990, 2, 28).startOfDay(); }),
                 replaced(card, "BDAY:--0229", "BDAY:19900228"));
        QCOMPARE(after([](Contact& c) { c.remind = false; }), replaced(card, "X-QUILLARBOR-REMIND:1\n", ""));
        // The editor's starting date without a reminder is no birthday.
        QCOMPARE(after([](Contact& c) {
                     c.birthday = QDate(1980, 1, 1).startOfDay();
                     c.remind = false;
                 }),
                 replaced(replaced(card, "BDAY:--0229\n", ""), "X-QUILLARBOR-REMIND:1\n", ""));
        // Only our item of the categories changes; the phone's own stays.
        QCOMPARE(after([](Contact& c) { c.category = 3; }),
                 replaced(card, "CATEGORIES:Работа,Коллеги", "CATEGORIES:Семья,Коллеги"));
        QCOMPARE(after([](Contact& c) { c.category = 0; }),
                 replaced(card, "CATEGORIES:Работа,Коллеги", "CATEGORIES:Коллеги"));
        QCOMPARE(after([](Contact& c) { c.surname = QStringLiteral("Кузнецова"); }),
                 replaced(replaced(card, "N:Смирнова;Ольга;;д-р;", "N:Кузнецова;Ольга;;д-р;"),
                          "FN:Ольга Смирнова", "FN:Ольга Кузнецова"));

        // A new comment replaces the long note, folded at 75 octets between letters, LF as the card has it.
        const QString comment = QStringLiteral("Обещала прислать статью о сети, ждём до пятницы");
        const QByteArray noted = after([&](Contact& c) { c.comment = comment; });
        QCOMPARE(noted.count("Познакомились"), 0);
        QVERIFY(!noted.contains('\r'));
        const qsizetype note = noted.indexOf("\nNOTE:") + 1;
        const qsizetype photo = noted.indexOf("\nPHOTO:") + 1;
        QVERIFY(note > 0 && photo > note);
        QVERIFY(noted.mid(note, photo - note).count('\n') >= 2);
        verifyLines(noted.mid(note, photo - note), "\n");
        QCOMPARE(read(noted).comment, comment);
        QCOMPARE(after([](Contact& c) { c.comment.clear(); }).count("NOTE"), 0);

        // 2.1: a value rewritten leaves quoted-printable and names its character set.
        const QByteArray old = "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                               "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F=D1=91=D1=82=D1=80;;;;\r\n"
                               "TEL;CELL;PREF:+79161234567\r\n"
                               "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=WINDOWS-1251:=D1=EE=F1=E5=E4\r\n"
                               "END:VCARD\r\n";
        Contact petr = read(old);
        QCOMPARE(petr.comment, QStringLiteral("Сосед"));
        QCOMPARE(merged(old, petr), old);
        petr.comment = QStringLiteral("Сосед; чинит машины");
        const QByteArray written = merged(old, petr);
        QCOMPARE(written, replaced(old, "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=WINDOWS-1251:=D1=EE=F1=E5=E4",
                                   "NOTE;CHARSET=UTF-8:Сосед\\; чинит машины"));
        QCOMPARE(read(written).comment, petr.comment);

        // Octets that are no UTF-8 in a parameter the server keeps: the line is
        // still folded, cut where no letter starts.
        const QByteArray junk = "BEGIN:VCARD\r\nVERSION:3.0\r\nN;X-JUNK=" + QByteArray(90, '\x9f') +
                                ":Petrov;Ivan;;;\r\nEND:VCARD\r\n";
        Contact ivan = read(junk);
        ivan.surname = QStringLiteral("Ivanov");
        QCOMPARE(read(merged(junk, ivan)).surname, QStringLiteral("Ivanov"));
    }

    void mergedCardsReadBackAsTheContact()
    {
        const auto edits = QList<std::function<void(Contact&)>>{
            [](Contact& c) {
                c.surname = QStringLiteral("Сидоров-Кузнецов");
                c.name = QStringLiteral("Пётр; Павел");
                c.patronymic = QStringLiteral("Ильич, мл.");
            },
            [](Contact& c) {
                c.phone1 = QStringLiteral("8 (800) 200-00-00");
                c.phone2 = QStringLiteral("---");
                c.mail = QStringLiteral("---");
                c.icq.clear();
            },
            [](Contact& c) {
                c.icq = QStringLiteral("55501");
                c.category = 7;
                c.birthday = QDateTime(QDate(1961, 4, 12), QTime(9, 7));
                c.remind = true;
            },
            [](Contact& c) {
                c.comment = QStringLiteral("Ёлка у Петровых, 31.12 — взять гитару и ноты; не забыть");
                c.birthday = QDate(1980, 1, 1).startOfDay();
                c.remind = false;
                c.category = 0;
            },
        };
        for (const QByteArray& card : {phoneCard(), syncCard(), plainCard()}) {
            for (int i = 0; i < edits.size(); ++i) {
                Contact contact = read(card);
                edits[i](contact);
                const QByteArray result = merged(card, contact);
                QVERIFY2(!result.isEmpty(), qPrintable(QString::number(i)));
                const Contact back = read(result);
                Contact expected = VCard::cardForm(contact);
                if (card == phoneCard() && i == 1) {
                    // The third number and the second address move up into the fields
                    // emptied, and out of the comment.
                    expected.phone2 = QStringLiteral("+7 495 111-22-33");
                    expected.mail = QStringLiteral("petrov@work.example");
                    expected.comment = QStringLiteral("Старый друг");
                }
                QCOMPARE(VCard::cardForm(back).comment, expected.comment);
                QCOMPARE(VCard::cardForm(back).names(), expected.names());
                QCOMPARE(VCard::fingerprint(back), VCard::fingerprint(expected));
                // What is not ours is all still there.
                for (const char* foreign : {"PHOTO", "ADR", "UID:", "REV:", "PRODID", "X-SOCIALPROFILE",
                                            "X-ANDROID-CUSTOM", "NICKNAME", "ORG:", "Коллеги"})
                    QCOMPARE(result.count(foreign), card.count(foreign));
                if (card.contains("PHOTO"))
                    QVERIFY(result.contains(card.mid(card.indexOf("PHOTO"), 160)));
                // The contact read from the merged card, as a sync stores it, changes it no more.
                QCOMPARE(merged(result, back), result);
            }
        }
    }

    void newCardsReadBackWithTheirFingerprint()
    {
        Contact full;
        full.surname = QStringLiteral("Константинопольская");
        full.name = QStringLiteral("Александра");
        full.patronymic = QStringLiteral("Вячеславовна");
        full.phone1 = QStringLiteral("+7 (495) 123-45-67");
        full.phone2 = QStringLiteral("8-916-000-11-22");
        full.mail = QStringLiteral("alexandra@example.ru");
        full.icq = QStringLiteral("123-456-789");
        full.category = 4;
        full.comment = QStringLiteral("Двоюродная сестра; звонить после 18:00, не раньше!");
        full.birthday = QDate(1979, 2, 28).startOfDay();
        full.remind = true;

        // The editor's marks and an empty first number.
        Contact marks;
        marks.surname = QStringLiteral("---");
        marks.name = QStringLiteral("Мама");
        marks.patronymic = QStringLiteral("---");
        marks.phone1 = QStringLiteral("---");
        marks.phone2 = QStringLiteral("+7 900 000-00-00");
        marks.mail = QStringLiteral("---");
        marks.birthday = QDate(1980, 1, 1).startOfDay();

        Contact yearless = marks;
        yearless.surname = QStringLiteral("???");
        yearless.birthday = QDate(1904, 2, 29).startOfDay();
        yearless.remind = true;

        for (const VCard::Version version : {VCard::Version::V3, VCard::Version::V4}) {
            for (const Contact& contact : {full, marks, yearless}) {
                const QString uid = QStringLiteral("urn:uuid:0b6b0e1c-7f0c-4d53-8a43-1b2c3d4e5f60");
                const QByteArray card = VCard::writeOne(contact, version, uid);
                verifyLines(card, "\r\n");
                QCOMPARE(VCard::uidOf(card), uid);
                QCOMPARE(VCard::fingerprint(read(card)), VCard::fingerprint(contact));
                QCOMPARE(merged(card, contact), card);
                QCOMPARE(merged(card, read(card)), card);
            }
            const QByteArray written = VCard::writeOne(marks, version, QString());
            QVERIFY(written.contains("\r\nN:;Мама;;;\r\nFN:Мама\r\n"));
            QCOMPARE(written.count("TEL"), 1);
            for (const char* absent : {"EMAIL", "BDAY", "X-QUILLARBOR-REMIND", "UID", "---"})
                QVERIFY2(!written.contains(absent), absent);
            QVERIFY(VCard::writeOne(yearless, version, QString())
                        .contains(version == VCard::Version::V4 ? "BDAY:--0229\r\n" : "BDAY:--02-29\r\n"));
            const QByteArray folded = VCard::writeOne(full, version, QString());
            QVERIFY(folded.contains("\r\n ")); // the Cyrillic comment is longer than a line
            QVERIFY(
                QByteArray(folded)
                    .replace("\r\n ", "")
                    .contains(QStringLiteral("NOTE:Двоюродная сестра\\; звонить после 18:00\\, не раньше!")
                                  .toUtf8()));
        }
    }

    void fingerprintFollowsEveryOwnedField()
    {
        Contact base;
        base.surname = QStringLiteral("Иванов");
        base.name = QStringLiteral("Пётр");
        base.patronymic = QStringLiteral("Ильич");
        base.phone1 = QStringLiteral("111");
        base.phone2 = QStringLiteral("222");
        base.mail = QStringLiteral("p@example.ru");
        base.icq = QStringLiteral("333");
        base.category = 2;
        base.comment = QStringLiteral("Сосед");
        base.birthday = QDateTime(QDate(1975, 4, 12), QTime(10, 30));
        base.remind = true;
        // The digest a sync stored yesterday must still be the digest today.
        QCOMPARE(VCard::fingerprint(base),
                 QByteArray("cf3ab359057f35f1701bb1301dea662d3ce13a7834f634696e5bd43e19dd2654"));

        const QList<std::function<void(Contact&)>> changes = {
            [](Contact& c) { c.surname += 'a'; },
            [](Contact& c) { c.name += 'a'; },
            [](Contact& c) { c.patronymic += 'a'; },
            [](Contact& c) { c.phone1 += '1'; },
            [](Contact& c) { c.phone2 += '2'; },
            [](Contact& c) { std::swap(c.phone1, c.phone2); },
            [](Contact& c) { c.mail += 'a'; },
            [](Contact& c) { c.icq += '3'; },
            [](Contact& c) { c.category = 3; },
            [](Contact& c) { c.comment += 'a'; },
            [](Contact& c) { c.birthday = c.birthday.addDays(1); },
            [](Contact& c) { c.birthday = c.birthday.addSecs(60); },
            [](Contact& c) { c.remind = false; },
            // The field ends move: "Иванов" + "Пётр" is not "Ивано" + "вПётр".
            [](Contact& c) {
                c.surname.chop(1);
                c.name.prepend(QStringLiteral("в"));
            },
        };
        QSet<QByteArray> seen = {VCard::fingerprint(base)};
        for (int i = 0; i < changes.size(); ++i) {
            Contact changed = base;
            changes[i](changed);
            QVERIFY2(!seen.contains(VCard::fingerprint(changed)), qPrintable(QString::number(i)));
            seen.insert(VCard::fingerprint(changed));
        }

        // What the card cannot tell apart does not count.
        Contact same = base;
        same.surname += QStringLiteral("  ");
        same.birthday = same.birthday.addMSecs(250);
        QCOMPARE(VCard::fingerprint(same), VCard::fingerprint(base));
        Contact none = base;
        none.remind = false;
        none.birthday = QDateTime();
        Contact starting = none;
        starting.birthday = QDate(1980, 1, 1).startOfDay();
        QCOMPARE(VCard::fingerprint(none), VCard::fingerprint(starting));
    }
};

QUILL_TEST_MAIN(TestVCardMerge)
#include "tst_vcard_merge.moc"
