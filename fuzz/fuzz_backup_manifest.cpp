// The manifest (manifest.json) of a backup archive.
#include "fuzz_support.h"

#include "profile_backup.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QString error;
    const auto manifest = ProfileBackup::parseManifest(FuzzSupport::bytes(data, size), &error);
    if (!manifest && error.isEmpty())
        FuzzSupport::fail("refused without a reason");
    if (manifest)
        for (const auto& [name, fileSize] : manifest->files)
            if (name.startsWith(QLatin1Char('/')) ||
                name.split(QLatin1Char('/')).contains(QStringLiteral("..")) || fileSize < 0)
                FuzzSupport::fail("a file the restore may not write was accepted");
    return 0;
}
