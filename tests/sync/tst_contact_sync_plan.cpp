// The decisions of a contacts sync, case by case: which side wins, what is
// kept as a conflict copy, what goes up and what comes down.
#include "contact_sync_plan.h"

#include <QTest>

using namespace ContactSyncPlan;

namespace {

Contact person(const QString& surname, const QString& phone = {}, const QString& comment = {})
{
    Contact contact;
    contact.surname = surname;
    contact.name = QStringLiteral("Иван");
    contact.patronymic = QStringLiteral("Петрович");
    contact.phone1 = phone;
    contact.comment = comment;
    return contact;
}

// A digest stand-in: what a contact holds, as text.
QByteArray digest(const Contact& contact)
{
    return (contact.surname + contact.name + contact.patronymic + contact.phone1 + contact.phone2 +
            contact.mail + contact.icq + contact.comment + QString::number(contact.category) +
            contact.birthday.toString(Qt::ISODate))
        .toUtf8();
}

Remote remote(const QString& href, const QString& etag, const Contact& contact)
{
    return {href, etag, "card of " + contact.surname.toUtf8(), contact, digest(contact)};
}

Local local(qint64 key, const Contact& contact)
{
    return {key, contact, digest(contact)};
}

SyncState::Item synced(const QString& href, const QString& etag, qint64 key, const Contact& contact)
{
    return {href, etag, key, digest(contact), "card of " + contact.surname.toUtf8()};
}

QList<Kind> kinds(const QList<Action>& actions)
{
    QList<Kind> list;
    for (const Action& action : actions)
        list.append(action.kind);
    return list;
}

} // namespace

class TestContactSyncPlan : public QObject
{
    Q_OBJECT

private slots:
    void oneSideChangedGoesToTheOther()
    {
        const Contact before = person("Иванов", "111");
        const Contact edited = person("Иванов", "222");
        // Changed on the server only: taken here.
        auto actions = plan(
            {{synced("/a.vcf", "e1", 7, before)}, {remote("/a.vcf", "e2", edited)}, {}, {local(7, before)}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::TakeRemote});
        QCOMPARE(actions[0].key, 7);
        QCOMPARE(actions[0].contact.phone1, QStringLiteral("222"));
        QCOMPARE(actions[0].etag, QStringLiteral("e2"));
        // Changed here only: goes up into the card it came from.
        actions = plan({{synced("/a.vcf", "e1", 7, before)}, {}, {}, {local(7, edited)}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::PutChanged});
        QCOMPARE(actions[0].etag, QStringLiteral("e1"));
        QCOMPARE(actions[0].data, QByteArray("card of Иванов"));
        // Unchanged on both sides, or our own write coming back: nothing to do.
        QVERIFY(plan({{synced("/a.vcf", "e1", 7, before)}, {}, {}, {local(7, before)}}).isEmpty());
        QVERIFY(plan({{synced("/a.vcf", "e1", 7, before)},
                      {remote("/a.vcf", "e1", before)},
                      {},
                      {local(7, before)}})
                    .isEmpty());
        // New on either side.
        actions = plan({{}, {remote("/n.vcf", "e1", person("Сидоров"))}, {}, {}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::InsertRemote});
        actions = plan({{}, {}, {}, {local(3, person("Сидоров"))}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::PutNew});
        QVERIFY(actions[0].href.isEmpty());
        QCOMPARE(actions[0].localFingerprint, digest(person("Сидоров")));
    }

    void bothSidesChangedKeepBothVersions()
    {
        const Contact before = person("Иванов", "111", "друг");
        const Contact there = person("Иванов", "222", "друг");
        const Contact here = person("Иванов", "333", "друг");
        const auto actions = plan(
            {{synced("/a.vcf", "e1", 7, before)}, {remote("/a.vcf", "e2", there)}, {}, {local(7, here)}});
        QCOMPARE(kinds(actions), (QList<Kind>{Kind::TakeRemote, Kind::InsertCopy}));
        QCOMPARE(actions[0].contact.phone1, QStringLiteral("222"));
        QCOMPARE(actions[1].contact.phone1, QStringLiteral("333"));
        QCOMPARE(actions[1].contact.surname, QStringLiteral("Иванов (конфликт)"));
        QCOMPARE(actions[1].contact.comment, QStringLiteral("Конфликт синхронизации: друг"));
        // The same edit on both sides is no conflict.
        QCOMPARE(kinds(plan({{synced("/a.vcf", "e1", 7, before)},
                             {remote("/a.vcf", "e2", there)},
                             {},
                             {local(7, there)}})),
                 QList<Kind>{Kind::TakeRemote});
        // The server changed only what we do not keep (a photo, say): our edit goes up into its new card.
        const auto photo = plan(
            {{synced("/a.vcf", "e1", 7, before)}, {remote("/a.vcf", "e2", before)}, {}, {local(7, here)}});
        QCOMPARE(kinds(photo), QList<Kind>{Kind::PutChanged});
        QCOMPARE(photo[0].etag, QStringLiteral("e2"));
        // A long surname is cut so that the mark still fits the column.
        const Contact copy = conflictCopy(person(QString(30, QChar(u'ж')), {}, QString(50, QChar(u'к'))));
        QCOMPARE(copy.surname.size(), Contacts::kFieldLength);
        QVERIFY(copy.surname.endsWith(kConflictSuffix));
        QCOMPARE(copy.comment.size(), Contacts::kCommentLength);
        QVERIFY(copy.comment.startsWith(kConflictComment));
    }

    void aDeletionLosesToAnEdit()
    {
        const Contact before = person("Иванов", "111");
        const Contact edited = person("Иванов", "222");
        // Deleted there, unchanged here: deleted here.
        auto actions = plan({{synced("/a.vcf", "e1", 7, before)}, {}, {"/a.vcf"}, {local(7, before)}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::DeleteLocal});
        // Deleted there, edited here: kept, and up again as a new card.
        actions = plan({{synced("/a.vcf", "e1", 7, before)}, {}, {"/a.vcf"}, {local(7, edited)}});
        QCOMPARE(kinds(actions), (QList<Kind>{Kind::ForgetState, Kind::PutNew}));
        QVERIFY(actions[1].href.isEmpty());
        // Deleted here, unchanged there: deleted there, with its ETag.
        actions = plan({{synced("/a.vcf", "e1", 7, before)}, {}, {}, {}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::DeleteRemote});
        QCOMPARE(actions[0].etag, QStringLiteral("e1"));
        // Deleted here, edited there: the contact comes back.
        actions = plan({{synced("/a.vcf", "e1", 7, before)}, {remote("/a.vcf", "e2", edited)}, {}, {}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::InsertRemote});
        // Deleted on both sides: only the state goes.
        QCOMPARE(kinds(plan({{synced("/a.vcf", "e1", 7, before)}, {}, {"/a.vcf"}, {}})),
                 QList<Kind>{Kind::ForgetState});
    }

    void theFirstSyncPairsInsteadOfDoubling()
    {
        Contact here = person("Иванов", "111");
        Contact there = person("Иванов", {}, "с работы");
        there.mail = QStringLiteral("ivanov@example.ru");
        // Same names, nothing that disagrees: one contact, filled in from both.
        auto actions =
            plan({{}, {remote("/a.vcf", "e1", there)}, {}, {local(7, here), local(8, person("Петров"))}});
        QCOMPARE(kinds(actions), (QList<Kind>{Kind::Pair, Kind::PutNew}));
        QCOMPARE(actions[0].key, 7);
        QCOMPARE(actions[0].contact.phone1, QStringLiteral("111"));
        QCOMPARE(actions[0].contact.mail, QStringLiteral("ivanov@example.ru"));
        QCOMPARE(actions[0].contact.comment, QStringLiteral("с работы"));
        QCOMPARE(actions[1].key, 8);
        // Same names, a phone that differs: the server's is taken, ours kept as a copy.
        there.phone1 = QStringLiteral("999");
        actions = plan({{}, {remote("/a.vcf", "e1", there)}, {}, {local(7, here)}});
        QCOMPARE(kinds(actions), (QList<Kind>{Kind::TakeRemote, Kind::InsertCopy}));
        QCOMPARE(actions[0].key, 7);
        // Two local contacts of one name pair with two cards, one each.
        actions = plan({{},
                        {remote("/a.vcf", "e1", person("Иванов")), remote("/b.vcf", "e1", person("Иванов"))},
                        {},
                        {local(7, person("Иванов")), local(8, person("Иванов"))}});
        QCOMPARE(kinds(actions), (QList<Kind>{Kind::Pair, Kind::Pair}));
        QVERIFY(actions[0].key != actions[1].key);

        // As the editor leaves them: no birthday is its starting date without
        // a reminder, a name may end in a blank, a field may hold "---". The
        // phone's card has the birthday: one contact, with it.
        Contact typed = person("Сидоров ", "---");
        typed.birthday = QDate(1980, 1, 1).startOfDay();
        Contact phones = person("Сидоров", "222");
        phones.birthday = QDate(1975, 3, 10).startOfDay();
        phones.remind = true;
        actions = plan({{}, {remote("/s.vcf", "e1", phones)}, {}, {local(9, typed)}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::Pair});
        QCOMPARE(actions[0].key, 9);
        QCOMPARE(actions[0].contact.birthday.date(), QDate(1975, 3, 10));
        QVERIFY(actions[0].contact.remind);
        QCOMPARE(actions[0].contact.phone1, QStringLiteral("222"));
    }

    void unconfirmedAndUnreadableCardsAreHandledSafely()
    {
        const Contact contact = person("Иванов");
        // A card we wrote whose ETag never came: written again under the same address.
        auto actions = plan({{synced("/mine.vcf", "", 7, contact)}, {}, {}, {local(7, contact)}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::PutNew});
        QCOMPARE(actions[0].href, QStringLiteral("/mine.vcf"));
        // ...and its contact deleted since: whatever reached the server goes too, unguarded.
        actions = plan({{synced("/mine.vcf", "", 7, contact)}, {}, {}, {}});
        QCOMPARE(kinds(actions), QList<Kind>{Kind::DeleteRemote});
        QVERIFY(actions[0].etag.isEmpty());
        // A card that cannot be read changes nothing here.
        Remote broken{"/a.vcf", "e2", "garbage", std::nullopt, {}};
        QVERIFY(plan({{synced("/a.vcf", "e1", 7, contact)}, {broken}, {}, {local(7, contact)}}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestContactSyncPlan)
#include "tst_contact_sync_plan.moc"
