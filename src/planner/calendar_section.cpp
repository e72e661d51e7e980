#include "calendar_section.h"

#include "clock.h"
#include "error_handler.h"
#include "modal_windows.h"
#include "note_editor.h"
#include "notes_store.h"
#include "profile_database.h"
#include "section_host.h"

#include <QCalendarWidget>
#include <QGroupBox>
#include <QLineEdit>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont calendarFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Nimbus Roman"), QStringLiteral("DejaVu Serif")});
    // Large enough to fill the big day cells.
    font.setPixelSize(18);
    return font;
}

} // namespace

CalendarSection::CalendarSection(SectionHost& host, QGroupBox* box) : QObject(box), m_host(host), m_box(box)
{
    setObjectName(QStringLiteral("CalendarSection"));
}

// The month calendar is the costliest control of the window: it is made when
// its section is first shown, not at start-up.
void CalendarSection::build()
{
    QGroupBox* box = m_box;
    MonthCalendar1 = new QCalendarWidget(box);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    // Russian month and day names whatever the system's language.
    MonthCalendar1->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthCalendar1->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    MonthCalendar1->setGridVisible(true);
    MonthCalendar1->setFont(calendarFont());

    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(10, 10, 10, 10);
    column->addWidget(MonthCalendar1);
    MonthCalendar1->show();

    // A click on a day opens that day, whatever page was shown before.
    connect(MonthCalendar1, &QCalendarWidget::clicked, this, [this](QDate date) {
        ErrorHandler::guard([this, date] {
            MonthCalendar1->setSelectedDate(date);
            MonthCalendar1Click();
        });
    });
    // The month arrows count as clicks in the calendar too. Qt's arrows turn
    // only the page; the selection moves with it to the same day of the new
    // month, so the editor opens the day the user now sees selected.
    for (const char* arrow : {"qt_calendar_prevmonth", "qt_calendar_nextmonth"})
        if (auto* button = MonthCalendar1->findChild<QToolButton*>(QLatin1String(arrow)))
            connect(button, &QToolButton::clicked, this, [this] {
                ErrorHandler::guard([this] {
                    const QDate selected = MonthCalendar1->selectedDate();
                    const QDate shown(MonthCalendar1->yearShown(), MonthCalendar1->monthShown(), 1);
                    MonthCalendar1->setSelectedDate(
                        QDate(shown.year(), shown.month(), qMin(selected.day(), shown.daysInMonth())));
                    MonthCalendar1Click();
                });
            });
    connect(MonthCalendar1, &QCalendarWidget::currentPageChanged, this, [this] {
        ErrorHandler::guard([this] {
            markDayNotes();
            captionMonth();
        });
    });
}

void CalendarSection::showToday()
{
    if (!MonthCalendar1)
        build();
    const QDate today = Clock::today();
    MonthCalendar1->setSelectedDate(today);
    MonthCalendar1->setCurrentPage(today.year(), today.month());
    markDayNotes();
    captionMonth();
}

void CalendarSection::MonthCalendar1Click()
{
    const QDate date = MonthCalendar1->selectedDate();
    NotesStore store(m_host.database());
    TForm3 editor(MonthCalendar1->window());
    m_host.prepareSecondary(editor);
    editor.Edit1->setText(NotesStore::dayNoteName(date));
    editor.Edit1->setEnabled(false);
    if (const auto text = store.dayNote(date))
        editor.setNoteText(*text);
    if (ModalWindows::exec(&editor) != QDialog::Accepted)
        return;
    // The day's old note goes only together with the new one's arrival.
    if (!store.writeDayNote(date, editor.noteText())) {
        ErrorHandler::report();
        return;
    }
    markDayNotes();
    m_host.setStatusMessage(QStringLiteral("Заметка создана."));
}

void CalendarSection::markDayNotes()
{
    if (!m_host.database().isOpen())
        return;
    // The page shows up to six weeks around the month.
    const QDate first(MonthCalendar1->yearShown(), MonthCalendar1->monthShown(), 1);
    const QSet<QDate> noted =
        NotesStore(m_host.database()).dayNoteDates(first.addDays(-7), first.addDays(49));
    MonthCalendar1->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat marked;
    marked.setFontWeight(QFont::Bold);
    marked.setBackground(QColor(255, 236, 160));
    marked.setForeground(QColor(40, 40, 46));
    for (const QDate& date : noted)
        MonthCalendar1->setDateTextFormat(date, marked);
    // Today stands out even when another day is selected.
    QTextCharFormat today = MonthCalendar1->dateTextFormat(Clock::today());
    today.setFontWeight(QFont::Bold);
    today.setFontUnderline(true);
    today.setForeground(QColor(20, 70, 150));
    MonthCalendar1->setDateTextFormat(Clock::today(), today);
}

void CalendarSection::captionMonth()
{
    // The month's name as a heading, with a capital letter.
    auto* month = MonthCalendar1->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    if (!month || month->text().isEmpty())
        return;
    QString caption = month->text();
    caption[0] = caption[0].toUpper();
    month->setText(caption);
}
