// Writes the seed corpora of the fuzz targets with the program's own writers:
// write_seeds <corpus folder> <schema.sql>. Run it again when a format
// changes, and commit what it wrote.
#include "compound_document.h"
#include "device_bitmap.h"
#include "history_file.h"
#include "icalendar_file.h"
#include "idea_file.h"
#include "plugin_record.h"
#include "profile_backup.h"
#include "registry_store.h"
#include "reminder_event.h"
#include "vcard.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <zip.h>

namespace {

QString g_out;

void put(const QString& target, const QString& name, const QByteArray& bytes)
{
    const QString folder = g_out + QLatin1Char('/') + target;
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

QByteArray windows1251(const QString& text)
{
    TPluginInfo info;
    QByteArray bytes;
    for (const QString& part : text.split(QLatin1Char('\n'))) {
        PluginRecord::setText(info.Description, part);
        bytes +=
            QByteArray(reinterpret_cast<const char*>(info.Description + 1), info.Description[0]) + "\r\n";
    }
    return bytes;
}

QImage sketch(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::blue, 2));
    painter.drawLine(0, 0, width - 1, height - 1);
    painter.fillRect(width / 4, height / 4, width / 3, height / 3, Qt::red);
    return picture;
}

void registrySeeds()
{
    QTemporaryDir work;
    const QString path = work.filePath(QStringLiteral("registry.json"));
    RegistryStore store(path);
    store.writeString(QStringLiteral("Software\\Quillarbor\\Settings"), QStringLiteral("UserName"),
                      QStringLiteral("Пётр"));
    store.writeInteger(QStringLiteral("Software\\Quillarbor\\Settings"), QStringLiteral("Left"), -120);
    store.writeBool(QStringLiteral("Software\\Quillarbor\\Settings"), QStringLiteral("Autorun"), true);
    store.writeExpandString(QStringLiteral("Software\\Quillarbor\\Paths"), QStringLiteral("Documents"),
                            QStringLiteral("$HOME/Документы"));
    store.createKey(QStringLiteral("Software\\Quillarbor\\Empty"));
    put(QStringLiteral("registry_store"), QStringLiteral("settings.json"), readFile(path));
    put(QStringLiteral("registry_store"), QStringLiteral("empty.json"), "{\"keys\": []}\n");
}

void historySeeds()
{
    const QStringList entries = {QStringLiteral("Иванов Пётр"), QStringLiteral("ivan@example.org"), QString(),
                                 QStringLiteral("https://example.org/путь?q=1")};
    const QByteArray utf8 = HistoryFile::format(entries);
    for (const QString& target : {QStringLiteral("history_file"), QStringLiteral("link_categories"),
                                  QStringLiteral("text_decoding")}) {
        put(target, QStringLiteral("utf8.txt"), utf8);
        put(target, QStringLiteral("bom.txt"), "\xEF\xBB\xBF" + utf8);
        put(target, QStringLiteral("windows1251.txt"), windows1251(entries.join(QLatin1Char('\n'))));
        put(target, QStringLiteral("utf16le.txt"),
            "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(entries.join("\r\n").utf16()),
                                    entries.join("\r\n").size() * 2));
        put(target, QStringLiteral("bare-lf.txt"), "one\ntwo\rthree\r\nfour");
    }
    const QDir shipped(QStringLiteral(QUILL_SOURCE_DIR "/resources/Resources"));
    int n = 0;
    for (const QString& file : shipped.entryList(QDir::Files))
        put(QStringLiteral("link_categories"), QStringLiteral("shipped-%1.dat").arg(++n),
            readFile(shipped.filePath(file)));
}

void catalogueSeeds()
{
    put(QStringLiteral("catalogue"), QStringLiteral("list.txt"),
        "[QuillarborPluginsList]\r\n3\r\nclock.so\r\nweather.so\r\ncalc.dll\r\n");
    put(QStringLiteral("catalogue"), QStringLiteral("russian.txt"),
        "[QuillarborPluginsList]\n2\n" + windows1251(QStringLiteral("Часы.so\nПогода.so")));
    put(QStringLiteral("catalogue"), QStringLiteral("zero.txt"), "[QuillarborPluginsList]\r\n0\r\n");
}

void pluginRecordSeeds()
{
    const TPluginInfo defaults = PluginRecord::defaults(QStringLiteral("https://example.org"));
    put(QStringLiteral("plugin_record"), QStringLiteral("defaults.bin"),
        QByteArray(reinterpret_cast<const char*>(&defaults), sizeof defaults));
    TPluginInfo utf8;
    std::memset(&utf8, 0, sizeof utf8);
    QUILLARBOR_SET(utf8.Name, "Часы");
    QUILLARBOR_SET(utf8.Version, "1.2");
    QUILLARBOR_SET(utf8.HostVersion, QUILLARBOR_HOST_VERSION);
    QUILLARBOR_SET(utf8.Description, "Показывает время в заголовке окна.");
    put(QStringLiteral("plugin_record"), QStringLiteral("utf8.bin"),
        QByteArray(reinterpret_cast<const char*>(&utf8), sizeof utf8));
}

void ideaSeeds()
{
    for (const QSize size : {QSize(1, 1), QSize(17, 9), QSize(64, 48)}) {
        const QImage picture = sketch(size.width(), size.height());
        const QString name = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        const std::optional<QByteArray> idea = IdeaFile::encode(picture);
        if (!idea)
            qFatal("no idea file");
        put(QStringLiteral("idea_file"), name + QStringLiteral(".ole"), *idea);
        put(QStringLiteral("compound_document"), name + QStringLiteral(".cfb"),
            idea->mid(IdeaFile::kHeaderSize));
        const QByteArray bmp = DeviceBitmap::write24(picture);
        put(QStringLiteral("device_bitmap"), name + QStringLiteral(".bmp"), bmp);
        // Without the file header, as the clipboard's device-independent bitmaps come.
        put(QStringLiteral("device_bitmap"), name + QStringLiteral(".dib"), bmp.mid(14));
    }
    // Other kinds that Qt's reader takes: 32 bits with masks, 8 bits with a palette.
    const QImage picture = sketch(12, 7);
    for (const QImage::Format format :
         {QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_ARGB32}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.convertToFormat(format).save(&buffer, "BMP");
        put(QStringLiteral("device_bitmap"), QStringLiteral("qt-%1.bmp").arg(int(format)), bytes);
    }
}

void vcardSeeds()
{
    Contact first;
    first.name = QStringLiteral("Пётр");
    first.surname = QStringLiteral("Иванов");
    first.patronymic = QStringLiteral("Ильич");
    first.phone1 = QStringLiteral("+7 900 123-45-67");
    first.phone2 = QStringLiteral("8 (495) 000-00-00");
    first.mail = QStringLiteral("petr@example.org");
    first.icq = QStringLiteral("123456789");
    first.category = 2;
    first.comment = QStringLiteral("Сосед; звонить вечером, после 19:00");
    first.birthday = QDateTime(QDate(1980, 2, 29), QTime(0, 0));
    first.remind = true;
    Contact second;
    second.name = QStringLiteral("John");
    second.surname = QStringLiteral("Smith");
    second.mail = QStringLiteral("john.smith@example.com");
    put(QStringLiteral("vcard"), QStringLiteral("v4.vcf"), VCard::write({first, second}, VCard::Version::V4));
    put(QStringLiteral("vcard"), QStringLiteral("v3.vcf"), VCard::write({first}, VCard::Version::V3));
    // As older phones write them: version 2.1, quoted-printable, a charset.
    put(QStringLiteral("vcard"), QStringLiteral("v21.vcf"),
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=D0=B0=D0=BD=D0="
        "BE="
        "\r\n=D0=B2;=D0=9F=D1=91=D1=82=D1=80;;;\r\nFN:Ivanov\r\nTEL;CELL;PREF:+79001234567\r\n"
        "TEL;HOME:84950000000\r\nEMAIL;INTERNET:p@example.org\r\nBDAY:1980-02-29\r\nNOTE;CHARSET=WINDOWS-"
        "1251:"
        "x\r\nEND:VCARD\r\n");
    // One card as a phone leaves it on a contacts server: groups with labels, a
    // third number, a yearless birthday in a made-up year, a folded photo.
    put(QStringLiteral("vcard"), QStringLiteral("server-card.vcf"),
        QStringLiteral(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Петров;Иван;Сергеевич;;\r\nFN:Иван Сергеевич Петров\r\n"
            "item1.TEL;type=CELL;type=pref:+7 916 123-45-67\r\nitem1.X-ABLabel:_$!<Mobile>!$_\r\n"
            "item2.TEL;type=HOME:+7 495 765-43-21\r\nTEL;type=WORK:+7 495 111-22-33\r\n"
            "EMAIL;type=INTERNET:ivan@example.ru\r\nBDAY;X-APPLE-OMIT-YEAR=1604:1604-03-15\r\n"
            "IMPP;X-SERVICE-TYPE=ICQ:aim:123456789\r\nCATEGORIES:Работа,Коллеги\r\n"
            "NOTE:Старый друг\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAASABIAAD/4QBMRXhpZgAA\r\n"
            " TU0AKgAAAAgAAYdpAAQAAAABAAAAGgAAAAAAA6ABAAMAAAABAAEAAKACAAQAAAABAAAAyKAD\r\n"
            "UID:1B2C3D4E-5F60-4718-9A2B-3C4D5E6F7081\r\nEND:VCARD\r\n")
            .toUtf8());
}

void icalendarSeeds()
{
    const QTimeZone zone("Europe/Moscow");
    const QDateTime stamp(QDate(2024, 3, 1), QTime(9, 30), zone);
    QByteArray bytes;
    QString error;
    if (!ICalendarFile::write(
            {{1, QStringLiteral("Позвонить маме"), QDateTime(QDate(2024, 3, 20), QTime(18, 0)), {}},
             {2, QStringLiteral("Оплатить счёт"), QDateTime(QDate(2023, 12, 31), QTime(23, 59)), {}}},
            {{3, QStringLiteral("Резервная копия"), QStringLiteral("/usr/bin/true"),
              QDateTime(QDate(2024, 4, 1), QTime(3, 0))}},
            {{4, QStringLiteral("Иванов Пётр"), QDate(1980, 2, 29)}}, zone, stamp, &bytes, &error))
        qFatal("no calendar: %s", qPrintable(error));
    put(QStringLiteral("icalendar"), QStringLiteral("export.ics"), bytes);
    // What other calendars write: a weekly rule with an exception, a UTC time, an all-day to-do.
    put(QStringLiteral("icalendar"), QStringLiteral("other.ics"),
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Example//EN\r\nBEGIN:VEVENT\r\nUID:a@example.org\r\n"
        "DTSTAMP:20240301T000000Z\r\nDTSTART:20240304T070000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10\r\n"
        "EXDATE:20240306T070000Z\r\nSUMMARY:Планёрка\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\n"
        "DESCRIPTION:x\r\nEND:VALARM\r\nEND:VEVENT\r\nBEGIN:VTODO\r\nUID:b@example.org\r\nDTSTAMP:"
        "20240301T0000"
        "00Z\r\nDUE;VALUE=DATE:20240401\r\nSUMMARY:Налоги\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    // A server's events: one made here, and a phone's in its own zone with a
    // place, two alarms and a series with a moved occurrence.
    put(QStringLiteral("reminder_event"), QStringLiteral("ours.ics"),
        ReminderEvent::create("ours-1",
                              {QStringLiteral("Позвонить маме"), QDateTime(QDate(2024, 3, 20), QTime(18, 0))},
                              zone, stamp));
    put(QStringLiteral("reminder_event"), QStringLiteral("phone.ics"),
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//RU\r\nBEGIN:VTIMEZONE\r\nTZID:Europe/Moscow\r\n"
        "BEGIN:STANDARD\r\nDTSTART:19700101T000000\r\nTZOFFSETFROM:+0300\r\nTZOFFSETTO:+0300\r\nTZNAME:"
        "MSK\r\n"
        "END:STANDARD\r\nEND:VTIMEZONE\r\nBEGIN:VEVENT\r\nUID:p1\r\nDTSTAMP:20240301T000000Z\r\n"
        "DTSTART;TZID=Europe/Moscow:20240318T120000\r\nDTEND;TZID=Europe/Moscow:20240318T130000\r\n"
        "RRULE:FREQ=WEEKLY\r\nSUMMARY:Стоматолог\r\nLOCATION:ул. Ленина\\, 1\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER;VALUE=DATE-TIME:20240318T060000Z\r\nEND:VALARM\r\n"
        "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:p1\r\nDTSTAMP:20240301T000000Z\r\n"
        "RECURRENCE-ID;TZID=Europe/Moscow:20240325T120000\r\nDTSTART;TZID=Europe/Moscow:20240325T150000\r\n"
        "SUMMARY:Стоматолог\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:d1\r\nDTSTAMP:20240301T000000Z\r\n"
        "DTSTART;VALUE=DATE:20240330\r\nSUMMARY:Дача\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
}

void backupSeeds(const QString& schemaFile)
{
    QTemporaryDir work;
    ProfileBackup::Locations where{work.filePath(QStringLiteral("profile")),
                                   work.filePath(QStringLiteral("config/registry.json")),
                                   work.filePath(QStringLiteral("data"))};
    QDir().mkpath(where.profileFolder + QStringLiteral("/Ideas"));
    QDir().mkpath(where.userDataFolder + QStringLiteral("/Resources"));
    sqlite3* db = nullptr;
    const QByteArray schema = readFile(schemaFile);
    if (sqlite3_open(QFile::encodeName(where.profileFolder + QStringLiteral("/profile.mdb")), &db) !=
            SQLITE_OK ||
        sqlite3_exec(db, schema.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("no database: %s", sqlite3_errmsg(db));
    sqlite3_close(db);
    HistoryFile::save(where.profileFolder + QStringLiteral("/Names.dic"), {QStringLiteral("Пётр")});
    HistoryFile::save(where.userDataFolder + QStringLiteral("/Resources/Ссылки.dat"),
                      {QStringLiteral(" https://example.org")});
    IdeaFile::save(where.profileFolder + QStringLiteral("/Ideas/Идея.ole"), sketch(8, 8));
    RegistryStore(where.settingsFile)
        .writeInteger(QStringLiteral("Software\\Quillarbor"), QStringLiteral("A"), 1);

    const QString archive = work.filePath(QStringLiteral("backup.zip"));
    const ProfileBackup::Outcome written = ProfileBackup::write(where, archive, QStringLiteral("3.2"),
                                                                QDateTime(QDate(2024, 3, 1), QTime(10, 0)));
    if (!written.ok)
        qFatal("no backup: %s", qPrintable(written.error));
    put(QStringLiteral("backup_archive"), QStringLiteral("backup.zip"), readFile(archive));

    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code);
    zip_file_t* manifest = zip ? zip_fopen(zip, "manifest.json", 0) : nullptr;
    if (!manifest)
        qFatal("no manifest in the backup");
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    bytes.resize(qsizetype(zip_fread(manifest, bytes.data(), zip_uint64_t(bytes.size()))));
    zip_fclose(manifest);
    zip_discard(zip);
    put(QStringLiteral("backup_manifest"), QStringLiteral("manifest.json"), bytes);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_seeds <corpus folder> <schema.sql>\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    registrySeeds();
    historySeeds();
    catalogueSeeds();
    pluginRecordSeeds();
    ideaSeeds();
    vcardSeeds();
    icalendarSeeds();
    backupSeeds(QString::fromLocal8Bit(argv[2]));
    return 0;
}
