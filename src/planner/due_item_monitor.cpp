#include "due_item_monitor.h"

#include "clock.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "monitor_switch.h"
#include "planner_rules.h"
#include "reminder_popup.h"
#include "shell.h"

DueItemMonitor::DueItemMonitor(ProfileDatabase& database, MonitorSwitch& monitorSwitch, QWidget* window,
                               Prepare prepare, QObject* parent)
    : QObject(parent), m_items(database), m_switch(monitorSwitch), m_window(window),
      m_prepare(std::move(prepare))
{
    setObjectName(QStringLiteral("DueItemMonitor"));
}

void DueItemMonitor::tick()
{
    const QDateTime now = Clock::now();
    bool handled = false;
    // Each step keeps the timer off while it waits for the user, so no tick
    // starts while the previous one is still asking.
    if (const std::optional<DueItems::Task> task = m_items.earliestTask();
        task && PlannerRules::isDue(task->moment, now)) {
        const MonitorSwitch::Hold hold(m_switch);
        handleTask(*task);
        handled = true;
    }
    if (const std::optional<DueItems::Reminder> reminder = m_items.earliestReminder();
        reminder && PlannerRules::isDue(reminder->moment, now)) {
        const MonitorSwitch::Hold hold(m_switch);
        handleReminder(*reminder);
        handled = true;
    }
    if (handled)
        emit changed();
}

void DueItemMonitor::startupPass()
{
    const QDateTime now = Clock::now();
    // The rows due when the pass begins, each visited once: a row put off
    // here is not due again, and a deleted one leaves no gap to skip over.
    bool handled = false;
    for (const qint64 key : m_items.dueTasks(now)) {
        const std::optional<DueItems::Task> task = m_items.task(key);
        if (task && PlannerRules::isDue(task->moment, now)) {
            handleTask(*task);
            handled = true;
        }
    }
    for (const qint64 key : m_items.dueReminders(now)) {
        const std::optional<DueItems::Reminder> reminder = m_items.reminder(key);
        if (reminder && PlannerRules::isDue(reminder->moment, now)) {
            handleReminder(*reminder);
            handled = true;
        }
    }
    if (handled)
        emit changed();
}

void DueItemMonitor::handleTask(const DueItems::Task& task)
{
    const QString command = PlannerRules::launchTarget(task.name, task.file);
    MessageBoxes::Request question;
    question.title = kQuestionTitle;
    question.text = PlannerRules::taskQuestion(task.moment, command);
    question.buttons = {MessageBoxes::Button::Yes, MessageBoxes::Button::No};
    const bool run = MessageBoxes::ask(question) == MessageBoxes::Button::Yes;
    // Gone whatever the answer: a declined task is not offered again.
    QString error;
    if (!m_items.removeTask(task.key, &error))
        MessageBoxes::errorBox(QStringLiteral("Не удалось удалить выполненную задачу:\r\n") + error);
    if (run && !command.isEmpty())
        Shell::open(command);
}

void DueItemMonitor::handleReminder(const DueItems::Reminder& reminder)
{
    TForm9 popup(m_window);
    if (m_prepare)
        m_prepare(popup);
    popup.fill(reminder.text, QStringLiteral("Дата события: ") + PlannerRules::momentText(reminder.moment));
    const int result = ModalWindows::exec(&popup);
    // A day after the moment the pop-up was closed, not after it was opened.
    const QDateTime closedAt = Clock::now();
    QString error;
    if (TForm9::dismissed(result)) {
        if (!m_items.removeReminder(reminder.key, &error))
            MessageBoxes::errorBox(QStringLiteral("Не удалось удалить напоминание:\r\n") + error);
        return;
    }
    // A reminder that cannot be put off stays as it is and comes again.
    if (m_items.postponeReminder(reminder.key, PlannerRules::postponed(closedAt), &error) ==
        DueItems::Written::Failed)
        MessageBoxes::errorBox(
            QStringLiteral("Не удалось отложить напоминание «%1»; оно появится снова.\r\n%2")
                .arg(reminder.text, error));
}
