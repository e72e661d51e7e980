// What the profile says of a secret: a key record and sealed values, read as
// the bank and the diary read them, from a file anyone may have changed. No
// key is derived here (one derivation costs 64 MiB and half a second); the
// reading of the record and the opening of values are what meets the bytes.
#include "fuzz_support.h"

#include "key_record.h"
#include "sealed_value.h"

namespace {

const VaultKey& fixedKey()
{
    static const VaultKey key = [] {
        auto made = VaultKey::allocate(nullptr);
        if (!made)
            FuzzSupport::fail("no memory for a key");
        for (int n = 0; n < VaultKey::kBytes; ++n)
            made->data()[n] = static_cast<unsigned char>(n * 7 + 1);
        return std::move(*made);
    }();
    return key;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzSupport::bytes(data, size));
    // A record that reads is written back exactly as it was stored: there is
    // one spelling of each record, so nothing else passes for one.
    if (const auto record = KeyRecord::parse(text)) {
        if (record->text() != text)
            FuzzSupport::fail("a record read differently from how it is written");
        if (record->memoryKiB < KeyRecord::kMinimumMemoryKiB || record->passes < KeyRecord::kMinimumPasses ||
            record->salt.size() != KeyRecord::kSaltBytes)
            FuzzSupport::fail("a record below the least cost read as whole");
    }
    // Any bytes as a stored value: they open to nothing, never to a crash.
    if (SealedValue::open(fixedKey(), text, SealedValue::kBankPassword))
        FuzzSupport::fail("a value nobody sealed opened");
    // And as a value to seal: it comes back whole, and only in its own field.
    const auto sealed = SealedValue::seal(fixedKey(), text, SealedValue::kDiaryPage);
    if (!sealed || !SealedValue::isWellFormed(*sealed))
        FuzzSupport::fail("a sealed value that is not well formed");
    if (SealedValue::open(fixedKey(), *sealed, SealedValue::kDiaryPage) != text)
        FuzzSupport::fail("a value that does not come back as it was sealed");
    if (SealedValue::open(fixedKey(), *sealed, SealedValue::kBankLogin))
        FuzzSupport::fail("a value opened in another field");
    return 0;
}
