#include "reminder_sync_plan.h"

#include "planner_rules.h"

#include <QHash>
#include <QMultiHash>
#include <QSet>

namespace ReminderSyncPlan {

Occurrence conflictCopy(const Occurrence& local)
{
    // Marked only where the whole text still fits after the mark: the copy
    // is there so that nothing of the user's is lost.
    const QString marked = kConflictPrefix + local.text;
    return {marked.size() <= PlannerRules::kTextLength ? marked : local.text, local.moment};
}

bool mayRecur(const QByteArray& data)
{
    return data.contains("RRULE") || data.contains("rrule");
}

namespace {

class Planner
{
public:
    explicit Planner(const Input& input) : m_input(input)
    {
        for (const SyncState::Item& item : input.state)
            m_stateByHref.insert(item.href, item);
        for (const Local& local : input.local)
            m_localByKey.insert(local.key, local);
        for (const SyncState::Item& item : input.state)
            if (item.localKey && m_localByKey.contains(item.localKey))
                m_linked.insert(item.localKey);
        for (const Local& local : input.local)
            if (!m_linked.contains(local.key))
                m_unsynced.insert(ReminderEvent::fingerprint(local.reminder), local.key);
    }

    QList<Action> run()
    {
        for (const Remote& remote : m_input.changed)
            changedThere(remote);
        for (const QString& href : m_input.removed)
            removedThere(href);
        for (const SyncState::Item& item : m_input.state)
            if (!m_handled.contains(item.href))
                unchangedThere(item);
        for (const Local& local : m_input.local)
            if (!m_linked.contains(local.key) && !m_paired.contains(local.key))
                m_actions.append({Kind::PutNew, {}, local.key, local.reminder, {}, {}, {}, false});
        return m_actions;
    }

private:
    bool isLinked(const SyncState::Item& item) const
    {
        return item.localKey && m_localByKey.contains(item.localKey);
    }
    const Local& localOf(const SyncState::Item& item) const { return *m_localByKey.constFind(item.localKey); }
    bool changedHere(const SyncState::Item& item) const
    {
        return ReminderEvent::fingerprint(localOf(item).reminder) != item.fingerprint;
    }
    // Not before the occurrence last in step when it is gone here: the one
    // after it is wanted (now, if that is later).
    QDateTime after(const std::optional<Occurrence>& last) const
    {
        return last ? qMax(m_input.now, last->moment.addSecs(1)) : m_input.now;
    }

    void note(const QString& href, qint64 key, const QByteArray& data, const QString& etag,
              const QByteArray& fingerprint)
    {
        m_actions.append({Kind::Note, href, key, {}, data, etag, fingerprint, false});
    }
    // The event's occurrence taken here, when it is to come; else only noted.
    void take(const QString& href, const QByteArray& data, const QString& etag,
              const ReminderEvent::Reading& reading, const QByteArray& lastInStep)
    {
        if (!reading.toCome) {
            note(href, 0, data, etag,
                 reading.occurrence ? ReminderEvent::fingerprint(*reading.occurrence) : lastInStep);
            return;
        }
        const QByteArray fingerprint = ReminderEvent::fingerprint(*reading.occurrence);
        // The first sync: a reminder here that is this very occurrence is paired with it.
        for (auto candidate = m_unsynced.find(fingerprint); candidate != m_unsynced.end(); ++candidate) {
            m_paired.insert(candidate.value());
            note(href, candidate.value(), data, etag, fingerprint);
            m_unsynced.erase(candidate);
            return;
        }
        m_actions.append({Kind::InsertRemote, href, 0, *reading.occurrence, data, etag, fingerprint, false});
    }

    void changedThere(const Remote& remote);
    void removedThere(const QString& href);
    void unchangedThere(const SyncState::Item& item);

    const Input& m_input;
    QHash<QString, SyncState::Item> m_stateByHref;
    QHash<qint64, Local> m_localByKey;
    QSet<qint64> m_linked;                     // reminders an event stands for
    QMultiHash<QByteArray, qint64> m_unsynced; // the others, by what they hold
    QSet<qint64> m_paired;
    QSet<QString> m_handled;
    QList<Action> m_actions;
};

void Planner::changedThere(const Remote& remote)
{
    m_handled.insert(remote.href);
    const auto known = m_stateByHref.constFind(remote.href);
    const bool isKnown = known != m_stateByHref.cend();
    // Our own write coming back: nothing new.
    if (isKnown && !known->etag.isEmpty() && known->etag == remote.etag)
        return;
    const std::optional<Occurrence> last =
        isKnown ? ReminderEvent::fromFingerprint(known->fingerprint) : std::nullopt;

    if (isKnown && isLinked(*known)) {
        const Local& local = localOf(*known);
        // The occurrence in step is looked for again, also when it has just passed.
        const QDateTime from = last ? qMin(m_input.now, last->moment) : m_input.now;
        const ReminderEvent::Reading reading = m_input.read(remote.data, from);
        if (!reading.readable)
            return; // left to the server; the reminder stays as it was
        const QByteArray there =
            reading.occurrence ? ReminderEvent::fingerprint(*reading.occurrence) : QByteArray();
        const QByteArray here = ReminderEvent::fingerprint(local.reminder);
        if (there == known->fingerprint) {
            // The server changed only what we do not keep.
            if (!changedHere(*known))
                note(remote.href, local.key, remote.data, remote.etag, known->fingerprint);
            else if (reading.recurring)
                note(remote.href, local.key, remote.data, remote.etag, here);
            else
                m_actions.append({Kind::PutChanged, remote.href, local.key, local.reminder, remote.data,
                                  remote.etag, known->fingerprint, false});
            return;
        }
        if (there == here) {
            note(remote.href, local.key, remote.data, remote.etag, there);
            return;
        }
        if (reading.toCome) {
            m_actions.append({Kind::TakeRemote, remote.href, local.key, *reading.occurrence, remote.data,
                              remote.etag, there, false});
            if (changedHere(*known))
                m_actions.append(
                    {Kind::InsertCopy, {}, local.key, conflictCopy(local.reminder), {}, {}, {}, false});
        } else if (!changedHere(*known)) {
            // The event no longer rings: the reminder goes, the event stays.
            m_actions.append(
                {Kind::DeleteLocal, remote.href, local.key, {}, remote.data, remote.etag, there, true});
        } else {
            // Moved away there and changed here: ours goes up as an event of its own.
            note(remote.href, 0, remote.data, remote.etag, there);
            m_actions.append({Kind::PutNew, {}, local.key, local.reminder, {}, {}, {}, false});
        }
        return;
    }

    ReminderEvent::Reading reading = m_input.read(remote.data, m_input.now);
    if (!reading.readable) {
        // Kept in the state all the same, so that it is not read again until it changes.
        note(remote.href, 0, remote.data, remote.etag, isKnown ? known->fingerprint : QByteArray());
        return;
    }
    const bool goneHere = isKnown && known->localKey != 0;
    if (goneHere && last && last->moment > m_input.now && !reading.recurring) {
        // Deleted here before it rang. Unless our fields changed there too,
        // the deletion stands; else the edit wins and it comes back.
        const QByteArray there =
            reading.occurrence ? ReminderEvent::fingerprint(*reading.occurrence) : QByteArray();
        if (there == known->fingerprint) {
            m_actions.append({Kind::DeleteRemote, remote.href, 0, {}, remote.data, remote.etag, {}, false});
            return;
        }
    }
    if (reading.recurring && last && (goneHere || known->localKey == 0))
        reading = m_input.read(remote.data, after(last));
    take(remote.href, remote.data, remote.etag, reading, isKnown ? known->fingerprint : QByteArray());
}

void Planner::removedThere(const QString& href)
{
    m_handled.insert(href);
    const auto known = m_stateByHref.constFind(href);
    if (known == m_stateByHref.cend())
        return;
    if (isLinked(*known) && changedHere(*known)) {
        // Changed here: it stays, and goes up again as a new event.
        m_actions.append({Kind::ForgetState, href, 0, {}, {}, {}, {}, false});
        m_actions.append({Kind::PutNew, {}, known->localKey, localOf(*known).reminder, {}, {}, {}, false});
    } else if (isLinked(*known)) {
        m_actions.append({Kind::DeleteLocal, href, known->localKey, {}, {}, {}, known->fingerprint, false});
    } else {
        m_actions.append({Kind::ForgetState, href, 0, {}, {}, {}, {}, false});
    }
}

void Planner::unchangedThere(const SyncState::Item& item)
{
    const std::optional<Occurrence> last = ReminderEvent::fromFingerprint(item.fingerprint);
    if (isLinked(item)) {
        const Local& local = localOf(item);
        if (item.etag.isEmpty()) {
            // Written by us under this address; the server has not confirmed it yet.
            m_actions.append({Kind::PutNew, item.href, local.key, local.reminder, {}, {}, {}, false});
        } else if (changedHere(item)) {
            if (mayRecur(item.data) && m_input.read(item.data, m_input.now).recurring)
                note(item.href, local.key, item.data, item.etag, ReminderEvent::fingerprint(local.reminder));
            else
                m_actions.append({Kind::PutChanged, item.href, local.key, local.reminder, item.data,
                                  item.etag, item.fingerprint, false});
        }
        return;
    }
    if (item.localKey != 0 && item.etag.isEmpty()) {
        // Deleted here before the server confirmed our write: whatever of
        // ours reached that address goes too, or it would come back.
        m_actions.append({Kind::DeleteRemote, item.href, 0, {}, item.data, {}, {}, false});
        return;
    }
    const bool recurring = mayRecur(item.data) && m_input.read(item.data, m_input.now).recurring;
    if (item.localKey != 0 && !recurring && last && last->moment > m_input.now) {
        // Deleted here before it rang.
        m_actions.append({Kind::DeleteRemote, item.href, 0, {}, item.data, item.etag, {}, false});
        return;
    }
    if (recurring) {
        // Its occurrence here is gone (rang, or deleted): the next one is taken once there is one.
        const ReminderEvent::Reading next = m_input.read(item.data, after(last));
        if (next.toCome)
            take(item.href, item.data, item.etag, next, item.fingerprint);
        else if (item.localKey != 0)
            note(item.href, 0, item.data, item.etag, item.fingerprint);
        return;
    }
    if (item.localKey != 0) // dismissed after it rang: the event stays as the calendar's history
        note(item.href, 0, item.data, item.etag, item.fingerprint);
}

} // namespace

QList<Action> plan(const Input& input)
{
    return Planner(input).run();
}

} // namespace ReminderSyncPlan
