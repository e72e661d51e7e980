// A backup archive chosen for a restore, checked as the restore window does
// before it asks: the ZIP file through libzip, its manifest, every listed
// entry and the profile database inside.
#include "fuzz_support.h"

#include "profile_backup.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzSupport::writeScratch(QStringLiteral("backup.zip"), data, size);
    QString error;
    const auto contents = ProfileBackup::inspect(path, &error);
    if (!contents && error.isEmpty())
        FuzzSupport::fail("refused without a reason");
    if (contents)
        ProfileBackup::describeReplaced(*contents);
    return 0;
}
