// The contacts sync against a real Radicale on loopback with a large
// address book: the first sync of an empty profile pulling every card, a sync
// after one change on each side, and Debian's vdirsyncer pulling the same
// collection into a folder, for comparison. The first sync is also taken
// apart into its phases (listing, fetching, reading the cards, planning, the
// local transaction), done here through the same calls it makes.
// Everything happens under a temporary HOME.
//
//   bench_sync [cards] [runs]   (default: 10000 cards, 3 runs)
#include "bench_support.h"
#include "contact_sync.h"
#include "contact_sync_plan.h"
#include "profile_database.h"
#include "radicale_server.h"
#include "sync_bench_support.h"
#include "sync_state.h"
#include "vcard_merge.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace SyncBenchSupport;

const QStringList kSurnames{QStringLiteral("Иванов"),   QStringLiteral("Петров"),  QStringLiteral("Сидоров"),
                            QStringLiteral("Кузнецов"), QStringLiteral("Смирнов"), QStringLiteral("Попов"),
                            QStringLiteral("Соколов"),  QStringLiteral("Лебедев"), QStringLiteral("Козлов"),
                            QStringLiteral("Новиков")};
const QStringList kNames{QStringLiteral("Александр"), QStringLiteral("Дмитрий"), QStringLiteral("Максим"),
                         QStringLiteral("Сергей"),    QStringLiteral("Андрей"),  QStringLiteral("Алексей"),
                         QStringLiteral("Артём"),     QStringLiteral("Илья"),    QStringLiteral("Кирилл")};
const QStringList kPatronymics{QStringLiteral("Иванович"),   QStringLiteral("Петрович"),
                               QStringLiteral("Сергеевич"),  QStringLiteral("Николаевич"),
                               QStringLiteral("Михайлович"), QStringLiteral("Юрьевич"),
                               QStringLiteral("Олегович")};

// Card n: Cyrillic names (the surname numbered, so that every card is its
// own contact), two phones, an e-mail and a birthday.
Contact contactOf(int n)
{
    Contact contact;
    contact.surname = QStringLiteral("%1-%2").arg(kSurnames[n % kSurnames.size()]).arg(n);
    contact.name = kNames[n % kNames.size()];
    contact.patronymic = kPatronymics[n % kPatronymics.size()];
    contact.phone1 = QStringLiteral("+7 912 %1").arg(1000000 + n);
    contact.phone2 = QStringLiteral("+7 495 %1").arg(2000000 + n);
    contact.mail = QStringLiteral("user%1@example.org").arg(n);
    contact.birthday = QDate(1950, 1, 1).addDays(n * 7 % 20000).startOfDay();
    return contact;
}

QString uidOf(int n)
{
    return QStringLiteral("bench-%1").arg(n, 5, 10, QLatin1Char('0'));
}

// A profile of its own under the scratch home.
class Profile
{
public:
    explicit Profile(const QString& documents)
    {
        QString error;
        if (!m_database.open(documents, QStringLiteral(QUILL_PROGRAM_DIR), &error))
            fail(QStringLiteral("cannot open a scratch profile: ") + error);
    }
    ProfileDatabase& database() { return m_database; }

private:
    ProfileDatabase m_database;
};

struct Timed
{
    double ms = 0;
    ContactSync::Report report;
};

Timed timeSync(Dav::Client& client, const QUrl& url, ProfileDatabase& database,
               const Dav::CollectionInfo* known = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    // What a sync of the service does: the first one reads the collection's
    // description; later ones reuse it, as the service keeps it between syncs.
    Dav::Collection collection(client, url, Dav::CollectionKind::AddressBook);
    const Dav::CollectionInfo info = known ? *known : must(collection.describe(), "describe");
    const auto report = ContactSync(collection, info, database).run();
    const double ms = milliseconds(clock);
    return {ms, must(report, "sync")};
}

QString reportText(const ContactSync::Report& report)
{
    return QStringLiteral("down %1, up %2, conflicts %3, unreadable %4")
        .arg(report.down)
        .arg(report.up)
        .arg(report.conflicts)
        .arg(report.unreadable);
}

// The first sync's phases, each timed, through the calls it makes.
struct Phases
{
    double listing = 0, fetching = 0, reading = 0, planning = 0, writing = 0;
};

Phases timePhases(Dav::Client& client, const QUrl& url, ProfileDatabase& database)
{
    using namespace ContactSyncPlan;
    Phases phases;
    Dav::Collection collection(client, url, Dav::CollectionKind::AddressBook);
    QElapsedTimer clock;
    clock.start();
    const Dav::Changes changes = must(collection.changesSince(QString()), "sync-collection");
    phases.listing = milliseconds(clock);

    QStringList hrefs;
    for (const Dav::ItemVersion& item : changes.changed)
        hrefs.append(item.href);
    clock.restart();
    const Dav::Fetched fetched = must(collection.fetch(hrefs), "multiget");
    phases.fetching = milliseconds(clock);

    clock.restart();
    Input input;
    for (const Dav::Item& item : fetched.items) {
        Remote remote{item.href, item.etag, item.data, VCard::readOne(item.data), {}};
        if (remote.contact)
            remote.fingerprint = VCard::fingerprint(*remote.contact);
        input.changed.append(remote);
    }
    phases.reading = milliseconds(clock);

    clock.restart();
    const QList<Action> actions = plan(input);
    phases.planning = milliseconds(clock);

    clock.restart();
    QString why;
    const QString key = url.toString();
    if (!SyncState::ensureTables(database.BigBd(), &why))
        fail(why);
    SyncState state(database.BigBd());
    Transaction change(database.BigBd());
    for (const Action& action : actions) {
        qint64 row = 0;
        if (action.kind != Kind::InsertRemote ||
            !database.BookTable.insert(action.contact.toValues(), &row, &why) ||
            !state.put(key, {action.href, action.etag, row, action.fingerprint, action.data}, &why))
            fail(QStringLiteral("phase insert: ") + why);
    }
    if (!state.setToken(key, changes.newToken, &why) || !change.commit())
        fail(QStringLiteral("phase commit: ") + why);
    phases.writing = milliseconds(clock);
    return phases;
}

void printRow(const char* what, const QList<double>& values)
{
    QStringList each;
    for (double value : values)
        each.append(QString::number(value, 'f', 0));
    std::printf("  %-58s %10.1f   (%s)\n", what, BenchSupport::median(values),
                qPrintable(each.join(QStringLiteral(", "))));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_sync"));
    const int cards = argc > 1 ? qMax(10, QByteArray(argv[1]).toInt()) : 10000;
    const int runs = argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 3;

    QTemporaryDir home;
    if (!home.isValid())
        fail(QStringLiteral("no temporary folder"));
    BenchSupport::useHome(home.path());

    RadicaleServer server;
    if (!server.isRunning())
        fail(QStringLiteral("Radicale: ") + server.error());
    Dav::Client client({server.root(), kLogin, kPassword, {}});
    const QUrl url = server.principal(kLogin).resolved(QUrl(QStringLiteral("book/")));
    must(Dav::createCollection(client, url, Dav::CollectionKind::AddressBook,
                               QStringLiteral("Адресная книга")),
         "create the address book");

    std::printf("bench_sync: %d cards on Radicale at %s, %d runs of the first sync\n", cards,
                qPrintable(server.root().toString()), runs);

    // The cards go up in one PUT of the whole address book (Radicale takes a
    // collection written whole, each card under its UID); a PUT a card costs
    // Radicale more than ten milliseconds each.
    QElapsedTimer clock;
    clock.start();
    Dav::Collection book(client, url, Dav::CollectionKind::AddressBook);
    QByteArray all;
    for (int n = 0; n < cards; ++n)
        all += VCard::writeOne(contactOf(n), VCard::Version::V3, uidOf(n));
    const Dav::Response uploaded =
        must(client.request("PUT", url, all, {{"Content-Type", "text/vcard; charset=utf-8"}}), "upload");
    if (uploaded.status / 100 != 2)
        fail(QStringLiteral("the upload was refused: HTTP %1").arg(uploaded.status));
    if (const int there = int(must(book.listAll(), "list").size()); there != cards)
        fail(QStringLiteral("%1 cards of %2 on the server after the upload").arg(there).arg(cards));
    const double upload = milliseconds(clock);
    std::printf("uploaded %d cards in %.1f s (%.2f ms a card)\n\n", cards, upload / 1000, upload / cards);

    // (a) The first sync of an empty profile, each time in a fresh one.
    QList<double> first;
    ContactSync::Report firstReport;
    for (int run = 0; run < runs; ++run) {
        Profile profile(home.path() + QStringLiteral("/first%1").arg(run));
        const Timed timed = timeSync(client, url, profile.database());
        first.append(timed.ms);
        firstReport = timed.report;
        if (timed.report.down != cards)
            fail(QStringLiteral("the first sync brought %1 of %2").arg(timed.report.down).arg(cards));
    }

    // The first sync's phases, in fresh profiles too.
    QList<double> listing, fetching, reading, planning, writing;
    for (int run = 0; run < runs; ++run) {
        Profile profile(home.path() + QStringLiteral("/phases%1").arg(run));
        const Phases phases = timePhases(client, url, profile.database());
        listing.append(phases.listing);
        fetching.append(phases.fetching);
        reading.append(phases.reading);
        planning.append(phases.planning);
        writing.append(phases.writing);
    }

    // (b) One change on each side, then a sync, in the profile of the first run.
    QList<double> small;
    QList<double> unchanged;
    QList<double> idleDescribe, idleChanges, idleState, idleLocal;
    ContactSync::Report smallReport;
    {
        Profile profile(home.path() + QStringLiteral("/first0"));
        ProfileDatabase& database = profile.database();
        const QList<TableObject::Row> rows = database.BookTable.rows({}, runs + 8);
        const Dav::CollectionInfo known =
            must(Dav::Collection(client, url, Dav::CollectionKind::AddressBook).describe(), "describe");
        for (int round = 0; round < qMin(5, int(rows.size())); ++round) {
            // Here: a phone of one contact.
            Contact local = Contact::fromRow(rows[round]);
            local.phone2 = QStringLiteral("+7 800 555-%1").arg(round);
            QString why;
            if (!database.BookTable.update(rows[round].key, local.toValues(), &why))
                fail(QStringLiteral("local edit: ") + why);
            // There: another card's e-mail, written over its current version.
            const QString href = url.path() + uidOf(cards - 1 - round) + QStringLiteral(".vcf");
            const Dav::Fetched current = must(book.fetch({href}), "fetch one");
            if (current.items.isEmpty())
                fail(QStringLiteral("no card at ") + href);
            Contact remote = *VCard::readOne(current.items.first().data);
            remote.mail = QStringLiteral("changed%1@example.org").arg(round);
            const auto merged = VCard::mergeInto(current.items.first().data, remote, &why);
            if (!merged)
                fail(QStringLiteral("merge: ") + why);
            must(book.put(href, *merged, current.items.first().etag), "remote edit");

            const Timed timed = timeSync(client, url, database, &known);
            small.append(timed.ms);
            smallReport = timed.report;
            if (timed.report.down != 1 || timed.report.up != 1)
                fail(QStringLiteral("one change on each side: ") + reportText(timed.report));
            unchanged.append(timeSync(client, url, database, &known).ms);
        }
        // What a sync with nothing to do spends, part by part, through the same calls.
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer part;
            part.start();
            Dav::Collection collection(client, url, Dav::CollectionKind::AddressBook);
            must(collection.describe(), "describe");
            idleDescribe.append(milliseconds(part));
            const SyncState state(database.BigBd());
            const QString token = state.token(url.toString());
            part.restart();
            must(collection.changesSince(token), "sync-collection");
            idleChanges.append(milliseconds(part));
            part.restart();
            state.items(url.toString());
            idleState.append(milliseconds(part));
            part.restart();
            for (const TableObject::Row& row : database.BookTable.rows())
                VCard::fingerprint(Contact::fromRow(row));
            idleLocal.append(milliseconds(part));
        }
    }

    // (c) vdirsyncer on the same collection.
    int files = 0;
    const double vdirsyncer = timeVdirsyncer(home.path() + QStringLiteral("/vdirsyncer"),
                                             QStringLiteral("carddav"), url, QStringLiteral(".vcf"), &files);
    if (files != cards)
        fail(QStringLiteral("vdirsyncer wrote %1 cards of %2").arg(files).arg(cards));

    std::printf("%-60s %10s   %s\n", "", "median ms", "(each run)");
    std::printf("(a) first sync of an empty profile, %d cards (%s)\n", cards,
                qPrintable(reportText(firstReport)));
    printRow("ContactSync::run, describe included", first);
    std::printf("    its phases, through the same calls:\n");
    printRow("  listing (sync-collection from no token)", listing);
    printRow(
        qPrintable(QStringLiteral("  fetching (multiget, %1 a request)").arg(Dav::Collection::kFetchBatch)),
        fetching);
    printRow("  reading the cards (VCard::readOne + fingerprint)", reading);
    printRow("  planning (ContactSyncPlan::plan)", planning);
    printRow("  local transaction (insert rows + sync state)", writing);
    std::printf("(b) one contact edited here, one card there (%s)\n", qPrintable(reportText(smallReport)));
    printRow("ContactSync::run after the two edits (description kept)", small);
    printRow("ContactSync::run with nothing changed (description kept)", unchanged);
    std::printf("    with nothing changed, its parts, through the same calls:\n");
    printRow("  describe (PROPFIND of the collection, depth 0)", idleDescribe);
    printRow("  sync-collection from the last token", idleChanges);
    printRow("  reading the sync state (SyncState::items)", idleState);
    printRow("  reading every contact and its digest", idleLocal);
    std::printf("    target: under 1000 ms -> %s\n", BenchSupport::median(small) < 1000 ? "met" : "MISSED");
    std::printf("(c) vdirsyncer 0.19 sync into a folder, %d cards\n", files);
    printRow("vdirsyncer -c config sync (after discover)", {vdirsyncer});
    std::printf("\nratio first sync / vdirsyncer: %.2f\n", BenchSupport::median(first) / vdirsyncer);
    return 0;
}
