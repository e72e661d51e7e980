// A child process changes a note, or writes the day note of a date, and is
// killed with SIGKILL at a random moment; the notes table must then hold the
// whole old state or the whole new one, and the notes list and the daily
// planner must read it as start-up does.
#include "crash_child.h"
#include "notes_store.h"
#include "profile_database.h"
#include "read_failure.h"
#include "test_home.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString kBigNote = QStringLiteral("Большая заметка");
const QString kChangedNote = QStringLiteral("Большая заметка (правка)");
const QDate kDay(2026, 12, 9);
constexpr int kNotes = 1000;
// Large enough that the write of one note takes a while.
constexpr int kBigLines = 25000;

QString bigText(const QString& word)
{
    QString text;
    text.reserve(kBigLines * 48);
    for (int line = 0; line < kBigLines; ++line)
        text += QStringLiteral("%1 %2: купить хлеб, молоко и ёлку\r\n").arg(word).arg(line);
    return text;
}

int runChild(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = CrashChild::arguments(argc, argv);
    ProfileDatabase database;
    if (!database.open(arguments.at(1), arguments.at(2)))
        return 2;
    NotesStore store(database);
    const std::optional<qint64> key = store.firstNamed(kBigNote);
    const QString text = bigText(QStringLiteral("новая"));
    CrashChild::sayReady();
    if (arguments.at(0) == QLatin1String("note"))
        return key && store.replace(*key, kChangedNote, text) ? 0 : 3;
    return store.writeDayNote(kDay, text) ? 0 : 3;
}

// What start-up reads of the notes: the list and today's day note.
QString startsWith(ProfileDatabase& database)
{
    try {
        NotesStore store(database);
        store.listed();
        store.dayNote(kDay);
        store.dayNoteDates(kDay.addDays(-7), kDay.addDays(42));
    } catch (const ReadFailure&) {
        return QStringLiteral("the notes do not read");
    }
    return {};
}

QStringList notesOf(ProfileDatabase& database)
{
    return CrashChild::rowsOf(database.BigBd(), QStringLiteral("Заметки"));
}

} // namespace

class TestNotesCrash : public QObject
{
    Q_OBJECT

private slots:
    void aNoteChangeIsWholeOrNotAtAll()
    {
        TestHome home;
        fill(home);
        const CrashChild::ProfileKills kills = CrashChild::killProfileWrite(
            home.documents(), TestHome::programFolder(),
            {QStringLiteral("note"), home.documents(), TestHome::programFolder()}, CrashChild::kills(15),
            notesOf, startsWith);
        QVERIFY2(kills.failure.isEmpty(), qPrintable(kills.failure));
        qInfo("note change: whole run %lld ms; %d old, %d new", kills.milliseconds, kills.old, kills.fresh);

        // The new state is the change itself: the old row gone, the new text at the end.
        ProfileDatabase database;
        QVERIFY(database.open(home.documents(), TestHome::programFolder()));
        NotesStore store(database);
        QVERIFY(!store.firstNamed(kBigNote));
        const QList<NotesStore::Entry> listed = store.listed();
        QCOMPARE(listed.size(), kNotes + 1);
        QCOMPARE(listed.last().name, kChangedNote);
        QCOMPARE(store.textOf(listed.last().key), bigText(QStringLiteral("новая")));
    }

    void aDayNoteIsWholeOrNotAtAll()
    {
        TestHome home;
        fill(home);
        const CrashChild::ProfileKills kills =
            CrashChild::killProfileWrite(home.documents(), TestHome::programFolder(),
                                         {QStringLiteral("day"), home.documents(), TestHome::programFolder()},
                                         CrashChild::kills(15), notesOf, startsWith);
        QVERIFY2(kills.failure.isEmpty(), qPrintable(kills.failure));
        qInfo("day note: whole run %lld ms; %d old, %d new", kills.milliseconds, kills.old, kills.fresh);

        ProfileDatabase database;
        QVERIFY(database.open(home.documents(), TestHome::programFolder()));
        NotesStore store(database);
        QCOMPARE(store.dayNote(kDay), bigText(QStringLiteral("новая")));
        QSqlQuery count(database.BigBd());
        QVERIFY(count.exec(
            QStringLiteral("SELECT count(*) FROM \"Заметки\" WHERE \"Название\" = '#!09.12.2026'")));
        QVERIFY(count.next());
        QCOMPARE(count.value(0).toInt(), 1);
    }

private:
    // Many notes, a large one, and a large day note of kDay.
    static void fill(const TestHome& home)
    {
        ProfileDatabase database;
        QVERIFY(database.open(home.documents(), TestHome::programFolder()));
        NotesStore store(database);
        Transaction fill(database.BigBd());
        for (int n = 0; n < kNotes; ++n)
            QVERIFY(store.add(QStringLiteral("Заметка %1").arg(n),
                              QStringLiteral("Текст %1\r\n").repeated(n % 50)));
        QVERIFY(store.add(kBigNote, bigText(QStringLiteral("старая"))));
        QVERIFY(fill.commit());
        QVERIFY(store.writeDayNote(kDay, bigText(QStringLiteral("прежняя"))));
    }
};

int main(int argc, char** argv)
{
    if (CrashChild::isChild(argc, argv))
        return runChild(argc, argv);
    QCoreApplication application(argc, argv);
    TestNotesCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notes_crash.moc"
