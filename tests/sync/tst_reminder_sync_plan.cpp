// The reminders' sync decisions in the cases a server run hardly reaches:
// an event moved into the past there, a deletion here meeting an edit there,
// an event gone there that was changed here, an event that cannot be read,
// and the first sync's pairing.
#include "reminder_sync_plan.h"

#include <QTest>
#include <QTimeZone>

using namespace ReminderSyncPlan;

namespace {

const QDateTime kNow(QDate(2030, 1, 10), QTime(9, 0));

QByteArray eventAt(const QString& text, const QDateTime& moment)
{
    return ReminderEvent::create("u", {text, moment}, QTimeZone::systemTimeZone(), kNow);
}

SyncState::Item stateOf(const QString& href, qint64 key, const Occurrence& occurrence)
{
    return {href, QStringLiteral("\"1\""), key, ReminderEvent::fingerprint(occurrence),
            eventAt(occurrence.text, occurrence.moment)};
}

QList<Kind> kindsOf(const QList<Action>& actions)
{
    QList<Kind> kinds;
    for (const Action& action : actions)
        kinds.append(action.kind);
    return kinds;
}

} // namespace

class TestReminderSyncPlan : public QObject
{
    Q_OBJECT

private slots:
    void changesThereMeetWhatHappenedHere()
    {
        const Occurrence dentist{QStringLiteral("Стоматолог"), kNow.addDays(2)};
        Input input;
        input.now = kNow;

        // Moved into the past there, untouched here: the reminder goes, the event stays known.
        input.state = {stateOf(QStringLiteral("/a.ics"), 7, dentist)};
        input.local = {{7, dentist}};
        input.changed = {
            {QStringLiteral("/a.ics"), QStringLiteral("\"2\""), eventAt(dentist.text, kNow.addDays(-1))}};
        QList<Action> actions = plan(input);
        QCOMPARE(kindsOf(actions), QList<Kind>{Kind::DeleteLocal});
        QVERIFY(actions.first().keepState);

        // Deleted here before it rang while there its moment changed: the edit wins.
        input.local.clear();
        input.changed = {
            {QStringLiteral("/a.ics"), QStringLiteral("\"2\""), eventAt(dentist.text, kNow.addDays(3))}};
        actions = plan(input);
        QCOMPARE(kindsOf(actions), QList<Kind>{Kind::InsertRemote});
        QCOMPARE(actions.first().reminder.moment, kNow.addDays(3));

        // ...while there only what we do not keep changed: the deletion stands, on the new version.
        QByteArray located = eventAt(dentist.text, dentist.moment);
        located.replace("END:VEVENT", "LOCATION:Поликлиника\r\nEND:VEVENT");
        input.changed = {{QStringLiteral("/a.ics"), QStringLiteral("\"3\""), located}};
        actions = plan(input);
        QCOMPARE(kindsOf(actions), QList<Kind>{Kind::DeleteRemote});
        QCOMPARE(actions.first().etag, QStringLiteral("\"3\""));

        // Gone there, changed here: it stays and goes up anew.
        const Occurrence changed{dentist.text, dentist.moment.addSecs(3600)};
        input.changed.clear();
        input.removed = {QStringLiteral("/a.ics")};
        input.local = {{7, changed}};
        actions = plan(input);
        QCOMPARE(kindsOf(actions), (QList<Kind>{Kind::ForgetState, Kind::PutNew}));
        QCOMPARE(actions.last().reminder, changed);

        // An event that cannot be read leaves the reminder as it was.
        input.removed.clear();
        input.local = {{7, dentist}};
        input.changed = {
            {QStringLiteral("/a.ics"), QStringLiteral("\"4\""), QByteArray("BEGIN:VCALENDAR\r\nмусор")}};
        QCOMPARE(kindsOf(plan(input)), QList<Kind>{});

        // Our write not yet confirmed, and the reminder deleted since: what reached the server goes too.
        SyncState::Item unconfirmed = stateOf(QStringLiteral("/b.ics"), 9, dentist);
        unconfirmed.etag.clear();
        input = {};
        input.now = kNow;
        input.state = {unconfirmed};
        actions = plan(input);
        QCOMPARE(kindsOf(actions), QList<Kind>{Kind::DeleteRemote});
        QVERIFY(actions.first().etag.isEmpty());
    }

    void theFirstSyncPairsWhatIsAlreadyHere()
    {
        const Occurrence meeting{QStringLiteral("Планёрка"), kNow.addDays(1)};
        const Occurrence ownOnly{QStringLiteral("Только здесь"), kNow.addDays(1)};
        Input input;
        input.now = kNow;
        input.local = {{1, meeting}, {2, ownOnly}};
        input.changed = {
            {QStringLiteral("/m.ics"), QStringLiteral("\"1\""), eventAt(meeting.text, meeting.moment)},
            {QStringLiteral("/old.ics"), QStringLiteral("\"1\""),
             eventAt(QStringLiteral("Было"), kNow.addDays(-3))}};
        const QList<Action> actions = plan(input);
        // The same reminder is paired, a past event only noted, the other reminder goes up.
        QCOMPARE(kindsOf(actions), (QList<Kind>{Kind::Note, Kind::Note, Kind::PutNew}));
        QCOMPARE(actions[0].key, 1);
        QCOMPARE(actions[1].key, 0);
        QCOMPARE(actions[2].key, 2);
        // The copy is marked where the mark fits before the whole text, else left whole.
        QCOMPARE(conflictCopy({QString(26, QLatin1Char('x')), kNow}).text,
                 kConflictPrefix + QString(26, QLatin1Char('x')));
        QCOMPARE(conflictCopy({QString(40, QLatin1Char('x')), kNow}).text, QString(40, QLatin1Char('x')));
    }
};

QTEST_GUILESS_MAIN(TestReminderSyncPlan)
#include "tst_reminder_sync_plan.moc"
