// The maker's plug-in catalogue (list.txt), downloaded from the Internet.
#include "fuzz_support.h"

#include "catalogue.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Catalogue::Reading reading = Catalogue::read(FuzzSupport::bytes(data, size));
    if (reading.kind != Catalogue::Reading::Kind::Listed && !reading.names.isEmpty())
        FuzzSupport::fail("a refused catalogue lists names");
    if (reading.names.size() > qMax(reading.count, 0))
        FuzzSupport::fail("more names than the count");
    for (const QString& name : reading.names)
        if (Catalogue::isSafeName(name) &&
            (name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")) || name.startsWith('.')))
            FuzzSupport::fail("a name leading out of the folder passed as safe");
    return 0;
}
