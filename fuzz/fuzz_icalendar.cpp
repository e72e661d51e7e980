// An iCalendar file to import as reminders, read through libical.
#include "fuzz_support.h"

#include "icalendar_file.h"

#include <libical/ical.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::initialise(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A fixed "now", so that an input found once is found again.
    static const QDateTime now(QDate(2024, 3, 15), QTime(12, 0));
    const ICalendarFile::ReadResult result = ICalendarFile::read(FuzzSupport::bytes(data, size), now);
    // libical keeps the texts it hands out in a ring of buffers reused later:
    // freed here, so that libFuzzer's count of allocations balances and it
    // does not look for leaks after every input.
    icalmemory_free_ring();
    if (!result.error.isEmpty() && (!result.found.isEmpty() || !result.skipped.isEmpty()))
        FuzzSupport::fail("a refused file still gave items");
    for (const ICalendarFile::Found& found : result.found)
        if (!found.moment.isValid())
            FuzzSupport::fail("an item without a moment");
    return 0;
}
