// A vCard file to import into the address book; what was read is written
// back as the export would write it, and read again.
#include "fuzz_support.h"

#include "vcard.h"

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
        const VCard::ReadResult again = VCard::read(VCard::write(contacts, version));
        if (again.cards.size() != contacts.size())
            FuzzSupport::fail("an exported file does not read back whole");
    }
    return 0;
}
