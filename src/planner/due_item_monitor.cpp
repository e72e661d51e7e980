#include "due_item_monitor.h"

#include "clock.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "monitor_switch.h"
#include "planner_rules.h"
#include "read_failure.h"
#include "reminder_popup.h"
#include "shell.h"

DueItemMonitor::DueItemMonitor(ProfileDatabase& database, MonitorSwitch& monitorSwitch, QWidget* window,
                               QObject* parent)
    : QObject(parent), m_items(database), m_switch(monitorSwitch), m_window(window)
{
    setObjectName(QStringLiteral("DueItemMonitor"));
}

void DueItemMonitor::tick()
{
    try {
        checkDue();
        m_readFailureShown = false;
    } catch (const ReadFailure& failure) {
        // An unreadable profile is said once, not at every tick; the monitor
        // goes on looking and speaks again only after it could read once more.
        if (m_readFailureShown)
            return;
        m_readFailureShown = true;
        const MonitorSwitch::Hold hold(m_switch);
        MessageBoxes::errorBox(failure.message() +
                               QStringLiteral("\r\nНапоминания и задачи будут проверены снова, когда "
                                              "профиль станет доступен."));
    }
}

void DueItemMonitor::checkDue()
{
    const QDateTime now = Clock::now();
    bool handled = false;
    // Each step keeps the timer off while it waits for the user, so no tick
    // starts while the previous one is still asking.
    if (const std::optional<DueItems::Task> task = nextTask(now);
        task && PlannerRules::isDue(task->moment, now)) {
        const MonitorSwitch::Hold hold(m_switch);
        handleTask(*task);
        handled = true;
    }
    if (const std::optional<DueItems::Reminder> reminder = nextReminder(now);
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
        if (m_stuckTasks.contains(key))
            continue;
        const std::optional<DueItems::Task> task = m_items.task(key);
        if (task && PlannerRules::isDue(task->moment, now)) {
            handleTask(*task);
            handled = true;
        }
    }
    for (const qint64 key : m_items.dueReminders(now)) {
        if (m_stuckReminders.contains(key))
            continue;
        const std::optional<DueItems::Reminder> reminder = m_items.reminder(key);
        if (reminder && PlannerRules::isDue(reminder->moment, now)) {
            handleReminder(*reminder);
            handled = true;
        }
    }
    if (handled)
        emit changed();
}

namespace {

// The earliest row, passing over those that could not be changed: their
// moment stays in the past, and they would come up at every tick.
template <typename Item, typename DueKeys, typename Read>
std::optional<Item> firstNotStuck(const std::optional<Item>& earliest, const QSet<qint64>& stuck,
                                  DueKeys dueKeys, Read read)
{
    if (!earliest || !stuck.contains(earliest->key))
        return earliest;
    for (const qint64 key : dueKeys())
        if (!stuck.contains(key))
            return read(key);
    return std::nullopt;
}

} // namespace

std::optional<DueItems::Task> DueItemMonitor::nextTask(const QDateTime& now) const
{
    const std::optional<DueItems::Task> earliest = m_items.earliestTask();
    return firstNotStuck(
        earliest, m_stuckTasks, [&] { return m_items.dueTasks(now); },
        [this](qint64 key) { return m_items.task(key); });
}

std::optional<DueItems::Reminder> DueItemMonitor::nextReminder(const QDateTime& now) const
{
    const std::optional<DueItems::Reminder> earliest = m_items.earliestReminder();
    return firstNotStuck(
        earliest, m_stuckReminders, [&] { return m_items.dueReminders(now); },
        [this](qint64 key) { return m_items.reminder(key); });
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
    if (!m_items.removeTask(task.key, &error)) {
        // Never offered (or run) again in this run, and the user is told once.
        m_stuckTasks.insert(task.key);
        MessageBoxes::errorBox(
            QStringLiteral("Не удалось удалить задачу «%1» из профиля; до следующего запуска программы "
                           "она больше не будет предложена.\r\n%2")
                .arg(command, error));
    }
    if (run && !command.isEmpty())
        Shell::open(command);
}

void DueItemMonitor::handleReminder(const DueItems::Reminder& reminder)
{
    // The pop-up keeps its own cream look whatever the colour scheme.
    TForm9 popup(m_window);
    popup.fill(reminder.text, QStringLiteral("Дата события: ") + PlannerRules::momentText(reminder.moment));
    const int result = ModalWindows::exec(&popup);
    // A day after the moment the pop-up was closed, not after it was opened.
    const QDateTime closedAt = Clock::now();
    QString error;
    if (TForm9::dismissed(result)) {
        if (!m_items.removeReminder(reminder.key, &error)) {
            m_stuckReminders.insert(reminder.key);
            MessageBoxes::errorBox(
                QStringLiteral("Не удалось удалить напоминание «%1» из профиля; до следующего запуска "
                               "программы оно больше не появится.\r\n%2")
                    .arg(reminder.text, error));
        }
        return;
    }
    // A reminder that cannot be put off stays in the profile as it was and
    // comes again at the next start, not at every tick of this run.
    if (m_items.postponeReminder(reminder.key, PlannerRules::postponed(closedAt), &error) ==
        DueItems::Written::Failed) {
        m_stuckReminders.insert(reminder.key);
        MessageBoxes::errorBox(
            QStringLiteral("Не удалось отложить напоминание «%1»; оно появится снова при следующем "
                           "запуске программы.\r\n%2")
                .arg(reminder.text, error));
    }
}
