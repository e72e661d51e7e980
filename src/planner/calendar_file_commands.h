#pragma once

#include <QObject>
#include <functional>

class QAction;
class QGroupBox;
class QPushButton;
class SectionHost;

// The reminders section's exchange with desktop calendars and phones: the
// reminders, tasks and birthdays out to an iCalendar file, and the events and
// to-dos of one in as reminders.
class CalendarFileCommands : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CalendarFileCommands)

public:
    // Places its button beside the section's buttons; afterImport runs once
    // reminders were added.
    CalendarFileCommands(SectionHost& host, QGroupBox* box, std::function<void()> afterImport);

    inline static const QString kFilter = QStringLiteral("Файлы iCalendar (*.ics)|*.ics|Все файлы (*.*)|*.*");

    void importFile();
    void exportFile();

    QPushButton* CalendarButton = nullptr;
    QAction* ImportICalendarAction = nullptr;
    QAction* ExportICalendarAction = nullptr;

private:
    SectionHost& m_host;
    QGroupBox* m_box;
    std::function<void()> m_afterImport;
};
