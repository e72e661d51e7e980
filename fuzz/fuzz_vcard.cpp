// A vCard file to import into the address book; what was read is written
// back as the export would write it, and read again. Taken as a single card
// of a contacts server, a contact with every field changed is merged into it
// and the card must still read.
#include "fuzz_support.h"

#include "vcard.h"
#include "vcard_merge.h"

#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

namespace {

void mergeIntoServerCard(const QByteArray& card)
{
    const std::optional<Contact> read = VCard::readOne(card);
    if (!read)
        return;
    if (VCard::mergeInto(card, *read) != card)
        FuzzSupport::fail("merging the contact read from a card changed the card");
    Contact changed;
    changed.surname = QStringLiteral("Сидорова; \\,");
    changed.name = read->name == QStringLiteral("---") ? QStringLiteral("Анна") : QStringLiteral("---");
    changed.phone1 = read->phone2.isEmpty() ? QStringLiteral("+7 900 000-00-00") : read->phone2;
    changed.mail = read->mail.isEmpty() ? QStringLiteral("anna@example.org") : QString();
    changed.icq = read->icq.isEmpty() ? QStringLiteral("55501") : QString();
    changed.category = read->category % 7 + 1;
    changed.comment = read->comment.isEmpty() ? QStringLiteral("Соседка, звонить вечером") : QString();
    changed.birthday = read->birthday.date().year() == 1904 ? QDate(1975, 2, 28).startOfDay()
                                                            : QDate(1904, 2, 29).startOfDay();
    changed.remind = !read->remind;
    QString error;
    const std::optional<QByteArray> merged = VCard::mergeInto(card, changed, &error);
    if (!merged)
        FuzzSupport::fail("a card that reads refused a merge");
    if (!VCard::readOne(*merged, &error)) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(error), merged->constData());
        FuzzSupport::fail("a merged card does not read");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    mergeIntoServerCard(FuzzSupport::bytes(data, size));
    const VCard::ReadResult result = VCard::read(FuzzSupport::bytes(data, size));
    if (!result.error.isEmpty() && (!result.cards.isEmpty() || !result.failures.isEmpty()))
        FuzzSupport::fail("a refused file still gave cards");
    QList<Contact> contacts;
    for (const VCard::Card& card : result.cards)
        contacts.append(card.contact);
    if (contacts.isEmpty())
        return 0;
    for (const VCard::Version version : {VCard::Version::V3, VCard::Version::V4}) {
        const QByteArray exported = VCard::write(contacts, version);
        const VCard::ReadResult again = VCard::read(exported);
        if (again.cards.size() != contacts.size()) {
            for (const VCard::Failure& failure : again.failures)
                std::fprintf(stderr, "card %d, line %d: %s\n", failure.number, failure.line,
                             qPrintable(failure.reason));
            std::fprintf(stderr, "%s\n", exported.constData());
            FuzzSupport::fail("an exported file does not read back whole");
        }
    }
    return 0;
}
