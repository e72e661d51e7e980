#include "contact_sync.h"

#include "profile_database.h"
#include "sync_state.h"
#include "sync_steps.h"
#include "vcard_merge.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>

namespace {

using namespace ContactSyncPlan;

// A card as the plan sees it: read, with the digest of what we keep of it.
Remote readRemote(const Dav::Item& item)
{
    Remote remote{item.href, item.etag, item.data, VCard::readOne(item.data), {}};
    if (remote.contact)
        remote.fingerprint = VCard::fingerprint(*remote.contact);
    return remote;
}

// How many times a write is tried again after the server's copy moved on.
constexpr int kWriteAttempts = 3;

} // namespace

ContactSync::ContactSync(Dav::Collection& collection, const Dav::CollectionInfo& info,
                         ProfileDatabase& database)
    : m_collection(collection), m_info(info), m_database(database), m_key(collection.url().toString())
{
}

Dav::Failure ContactSync::databaseFailure(const QString& why) const
{
    Dav::Failure failure;
    failure.kind = Dav::Failure::Server;
    failure.message = QStringLiteral("Не удалось записать контакты в профиль: %1").arg(why);
    return failure;
}

Dav::Result<ContactSync::Report> ContactSync::run()
{
    m_report = {};
    QString why;
    if (!SyncSteps::prepareState(m_database.BigBd(), m_key, kKind, &why))
        return databaseFailure(why);
    SyncState state(m_database.BigBd());
    Input input;
    input.state = state.items(m_key, &why);
    // A state that cannot be read is no empty one: everything would go up again.
    if (!why.isEmpty())
        return databaseFailure(why);
    const auto incoming =
        SyncSteps::incoming(m_collection, m_info.syncCollection, input.state, state.token(m_key));
    if (!incoming)
        return incoming.failure();
    for (const Dav::Item& item : incoming->changed) {
        input.changed.append(readRemote(item));
        if (!input.changed.last().contact)
            ++m_report.unreadable;
    }
    input.removed = incoming->removed;
    input.local = readLocal();
    QList<Action> upward;
    if (const auto applied = applyDownward(plan(input), input.local, incoming->token, &upward); !applied)
        return applied.failure();

    const auto written = SyncSteps::writeInRounds(
        upward, kWriteAttempts + 1, [this](const Action& action, QList<Action>* more) -> Dav::Result<bool> {
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

QList<Local> ContactSync::readLocal() const
{
    QList<Local> local;
    for (const TableObject::Row& row : m_database.BookTable.rows()) {
        const Contact contact = Contact::fromRow(row);
        local.append({row.key, contact, VCard::fingerprint(contact)});
    }
    return local;
}

std::optional<Local> ContactSync::localNow(qint64 key) const
{
    const auto row = m_database.BookTable.byKey(key);
    if (!row)
        return std::nullopt;
    const Contact contact = Contact::fromRow(*row);
    return Local{key, contact, VCard::fingerprint(contact)};
}

Dav::Result<bool> ContactSync::applyDownward(const QList<Action>& actions, const QList<Local>& local,
                                             const QString& token, QList<Action>* upward)
{
    QHash<qint64, QByteArray> digestRead;
    for (const Local& each : local)
        digestRead.insert(each.key, each.fingerprint);
    // A contact edited here while the sync ran is left for the next sync.
    const auto untouched = [&](qint64 key) {
        const auto now = localNow(key);
        return now && now->fingerprint == digestRead.value(key);
    };

    QSet<qint64> leftAlone; // rows changed here while the sync ran
    QString why;
    SyncState state(m_database.BigBd());
    Transaction change(m_database.BigBd());
    if (!change.isActive())
        return databaseFailure(m_database.BigBd().lastError().text());
    const auto record = [&](const Action& action, qint64 key, const QByteArray& digest) {
        return state.put(m_key, {action.href, action.etag, key, digest, action.data}, &why);
    };
    for (const Action& action : actions) {
        switch (action.kind) {
        case Kind::TakeRemote:
            if (!untouched(action.key)) {
                leftAlone.insert(action.key);
                continue;
            }
            if (!m_database.BookTable.update(action.key, action.contact.toValues(), &why) ||
                !record(action, action.key, action.fingerprint))
                return databaseFailure(why);
            ++m_report.down;
            break;
        case Kind::InsertRemote: {
            qint64 key = 0;
            if (!m_database.BookTable.insert(action.contact.toValues(), &key, &why) ||
                !record(action, key, action.fingerprint))
                return databaseFailure(why);
            ++m_report.down;
            break;
        }
        case Kind::Pair:
            if (!untouched(action.key)) {
                leftAlone.insert(action.key);
                continue;
            }
            if (!m_database.BookTable.update(action.key, action.contact.toValues(), &why) ||
                !record(action, action.key, action.fingerprint))
                return databaseFailure(why);
            // What only we had goes up into the server's card.
            if (VCard::fingerprint(action.contact) != action.fingerprint)
                upward->append({Kind::PutChanged, action.href, action.key, action.contact, action.data,
                                action.etag, action.fingerprint, VCard::fingerprint(action.contact)});
            break;
        case Kind::DeleteLocal:
            if (!untouched(action.key)) {
                leftAlone.insert(action.key);
                continue;
            }
            if (!m_database.BookTable.remove(action.key, &why) || !state.remove(m_key, action.href, &why))
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
            if (!m_database.BookTable.insert(action.contact.toValues(), &key, &why))
                return databaseFailure(why);
            ++m_report.conflicts;
            upward->append(
                {Kind::PutNew, {}, key, action.contact, {}, {}, {}, VCard::fingerprint(action.contact)});
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

Dav::Result<std::optional<Remote>> ContactSync::fetchOne(const QString& href)
{
    const auto fetched = SyncSteps::fetchOne(m_collection, href);
    if (!fetched)
        return fetched.failure();
    return fetched.value() ? std::optional<Remote>(readRemote(*fetched.value())) : std::nullopt;
}

Dav::Result<bool> ContactSync::putChanged(Action action, QList<Action>* more)
{
    QString why;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        const auto merged = VCard::mergeInto(action.data, action.contact, &why);
        if (!merged) {
            // The server's card cannot be rewritten: ours goes up as a new one,
            // and this address no longer stands for the contact.
            if (!SyncState(m_database.BigBd()).remove(m_key, action.href, &why))
                return databaseFailure(why);
            more->append({Kind::PutNew, {}, action.key, action.contact, {}, {}, {}, action.localFingerprint});
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
            // What the card now says of our fields is what is in step (a
            // third number may have moved up into an emptied one).
            const Contact readBack = VCard::readOne(*merged).value_or(action.contact);
            const QByteArray digest = VCard::fingerprint(readBack);
            Transaction change(m_database.BigBd());
            const auto now = localNow(action.key);
            if (now && now->fingerprint == action.localFingerprint && digest != action.localFingerprint &&
                !m_database.BookTable.update(action.key, readBack.toValues(), &why))
                return databaseFailure(why);
            if (!SyncState(m_database.BigBd())
                     .put(m_key, {action.href, written->etag, action.key, digest, *merged}, &why) ||
                !change.commit())
                return databaseFailure(why);
            ++m_report.up;
            return true;
        }
        // Someone else changed the card meanwhile: read it again.
        auto current = fetchOne(action.href);
        if (!current)
            return current.failure();
        if (!current.value() || !current.value()->contact) {
            // Gone or unreadable there: the contact goes up anew, and the old
            // address is forgotten, or every sync would send it up again.
            if (!SyncState(m_database.BigBd()).remove(m_key, action.href, &why))
                return databaseFailure(why);
            more->append({Kind::PutNew, {}, action.key, action.contact, {}, {}, {}, action.localFingerprint});
            return true;
        }
        const Remote& remote = *current.value();
        if (remote.fingerprint != action.fingerprint) {
            // Our fields changed there too: a conflict, settled as in a sync.
            Action take{Kind::TakeRemote, remote.href, action.key,         *remote.contact,
                        remote.data,      remote.etag, remote.fingerprint, {}};
            QList<Action> downward{take};
            if (remote.fingerprint != action.localFingerprint)
                downward.append(
                    {Kind::InsertCopy, {}, action.key, conflictCopy(action.contact), {}, {}, {}, {}});
            // Settled against the contact as this write had it: an edit made
            // since is not overwritten here, and the next sync finds it.
            const QList<Local> local{{action.key, action.contact, action.localFingerprint}};
            return applyDownward(downward, local, {}, more);
        }
        // Only what we do not keep changed there: try again on the new card.
        action.data = remote.data;
        action.etag = remote.etag;
    }
    return true; // left for the next sync
}

Dav::Result<bool> ContactSync::putNew(const Action& action, QList<Action>* more)
{
    QString why;
    const QString href = action.href.isEmpty() ? m_collection.newHref() : action.href;
    const QString uid = QFileInfo(href).completeBaseName();
    const QByteArray card =
        VCard::writeOne(action.contact, m_info.vcard4 ? VCard::Version::V4 : VCard::Version::V3, uid);
    SyncState state(m_database.BigBd());
    // Recorded before it is sent: a kill after the write finds it again by its address.
    if (!state.put(m_key, {href, {}, action.key, action.localFingerprint, card}, &why))
        return databaseFailure(why);
    auto written = m_collection.put(href, card, {});
    if (!written)
        return written.failure();
    if (written->status == Dav::WriteStatus::Refused) {
        // It never reached the server: the contact goes up afresh next time.
        if (!state.remove(m_key, href, &why))
            return databaseFailure(why);
        ++m_report.refused;
        return true;
    }
    if (written->status == Dav::WriteStatus::Done) {
        const Contact readBack = VCard::readOne(card).value_or(action.contact);
        if (!state.put(m_key, {href, written->etag, action.key, VCard::fingerprint(readBack), card}, &why))
            return databaseFailure(why);
        ++m_report.up;
        return true;
    }
    // The address is taken: our earlier write got there. It stands for this
    // contact from now on, and what differs goes up into it.
    auto current = fetchOne(href);
    if (!current)
        return current.failure();
    if (!current.value() || !current.value()->contact) {
        state.remove(m_key, href);
        more->append({Kind::PutNew, {}, action.key, action.contact, {}, {}, {}, action.localFingerprint});
        return true;
    }
    const Remote& remote = *current.value();
    if (!state.put(m_key, {href, remote.etag, action.key, remote.fingerprint, remote.data}, &why))
        return databaseFailure(why);
    if (remote.fingerprint != action.localFingerprint)
        more->append({Kind::PutChanged, href, action.key, action.contact, remote.data, remote.etag,
                      remote.fingerprint, action.localFingerprint});
    return true;
}

Dav::Result<bool> ContactSync::deleteRemote(const Action& action, QList<Action>* more)
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
    // Changed there since: the edit wins and the contact comes back.
    auto current = fetchOne(action.href);
    if (!current)
        return current.failure();
    if (!current.value() || !current.value()->contact) {
        SyncState(m_database.BigBd()).remove(m_key, action.href);
        return true;
    }
    const Remote& remote = *current.value();
    return applyDownward({{Kind::InsertRemote,
                           remote.href,
                           0,
                           *remote.contact,
                           remote.data,
                           remote.etag,
                           remote.fingerprint,
                           {}}},
                         {}, {}, more);
}
