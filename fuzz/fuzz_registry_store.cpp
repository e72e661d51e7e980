// The settings file (registry.json) as the settings store reads it at start-up.
#include "fuzz_support.h"

#include "registry_store.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The store is never saved here: its file name is only a name.
    RegistryStore store(FuzzSupport::scratchFolder() + QStringLiteral("/registry.json"));
    const RegistryStore::LoadReport report = store.loadFrom(FuzzSupport::bytes(data, size));
    if (report.damaged && !store.keyNames().isEmpty())
        FuzzSupport::fail("a damaged file left keys behind");
    for (const QString& key : store.keyNames()) {
        if (!store.keyExists(key))
            FuzzSupport::fail("a listed key is not found");
        for (const QString& name : store.valueNames(key)) {
            store.valueType(key, name);
            store.readString(key, name);
            store.readInteger(key, name);
            store.readBool(key, name);
        }
    }
    return 0;
}
