#pragma once

#include <QObject>

class QCalendarWidget;
class QGroupBox;
class SectionHost;

// The section "Календарь": a month calendar filling the box; a click on a day
// (or on the month arrows) opens the note editor for the selected day's note.
// Days that have a note are shown in bold on a tinted background.
class CalendarSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CalendarSection)

public:
    CalendarSection(SectionHost& host, QGroupBox* box);

    // The section's showing step: the calendar goes to today.
    void showToday();
    void MonthCalendar1Click();

    QCalendarWidget* MonthCalendar1 = nullptr;

private:
    void build();
    void markDayNotes();
    void captionMonth();

    SectionHost& m_host;
    QGroupBox* m_box;
};
