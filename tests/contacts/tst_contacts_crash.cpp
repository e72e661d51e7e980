// A child process accepts a new entry into a history box with a long
// history, or imports a large vCard file into the address book, and is
// killed with SIGKILL at a random moment; the next start must read the whole
// old history or the whole new one, the old address book or the one with
// every imported card.
#include "address_book.h"
#include "contact_exchange.h"
#include "crash_child.h"
#include "history_file.h"
#include "profile_database.h"
#include "registry_store.h"
#include "smart_box.h"
#include "test_home.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

constexpr int kEntries = 15000;
constexpr int kContacts = 1500;
constexpr int kCards = 3000;
const QString kNewEntry = QStringLiteral("Новая тема письма");

QStringList oldEntries()
{
    QStringList entries;
    for (int n = 0; n < kEntries; ++n)
        entries.append(QStringLiteral("Тема %1: отчёт за квартал, счёт и акт сверки").arg(n));
    return entries;
}

QStringList itemsOf(const TSmartBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items.append(box.itemText(i));
    return items;
}

Contact person(int n, const QString& surname)
{
    Contact contact;
    contact.surname = surname;
    contact.name = QStringLiteral("Имя %1").arg(n);
    contact.patronymic = QStringLiteral("Отчество");
    contact.phone1 = QStringLiteral("+7 900 %1").arg(n, 7, 10, QLatin1Char('0'));
    contact.mail = QStringLiteral("person%1@example.org").arg(n);
    contact.comment = QStringLiteral("Коллега, отдел %1").arg(n % 40);
    return contact;
}

int runImport(const QStringList& arguments)
{
    ProfileDatabase database;
    if (!database.open(arguments.at(1), arguments.at(2)))
        return 2;
    AddressBook book(database.BookTable);
    CrashChild::sayReady();
    // As "Импорт из vCard" does.
    const ContactExchange::ImportSummary summary =
        ContactExchange::importFile(arguments.at(3), book, database.BigBd());
    return summary.error.isEmpty() && summary.added == kCards ? 0 : 3;
}

int runChild(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = CrashChild::arguments(argc, argv);
    if (!arguments.isEmpty() && arguments.at(0) == QLatin1String("import"))
        return runImport(arguments);
    const RegistryStore registry(RegistryStore::defaultPath());
    TSmartBox box(registry);
    box.setObjectName(QStringLiteral("Theme"));
    if (!box.Init())
        return 2;
    box.setEditText(kNewEntry);
    CrashChild::sayReady();
    return box.Accept() ? 0 : 3;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestContactsCrash : public QObject
{
    Q_OBJECT

private slots:
    void anAcceptedEntryIsWholeOrNotAtAll()
    {
        TestHome home;
        QVERIFY(QDir().mkpath(home.profileFolder()));
        const QString path = home.profileFolder() + QStringLiteral("/Theme.dic");
        const QStringList older = oldEntries();
        const QStringList newer = older + QStringList{kNewEntry};
        QVERIFY(HistoryFile::save(path, older));
        const QByteArray oldBytes = bytesOf(path);
        const RegistryStore registry(RegistryStore::defaultPath());
        // What the next start finds in the box.
        const auto readBack = [&](QStringList* items) {
            TSmartBox box(registry);
            box.setObjectName(QStringLiteral("Theme"));
            QString error;
            if (!box.Init(&error))
                return error.isEmpty() ? QStringLiteral("the history does not read") : error;
            *items = itemsOf(box);
            return QString();
        };

        const CrashChild::Run whole = CrashChild::runToEnd({});
        QVERIFY2(whole.ready && whole.exitCode == 0, whole.errors.constData());
        QStringList items;
        QCOMPARE(readBack(&items), QString());
        QCOMPARE(items, newer);

        const int kills = CrashChild::kills(15);
        int olds = 0, news = 0;
        for (int kill = 0; kill < kills; ++kill) {
            QFile reset(path);
            QVERIFY(reset.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(reset.write(oldBytes) == oldBytes.size());
            reset.close();
            QVERIFY(CrashChild::killAfter({}, CrashChild::randomDelay(whole.milliseconds)));
            items.clear();
            QCOMPARE(readBack(&items), QString());
            QVERIFY2(items == older || items == newer,
                     qPrintable(QStringLiteral("kill %1: %2 entries").arg(kill).arg(items.size())));
            (items == older ? olds : news) += 1;
            // Nothing half written lies beside the history.
            QCOMPARE(CrashChild::strayFiles(home.profileFolder(), {QStringLiteral("Theme.dic")}),
                     QStringList());
        }
        qInfo("accept: whole run %lld ms; after %d kills: %d old, %d new", whole.milliseconds, kills, olds,
              news);
    }

    void aVCardImportIsWholeOrNotAtAll()
    {
        TestHome home;
        {
            ProfileDatabase database;
            QVERIFY(database.open(home.documents(), TestHome::programFolder()));
            AddressBook book(database.BookTable);
            QList<QVariantMap> rows;
            for (int n = 0; n < kContacts; ++n)
                rows.append(person(n, QStringLiteral("Старожилов")).toValues());
            Transaction fill(database.BigBd());
            QVERIFY(book.addAll(rows));
            QVERIFY(fill.commit());
        }
        QList<Contact> cards;
        for (int n = 0; n < kCards; ++n)
            cards.append(person(n, QStringLiteral("Новиков")));
        const QString file = home.path() + QStringLiteral("/контакты.vcf");
        QString error;
        QVERIFY2(ContactExchange::exportFile(file, cards, VCard::Version::V3, &error), qPrintable(error));

        const auto bookOf = [](ProfileDatabase& database) {
            return CrashChild::rowsOf(database.BigBd(), QStringLiteral("Адресная книга"));
        };
        // Start-up fills the address book's list and looks for birthdays.
        const auto starts = [](ProfileDatabase& database) {
            const AddressBook book(database.BookTable);
            const int lines = int(book.contactLines().size());
            return lines == kContacts || lines == kContacts + kCards
                       ? QString()
                       : QStringLiteral("%1 contacts listed").arg(lines);
        };
        const CrashChild::ProfileKills kills = CrashChild::killProfileWrite(
            home.documents(), TestHome::programFolder(),
            {QStringLiteral("import"), home.documents(), TestHome::programFolder(), file},
            CrashChild::kills(15), bookOf, starts);
        QVERIFY2(kills.failure.isEmpty(), qPrintable(kills.failure));
        qInfo("import of %d cards: whole run %lld ms; %d old, %d new", kCards, kills.milliseconds, kills.old,
              kills.fresh);
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv);
    QApplication application(argc, argv);
    TestContactsCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_contacts_crash.moc"
