#pragma once

#include "due_items.h"
#include "main_window.h"
#include "profile_database.h"
#include "registry_store.h"
#include "reminder_popup.h"
#include "reminders_section.h"
#include "schedule.h"
#include "scripted_seams.h"
#include "settings.h"
#include "system_info.h"
#include "tasks_section.h"
#include "test_home.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <memory>

// A fresh home with first-run settings, rows put straight into the profile
// as an earlier run left them, and the main window started on it.
class PlannerFixture
{
public:
    PlannerFixture()
    {
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
        // The window stays on screen after its first tick.
        m_registry->writeBool(QStringLiteral("Software\\Quillarbor\\Config"), QStringLiteral("HideInTray"),
                              false);
    }
    ~PlannerFixture() { window.reset(); }
    Q_DISABLE_COPY_MOVE(PlannerFixture)

    // Before start(): straight into the profile. After: through the open database.
    qint64 seedReminder(const QString& text, const QDateTime& moment)
    {
        qint64 key = 0;
        withDatabase([&](ProfileDatabase& database) { DueItems(database).addReminder(text, moment, &key); });
        return key;
    }
    qint64 seedTask(const QString& name, const QString& file, const QDateTime& moment)
    {
        qint64 key = 0;
        withDatabase([&](ProfileDatabase& database) {
            database.TasksTable.insert({{QStringLiteral("Название"), name},
                                        {QStringLiteral("Имя файла"), file},
                                        {QStringLiteral("Дата"), moment}},
                                       &key);
        });
        return key;
    }

    void start()
    {
        window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(window->startedUp());
        window->show();
        // The first tick enables the window.
        tick();
    }
    // A tick of the monitor timer, as the message loop would give it.
    void tick() { window->Timer1Timer(); }

    ProfileDatabase& database() const { return window->database(); }
    DueItems items() const { return DueItems(window->database()); }
    RemindersSection* reminders() const { return window->schedule()->reminders(); }
    TasksSection* tasks() const { return window->schedule()->tasks(); }
    QTimer* Timer1() const { return window->Timer1; }

    // The rows as "text | moment", in the table's order.
    QStringList reminderLines() const
    {
        QStringList lines;
        for (const TableObject::Row& row : database().EventsTable.rows())
            lines.append(row.value(QStringLiteral("Текст")).toString() + QStringLiteral(" | ") +
                         row.value(QStringLiteral("Дата")).toDateTime().toString(Qt::ISODateWithMs));
        return lines;
    }
    QStringList taskLines() const
    {
        QStringList lines;
        for (const TableObject::Row& row : database().TasksTable.rows())
            lines.append(row.value(QStringLiteral("Название")).toString() + QStringLiteral(" | ") +
                         row.value(QStringLiteral("Имя файла")).toString() + QStringLiteral(" | ") +
                         row.value(QStringLiteral("Дата")).toDateTime().toString(Qt::ISODateWithMs));
        return lines;
    }

    std::unique_ptr<TForm1> window;

private:
    template <typename Body> void withDatabase(Body body)
    {
        if (window) {
            body(window->database());
            return;
        }
        ProfileDatabase database;
        QVERIFY(database.open(SystemInfo::documentsFolder(*m_registry), TestHome::programFolder()));
        body(database);
    }

    std::unique_ptr<RegistryStore> m_registry;
};

// What a pop-up showed, as one line: "event | moment line".
inline QString popupLine(QDialog* window)
{
    auto* popup = qobject_cast<TForm9*>(window);
    if (!popup)
        return QStringLiteral("not a pop-up: ") + window->objectName();
    return popup->Event->text() + QStringLiteral(" | ") + popup->Label2->text();
}

inline QDateTime at(int day, int hour, int minute, int second = 0, int month = 3)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}
