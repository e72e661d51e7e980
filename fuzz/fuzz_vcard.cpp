// A vCard file to import into the address book; what was read is written
// back as the export would write it, and read again.
#include "fuzz_support.h"

#include "vcard.h"

#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
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
