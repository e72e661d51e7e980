#include "calendar_file_commands.h"

#include "clock.h"
#include "dates_exchange.h"
#include "dates_import_window.h"
#include "error_handler.h"
#include "file_dialogs.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "section_host.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace {
const QString kImportTitle = QStringLiteral("Импорт напоминаний");
const QString kExportTitle = QStringLiteral("Экспорт в календарь");
} // namespace

CalendarFileCommands::CalendarFileCommands(SectionHost& host, QGroupBox* box,
                                           std::function<void()> afterImport)
    : QObject(box), m_host(host), m_box(box), m_afterImport(std::move(afterImport))
{
    setObjectName(QStringLiteral("CalendarFileCommands"));
    CalendarButton = new QPushButton(QStringLiteral("Импорт/экспорт"), box);
    CalendarButton->setObjectName(QStringLiteral("CalendarButton"));
    CalendarButton->setGeometry(502, 508, 171, 34);
    CalendarButton->setIcon(box->style()->standardIcon(QStyle::SP_DialogSaveButton));
    CalendarButton->setToolTip(QStringLiteral("Обмен датами с календарями и телефонами (iCalendar)"));
    auto* menu = new QMenu(CalendarButton);
    menu->setObjectName(QStringLiteral("CalendarMenu"));
    ImportICalendarAction = menu->addAction(QStringLiteral("Импорт событий из файла iCalendar..."));
    ImportICalendarAction->setObjectName(QStringLiteral("ImportICalendarAction"));
    ExportICalendarAction =
        menu->addAction(QStringLiteral("Экспорт напоминаний, задач и дней рождения в iCalendar..."));
    ExportICalendarAction->setObjectName(QStringLiteral("ExportICalendarAction"));
    CalendarButton->setMenu(menu);
    connect(ImportICalendarAction, &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { importFile(); }); });
    connect(ExportICalendarAction, &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { exportFile(); }); });
}

void CalendarFileCommands::importFile()
{
    const QString path = FileDialogs::openFileName(
        m_box->window(), QStringLiteral("Импорт событий из файла iCalendar"), kFilter);
    if (path.isEmpty())
        return;
    const ICalendarFile::ReadResult read = DatesExchange::readFile(path, Clock::now());
    if (!read.error.isEmpty()) {
        MessageBoxes::errorBox(QStringLiteral("Напоминания не добавлены.\r\n") + read.error);
        return;
    }
    if (read.found.isEmpty()) {
        QString text = QStringLiteral("В файле нет событий и задач с датой.");
        if (!read.skipped.isEmpty())
            text += QStringLiteral("\r\nНе взяты из файла:\r\n") + DatesExchange::skippedText(read.skipped);
        MessageBoxes::information(kImportTitle, text);
        return;
    }
    DatesImportWindow window(read, m_box->window());
    m_host.prepareSecondary(window);
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return;
    const QList<ICalendarFile::Found> chosen = window.chosen();
    if (chosen.isEmpty()) {
        MessageBoxes::information(kImportTitle,
                                  QStringLiteral("Ничего не выбрано: напоминания не добавлены."));
        return;
    }
    QString error;
    if (!DatesExchange::addReminders(m_host.database(), chosen, &error)) {
        MessageBoxes::errorBox(QStringLiteral("Напоминания не добавлены.\r\n") + error);
        return;
    }
    if (m_afterImport)
        m_afterImport();
    MessageBoxes::successBox(QStringLiteral("Добавлено напоминаний: %1.").arg(chosen.size()));
}

void CalendarFileCommands::exportFile()
{
    QString path = FileDialogs::saveFileName(
        m_box->window(), QStringLiteral("Сохранить напоминания, задачи и дни рождения в файл iCalendar"),
        kFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".ics");
    QString error;
    DatesExchange::Counts counts;
    if (!DatesExchange::exportFile(m_host.database(), path, Clock::now(), &error, QTimeZone::systemTimeZone(),
                                   &counts)) {
        MessageBoxes::errorBox(QStringLiteral("Файл календаря не сохранён.\r\n") + error);
        return;
    }
    MessageBoxes::information(kExportTitle,
                              QStringLiteral("Сохранено напоминаний: %1, задач: %2, дней рождения: %3.\r\n%4")
                                  .arg(counts.reminders)
                                  .arg(counts.tasks)
                                  .arg(counts.birthdays)
                                  .arg(path));
}
