#include "reminders_section.h"

#include "calendar_file_commands.h"
#include "clock.h"
#include "due_items.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "monitor_switch.h"
#include "profile_database.h"
#include "reminder_window.h"
#include "section_host.h"

#include <QDateEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

RemindersSection::RemindersSection(SectionHost& host, QGroupBox* box, MonitorSwitch& monitor)
    : GridSection(host, box, monitor, host.database().EventsTable,
                  {{QStringLiteral("Текст"), QStringLiteral("Текст")},
                   {QStringLiteral("Дата"), QStringLiteral("Дата"), false, true}},
                  "DBGrid1")
{
    setObjectName(QStringLiteral("RemindersSection"));
    DBGrid1 = grid();
    QStyle* style = DBGrid1->style();
    BitBtn16 = addButton("BitBtn16", QStringLiteral("Добавить"), 0, [this] { BitBtn16Click(); });
    BitBtn16->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    BitBtn18 = addButton("BitBtn18", QStringLiteral("Редактирование"), 1, [this] { BitBtn18Click(); });
    BitBtn18->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    BitBtn17 = addButton("BitBtn17", QStringLiteral("Удалить"), 2, [this] { BitBtn17Click(); });
    BitBtn17->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
    Button4 = addHelpButton("Button4", kHelpPage);
    connect(DBGrid1, &QTableView::doubleClicked, this, [this] { BitBtn18->click(); });
    new CalendarFileCommands(host, box, [this] { changedTo(0); });
}

void RemindersSection::BitBtn16Click()
{
    TForm5 window(m_host.registry(), this->window());
    m_host.prepareSecondary(window);
    window.DtPicker->setDate(Clock::today());
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return;
    qint64 key = 0;
    QString error;
    if (!DueItems(m_host.database()).addReminder(window.text(), window.moment(), &key, &error)) {
        MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить напоминание:\r\n") + error);
        return;
    }
    changedTo(key);
}

void RemindersSection::BitBtn18Click()
{
    // The window is bound to this row by its key: while it is open the
    // monitor may delete or move rows, and the change still goes to this one.
    const qint64 key = currentKey();
    if (key == 0)
        return;
    DueItems items(m_host.database());
    const std::optional<DueItems::Reminder> reminder = items.reminder(key);
    if (!reminder)
        return;
    TForm5 window(m_host.registry(), this->window());
    m_host.prepareSecondary(window);
    window.fill(reminder->text, reminder->moment);
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return;
    QString error;
    switch (items.changeReminder(key, window.text(), window.moment(), &error)) {
    case DueItems::Written::Done:
        break;
    case DueItems::Written::Gone:
        MessageBoxes::errorBox(kGoneMessage);
        break;
    case DueItems::Written::Failed:
        MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить изменения напоминания:\r\n") + error);
        break;
    }
    changedTo(key);
}

void RemindersSection::BitBtn17Click()
{
    const qint64 key = currentKey();
    if (key == 0)
        return;
    {
        // The monitor must not show or delete this reminder while the user decides.
        const MonitorSwitch::Hold hold(m_monitor);
        if (!MessageBoxes::askYesNo(QStringLiteral("Предупреждение"),
                                    QStringLiteral("Вы действительно хотите удалить напоминание?")))
            return;
        QString error;
        if (!DueItems(m_host.database()).removeReminder(key, &error))
            MessageBoxes::errorBox(QStringLiteral("Не удалось удалить напоминание:\r\n") + error);
    }
    changedTo(0);
}
