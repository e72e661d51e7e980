// A history file of a combo box (*.dic in the profile folder).
#include "fuzz_support.h"

#include "history_file.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList entries = HistoryFile::parse(FuzzSupport::bytes(data, size));
    for (const QString& entry : entries)
        if (entry.contains(QLatin1Char('\r')) || entry.contains(QLatin1Char('\n')))
            FuzzSupport::fail("an entry holds a line end");
    // What is written back reads as the same number of entries.
    if (HistoryFile::parse(HistoryFile::format(entries)).size() != entries.size())
        FuzzSupport::fail("a written history reads back with another count");
    return 0;
}
