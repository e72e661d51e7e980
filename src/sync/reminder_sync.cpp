#include "reminder_sync.h"

#include "planner_rules.h"
#include "profile_database.h"
#include "sync_state.h"
#include "sync_steps.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QTimeZone>

namespace {

using namespace ReminderSyncPlan;

const QString kText = QStringLiteral("Текст");
const QString kDate = QStringLiteral("Дата");

// How many rounds of writes follow one another (a conflict's copy, an event that moved on).
constexpr int kWriteRounds = 4;

QVariantMap valuesOf(const Occurrence& reminder)
{
    return {{kText, PlannerRules::cutToColumn(reminder.text, PlannerRules::kTextLength)},
            {kDate, reminder.moment}};
}

Local localOf(const TableObject::Row& row)
{
    const QDateTime moment = row.value(kDate).toDateTime();
    const QTime clock = moment.time();
    return {row.key,
            {row.value(kText).toString(),
             QDateTime(moment.date(), QTime(clock.hour(), clock.minute(), clock.second()))}};
}

} // namespace

ReminderSync::ReminderSync(Dav::Collection& collection, const Dav::CollectionInfo& info,
                           ProfileDatabase& database, const QDateTime& now)
    : m_collection(collection), m_info(info), m_database(database), m_now(now),
      m_key(collection.url().toString())
{
}

Dav::Failure ReminderSync::databaseFailure(const QString& why) const
{
    Dav::Failure failure;
    failure.kind = Dav::Failure::Server;
    failure.message = QStringLiteral("Не удалось записать напоминания в профиль: %1").arg(why);
    return failure;
}

Dav::Result<ReminderSync::Report> ReminderSync::run()
{
    m_report = {};
    QString why;
    if (!SyncSteps::prepareState(m_database.BigBd(), m_key, kKind, &why))
        return databaseFailure(why);
    SyncState state(m_database.BigBd());
    Input input;
    input.now = m_now;
    input.state = state.items(m_key, &why);
    // A state that cannot be read is no empty one: everything would go up again.
    if (!why.isEmpty())
        return databaseFailure(why);
    const auto incoming =
        SyncSteps::incoming(m_collection, m_info.syncCollection, input.state, state.token(m_key));
    if (!incoming)
        return incoming.failure();
    for (const Dav::Item& item : incoming->changed)
        input.changed.append({item.href, item.etag, item.data});
    input.removed = incoming->removed;
    input.local = readLocal();
    QList<Action> upward;
    if (const auto applied = applyDownward(plan(input), input.local, incoming->token, &upward); !applied)
        return applied.failure();

    const auto written = SyncSteps::writeInRounds(
        upward, kWriteRounds, [this](const Action& action, QList<Action>* more) -> Dav::Result<bool> {
            if (action.kind == Kind::PutChanged)
                return putChanged(action, more);
            if (action.kind == Kind::PutNew)
                return putNew(action, more);
            if (action.kind == Kind::DeleteRemote)
                return deleteRemote(action, more);
            return true;
        });
    if (!written)
        return written.failure();
    return m_report;
}

QList<Local> ReminderSync::readLocal() const
{
    QList<Local> local;
    for (const TableObject::Row& row : m_database.EventsTable.select({kText, kDate}))
        local.append(localOf(row));
    return local;
}

std::optional<Local> ReminderSync::localNow(qint64 key) const
{
    const auto row = m_database.EventsTable.byKey(key);
    if (!row)
        return std::nullopt;
    return localOf(*row);
}

Dav::Result<bool> ReminderSync::applyDownward(const QList<Action>& actions, const QList<Local>& local,
                                              const QString& token, QList<Action>* upward)
{
    QHash<qint64, Occurrence> asRead;
    for (const Local& each : local)
        asRead.insert(each.key, each.reminder);
    // A reminder changed here while the sync ran (the monitor may postpone
    // it, the user edit it) is left for the next sync.
    const auto untouched = [&](qint64 key) {
        const auto now = localNow(key);
        return now && asRead.contains(key) && now->reminder == asRead.value(key);
    };

    QSet<qint64> leftAlone; // rows changed here while the sync ran
    QString why;
    SyncState state(m_database.BigBd());
    Transaction change(m_database.BigBd());
    if (!change.isActive())
        return databaseFailure(m_database.BigBd().lastError().text());
    const auto record = [&](const Action& action, qint64 key) {
        return state.put(m_key, {action.href, action.etag, key, action.fingerprint, action.data}, &why);
    };
    for (const Action& action : actions) {
        switch (action.kind) {
        case Kind::TakeRemote:
            if (!untouched(action.key)) {
                leftAlone.insert(action.key);
                continue;
            }
            if (!m_database.EventsTable.update(action.key, valuesOf(action.reminder), &why) ||
                !record(action, action.key))
                return databaseFailure(why);
            ++m_report.down;
            break;
        case Kind::InsertRemote: {
            qint64 key = 0;
            if (!m_database.EventsTable.insert(valuesOf(action.reminder), &key, &why) || !record(action, key))
                return databaseFailure(why);
            ++m_report.down;
            break;
        }
        case Kind::Note:
            if (action.key && !untouched(action.key)) {
                leftAlone.insert(action.key);
                continue;
            }
            if (!record(action, action.key))
                return databaseFailure(why);
            break;
        case Kind::DeleteLocal:
            if (!untouched(action.key)) {
                leftAlone.insert(action.key);
                continue;
            }
            if (!m_database.EventsTable.remove(action.key, &why) ||
                !(action.keepState ? record(action, 0) : state.remove(m_key, action.href, &why)))
                return databaseFailure(why);
            ++m_report.deletedHere;
            break;
        case Kind::ForgetState:
            if (!state.remove(m_key, action.href, &why))
                return databaseFailure(why);
            break;
        case Kind::InsertCopy: {
            // Its conflict is found again by the next sync, with the edit made meanwhile.
            if (leftAlone.contains(action.key))
                continue;
            qint64 key = 0;
            if (!m_database.EventsTable.insert(valuesOf(action.reminder), &key, &why))
                return databaseFailure(why);
            ++m_report.conflicts;
            upward->append({Kind::PutNew, {}, key, action.reminder, {}, {}, {}, false});
            break;
        }
        case Kind::PutChanged:
        case Kind::PutNew:
        case Kind::DeleteRemote:
            upward->append(action);
            break;
        }
    }
    // What was left for the next sync must be listed again then: the token
    // moves on only when nothing was.
    if (!token.isEmpty() && leftAlone.isEmpty() && !state.setToken(m_key, token, &why))
        return databaseFailure(why);
    if (!change.commit())
        return databaseFailure(m_database.BigBd().lastError().text());
    return true;
}

Dav::Result<bool> ReminderSync::replan(const QString& href, const std::optional<Dav::Item>& current,
                                       QList<Action>* more)
{
    SyncState state(m_database.BigBd());
    Input input;
    input.now = m_now;
    for (const SyncState::Item& item : state.items(m_key))
        if (item.href == href) {
            input.state.append(item);
            if (const auto local = localNow(item.localKey))
                input.local.append(*local);
        }
    if (current)
        input.changed.append({current->href, current->etag, current->data});
    else
        input.removed.append(href);
    return applyDownward(plan(input), input.local, {}, more);
}

Dav::Result<bool> ReminderSync::putChanged(Action action, QList<Action>* more)
{
    QString why;
    SyncState state(m_database.BigBd());
    const auto from = ReminderEvent::fromFingerprint(action.fingerprint);
    const auto merged =
        from ? ReminderEvent::changed(action.data, *from, action.reminder, QDateTime::currentDateTimeUtc())
             : std::nullopt;
    if (!merged) {
        // The server's event cannot be rewritten: it stays as it is, and
        // the reminder goes up as an event of its own.
        if (!state.put(m_key, {action.href, action.etag, 0, action.fingerprint, action.data}, &why))
            return databaseFailure(why);
        more->append({Kind::PutNew, {}, action.key, action.reminder, {}, {}, {}, false});
        return true;
    }
    auto written = m_collection.put(action.href, *merged, action.etag);
    if (!written)
        return written.failure();
    if (written->status == Dav::WriteStatus::Refused) {
        ++m_report.refused;
        return true; // left for the next sync
    }
    if (written->status == Dav::WriteStatus::Done) {
        if (!state.put(m_key,
                       {action.href, written->etag, action.key, ReminderEvent::fingerprint(action.reminder),
                        *merged},
                       &why))
            return databaseFailure(why);
        ++m_report.up;
        return true;
    }
    // Someone else changed the event meanwhile: decided again on what it is now.
    auto current = SyncSteps::fetchOne(m_collection, action.href);
    if (!current)
        return current.failure();
    return replan(action.href, current.value(), more);
}

Dav::Result<bool> ReminderSync::putNew(const Action& action, QList<Action>* more)
{
    QString why;
    const QString href = action.href.isEmpty() ? m_collection.newHref() : action.href;
    const QByteArray uid = QFileInfo(href).completeBaseName().toUtf8();
    const QByteArray event = ReminderEvent::create(uid, action.reminder, QTimeZone::systemTimeZone(),
                                                   QDateTime::currentDateTimeUtc());
    const QByteArray fingerprint = ReminderEvent::fingerprint(action.reminder);
    SyncState state(m_database.BigBd());
    // Recorded before it is sent: a kill after the write finds it again by its address.
    if (!state.put(m_key, {href, {}, action.key, fingerprint, event}, &why))
        return databaseFailure(why);
    auto written = m_collection.put(href, event, {});
    if (!written)
        return written.failure();
    if (written->status == Dav::WriteStatus::Refused) {
        // It never reached the server: the reminder goes up afresh next time.
        if (!state.remove(m_key, href, &why))
            return databaseFailure(why);
        ++m_report.refused;
        return true;
    }
    if (written->status == Dav::WriteStatus::Done) {
        if (!state.put(m_key, {href, written->etag, action.key, fingerprint, event}, &why))
            return databaseFailure(why);
        ++m_report.up;
        return true;
    }
    // The address is taken: our earlier write got there. It stands for this
    // reminder from now on, and what differs goes up into it.
    auto current = SyncSteps::fetchOne(m_collection, href);
    if (!current)
        return current.failure();
    if (!current.value()) {
        // Gone again before it could be read: the reminder goes up anew under
        // another address, as the address book's cards do, rather than be lost.
        if (!state.remove(m_key, href, &why))
            return databaseFailure(why);
        Action again = action;
        again.href.clear();
        more->append(again);
        return true;
    }
    return replan(href, current.value(), more);
}

Dav::Result<bool> ReminderSync::deleteRemote(const Action& action, QList<Action>* more)
{
    QString why;
    auto removed = m_collection.remove(action.href, action.etag);
    if (!removed)
        return removed.failure();
    if (removed.value() == Dav::WriteStatus::Refused) {
        ++m_report.refused;
        return true; // asked again at the next sync
    }
    if (removed.value() == Dav::WriteStatus::Done) {
        if (!SyncState(m_database.BigBd()).remove(m_key, action.href, &why))
            return databaseFailure(why);
        ++m_report.deletedThere;
        return true;
    }
    // Changed there since: decided again (an edit of its moment or text wins).
    auto current = SyncSteps::fetchOne(m_collection, action.href);
    if (!current)
        return current.failure();
    return replan(action.href, current.value(), more);
}
