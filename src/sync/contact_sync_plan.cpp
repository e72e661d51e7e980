#include "contact_sync_plan.h"

#include "vcard_merge.h"
#include "vcard_syntax.h"

#include <QHash>
#include <QSet>

namespace ContactSyncPlan {

namespace {

// The text fields of a contact that a card carries, for field-by-field work.
QList<QString Contact::*> textFields()
{
    return {&Contact::name,   &Contact::surname, &Contact::patronymic, &Contact::phone1,
            &Contact::phone2, &Contact::mail,    &Contact::icq,        &Contact::comment};
}

} // namespace

Contact conflictCopy(const Contact& local)
{
    Contact copy = local;
    copy.surname = copy.surname.left(Contacts::kFieldLength - kConflictSuffix.size()) + kConflictSuffix;
    copy.comment =
        (local.comment.isEmpty() ? kConflictComment : kConflictComment + QStringLiteral(": ") + local.comment)
            .left(Contacts::kCommentLength);
    return copy;
}

std::optional<Contact> filledIn(const Contact& localAsStored, const Contact& remoteAsRead)
{
    // Compared as a card holds them: trimmed, "---" for nothing, and the
    // editor's starting date without a reminder for no birthday.
    const Contact local = VCard::cardForm(localAsStored);
    const Contact remote = VCard::cardForm(remoteAsRead);
    if (local.names() != remote.names())
        return std::nullopt;
    Contact merged = localAsStored;
    for (QString Contact::*field : textFields()) {
        const QString& mine = local.*field;
        const QString& theirs = remote.*field;
        if (mine.isEmpty())
            merged.*field = remoteAsRead.*field;
        else if (!theirs.isEmpty() && mine != theirs)
            return std::nullopt;
    }
    const auto hasBirthday = [](const Contact& form) {
        return form.remind || form.birthday != VCardSyntax::startingBirthday();
    };
    if (!hasBirthday(local)) {
        merged.birthday = remoteAsRead.birthday;
        merged.remind = remoteAsRead.remind;
    } else if (hasBirthday(remote) && local.birthday.date() != remote.birthday.date()) {
        return std::nullopt;
    }
    if (local.category == 0)
        merged.category = remote.category;
    else if (remote.category != 0 && local.category != remote.category)
        return std::nullopt;
    return merged;
}

QList<Action> plan(const Input& input)
{
    QList<Action> actions;
    QHash<QString, SyncState::Item> stateByHref;
    QHash<qint64, QString> hrefOfLocal;
    for (const SyncState::Item& item : input.state) {
        stateByHref.insert(item.href, item);
        if (item.localKey)
            hrefOfLocal.insert(item.localKey, item.href);
    }
    QHash<qint64, Local> localByKey;
    for (const Local& local : input.local)
        localByKey.insert(local.key, local);
    const auto changedHere = [&](const SyncState::Item& item) {
        const auto local = localByKey.constFind(item.localKey);
        return local != localByKey.cend() && local->fingerprint != item.fingerprint;
    };

    QSet<QString> handled;
    QSet<qint64> localHandled;
    // Local contacts with no card yet, by their names, for the first sync's pairing.
    QMultiHash<QString, qint64> unsyncedByNames;
    for (const Local& local : input.local)
        if (!hrefOfLocal.contains(local.key))
            unsyncedByNames.insert(ContactLine::of(VCard::cardForm(local.contact).names()), local.key);

    // What changed on the server.
    for (const Remote& remote : input.changed) {
        handled.insert(remote.href);
        const auto known = stateByHref.constFind(remote.href);
        // Our own write coming back: nothing new.
        if (known != stateByHref.cend() && !known->etag.isEmpty() && known->etag == remote.etag)
            continue;
        if (!remote.contact) {
            // A card we cannot read is left to the server; what we held for it stays as it was.
            continue;
        }
        Action take{Kind::TakeRemote, remote.href,        0, *remote.contact, remote.data,
                    remote.etag,      remote.fingerprint, {}};
        if (known != stateByHref.cend() && known->localKey && localByKey.contains(known->localKey)) {
            const Local& local = localByKey.value(known->localKey);
            localHandled.insert(local.key);
            take.key = local.key;
            const bool sameAsOurs = local.fingerprint == remote.fingerprint;
            if (changedHere(*known) && known->fingerprint == remote.fingerprint) {
                // The server changed only what we do not keep: our edit goes
                // up into its new card.
                actions.append({Kind::PutChanged, remote.href, local.key, local.contact, remote.data,
                                remote.etag, remote.fingerprint, local.fingerprint});
                continue;
            }
            actions.append(take);
            if (changedHere(*known) && !sameAsOurs)
                actions.append(
                    {Kind::InsertCopy, {}, local.key, conflictCopy(local.contact), {}, {}, {}, {}});
            continue;
        }
        // A card new to us, or one whose contact was deleted here while it
        // changed there: the edit wins and the contact comes (back).
        const QString names = ContactLine::of(VCard::cardForm(*remote.contact).names());
        bool paired = false;
        for (auto candidate = unsyncedByNames.find(names); candidate != unsyncedByNames.end(); ++candidate) {
            const Local& local = localByKey.value(candidate.value());
            localHandled.insert(local.key);
            if (const auto merged = filledIn(local.contact, *remote.contact)) {
                actions.append({Kind::Pair, remote.href, local.key, *merged, remote.data, remote.etag,
                                remote.fingerprint, local.fingerprint});
            } else {
                take.key = local.key;
                actions.append(take);
                actions.append(
                    {Kind::InsertCopy, {}, local.key, conflictCopy(local.contact), {}, {}, {}, {}});
            }
            unsyncedByNames.erase(candidate);
            paired = true;
            break;
        }
        if (!paired) {
            take.kind = Kind::InsertRemote;
            actions.append(take);
        }
    }

    // What was deleted on the server.
    for (const QString& href : input.removed) {
        handled.insert(href);
        const auto known = stateByHref.constFind(href);
        if (known == stateByHref.cend())
            continue;
        if (localByKey.contains(known->localKey)) {
            localHandled.insert(known->localKey);
            if (changedHere(*known)) {
                // Edited here: it stays, and goes up again as a new card.
                actions.append({Kind::ForgetState, href, known->localKey, {}, {}, {}, {}, {}});
                const Local& local = localByKey.value(known->localKey);
                actions.append({Kind::PutNew, {}, local.key, local.contact, {}, {}, {}, local.fingerprint});
                continue;
            }
            actions.append({Kind::DeleteLocal, href, known->localKey, {}, {}, {}, {}, known->fingerprint});
            continue;
        }
        actions.append({Kind::ForgetState, href, 0, {}, {}, {}, {}, {}});
    }

    // What changed here only.
    for (const SyncState::Item& item : input.state) {
        if (handled.contains(item.href))
            continue;
        const auto local = localByKey.constFind(item.localKey);
        if (local == localByKey.cend()) {
            // Deleted here. A card we wrote that the server never confirmed
            // goes too, whatever of it reached that address (an empty ETag
            // removes what is there), or it would bring the contact back.
            actions.append({Kind::DeleteRemote, item.href, item.localKey, {}, item.data, item.etag, {}, {}});
            continue;
        }
        localHandled.insert(local->key);
        if (item.etag.isEmpty()) {
            // Written by us under this address; the server has not confirmed it yet.
            actions.append(
                {Kind::PutNew, item.href, local->key, local->contact, {}, {}, {}, local->fingerprint});
            continue;
        }
        if (local->fingerprint != item.fingerprint)
            actions.append({Kind::PutChanged, item.href, local->key, local->contact, item.data, item.etag,
                            item.fingerprint, local->fingerprint});
    }

    // Contacts that never had a card.
    for (const Local& local : input.local)
        if (!hrefOfLocal.contains(local.key) && !localHandled.contains(local.key))
            actions.append({Kind::PutNew, {}, local.key, local.contact, {}, {}, {}, local.fingerprint});
    return actions;
}

} // namespace ContactSyncPlan
