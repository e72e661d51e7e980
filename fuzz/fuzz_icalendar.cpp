// An iCalendar file to import as reminders, read through libical.
#include "fuzz_support.h"

#include "icalendar_file.h"

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
    if (!result.error.isEmpty() && (!result.found.isEmpty() || !result.skipped.isEmpty()))
        FuzzSupport::fail("a refused file still gave items");
    for (const ICalendarFile::Found& found : result.found)
        if (!found.moment.isValid())
            FuzzSupport::fail("an item without a moment");
    return 0;
}
