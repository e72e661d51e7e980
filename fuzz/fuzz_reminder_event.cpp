// A calendar server's event taken as a reminder, and a reminder's change
// written back into it: the bytes come from whoever writes to the calendar.
#include "fuzz_support.h"

#include "reminder_event.h"

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
    const QByteArray event = FuzzSupport::bytes(data, size);
    const ReminderEvent::Reading reading = ReminderEvent::read(event, now);
    if (reading.occurrence && !reading.readable)
        FuzzSupport::fail("an occurrence from an unreadable event");
    if (reading.occurrence) {
        // Put off by a day and a half and renamed, as the sync writes it.
        const ReminderEvent::Occurrence from = *reading.occurrence;
        if (!from.moment.isValid())
            FuzzSupport::fail("an occurrence without a moment");
        const ReminderEvent::Occurrence to{from.text + QStringLiteral("!"), from.moment.addSecs(36 * 3600)};
        const auto changed = ReminderEvent::changed(event, from, to, now);
        if (changed)
            ReminderEvent::read(*changed, now);
        ReminderEvent::fromFingerprint(ReminderEvent::fingerprint(from));
    }
    icalmemory_free_ring();
    return 0;
}
