#include "tasks_section.h"

#include "clock.h"
#include "due_items.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "monitor_switch.h"
#include "planner_rules.h"
#include "profile_database.h"
#include "section_host.h"
#include "shell.h"
#include "task_window.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

namespace {

// The name typed into the grid is held to what its column can store.
class NameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* box = qobject_cast<QLineEdit*>(editor))
            box->setMaxLength(PlannerRules::kTaskNameLength);
        return editor;
    }
};

} // namespace

TasksSection::TasksSection(SectionHost& host, QGroupBox* box, MonitorSwitch& monitor)
    : GridSection(host, box, monitor, host.database().TasksTable,
                  {{QStringLiteral("Название"), QStringLiteral("Название"), true},
                   {QStringLiteral("Дата"), QStringLiteral("Дата"), true, true}},
                  "DBGrid2")
{
    setObjectName(QStringLiteral("TasksSection"));
    DBGrid2 = grid();
    DBGrid2->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    DBGrid2->setItemDelegateForColumn(0, new NameDelegate(DBGrid2));
    model()->setEditor(
        [this](qint64 key, const QString& field, const QString& text) { return editCell(key, field, text); });

    QStyle* style = DBGrid2->style();
    BitBtn23 = addButton("BitBtn23", QStringLiteral("Выполнить"), 0, [this] { BitBtn23Click(); });
    BitBtn23->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    BitBtn2 = addButton("BitBtn2", QStringLiteral("Создать"), 1, [this] { BitBtn2Click(); });
    BitBtn2->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    BitBtn25 = addButton("BitBtn25", QStringLiteral("Редактирование"), 2, [this] { BitBtn25Click(); });
    BitBtn25->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    BitBtn21 = addButton("BitBtn21", QStringLiteral("Удалить"), 3, [this] { BitBtn21Click(); });
    BitBtn21->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
    Button5 = addHelpButton("Button5", kHelpPage);
}

void TasksSection::report(DueItems::Written written, const QString& failure, const QString& error)
{
    if (written == DueItems::Written::Gone)
        MessageBoxes::errorBox(kGoneMessage);
    else if (written == DueItems::Written::Failed)
        MessageBoxes::errorBox(failure + QStringLiteral("\r\n") + error);
}

bool TasksSection::editCell(qint64 key, const QString& field, const QString& text)
{
    // Messages wait until the grid has closed its editor: a message box
    // opened while the cell is being written would take the editor's focus.
    const auto afterEditor = [this](std::function<void()> step) {
        QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
    };
    DueItems items(m_host.database());
    QString error;
    DueItems::Written written = DueItems::Written::Done;
    const bool moment = field == QStringLiteral("Дата");
    if (moment) {
        const std::optional<QDateTime> typed = PlannerRules::parseMoment(text);
        if (!typed) {
            afterEditor([text] {
                MessageBoxes::errorBox(
                    QStringLiteral("«%1» не читается как дата. Введите дату и время так: 08.03.2026 14:20.")
                        .arg(text));
            });
            return false;
        }
        written = items.redateTask(key, *typed, &error);
    } else {
        written = items.renameTask(key, text, &error);
    }
    // A new moment may move the row, and a row that is gone leaves the grid.
    afterEditor([this, key, written, error, moment] {
        report(written, QStringLiteral("Не удалось сохранить изменения задачи:"), error);
        if (moment || written == DueItems::Written::Gone)
            changedTo(key);
        else
            emit changed();
    });
    return written == DueItems::Written::Done;
}

void TasksSection::BitBtn23Click()
{
    const qint64 key = currentKey();
    if (key == 0)
        return;
    const std::optional<DueItems::Task> task = DueItems(m_host.database()).task(key);
    if (task && !task->file.isEmpty())
        Shell::open(task->file);
}

void TasksSection::BitBtn2Click()
{
    TForm7 window(this->window());
    m_host.prepareSecondary(window);
    window.DateTimePicker1->setDate(Clock::today());
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return;
    qint64 key = 0;
    QString error;
    if (!DueItems(m_host.database()).addTask(window.command(), window.moment(), &key, &error)) {
        MessageBoxes::errorBox(QStringLiteral("Не удалось сохранить задачу:\r\n") + error);
        return;
    }
    changedTo(key);
}

void TasksSection::BitBtn25Click()
{
    // Bound to this row by its key, whatever the monitor does meanwhile.
    const qint64 key = currentKey();
    if (key == 0)
        return;
    DueItems items(m_host.database());
    const std::optional<DueItems::Task> task = items.task(key);
    if (!task)
        return;
    TForm7 window(this->window());
    m_host.prepareSecondary(window);
    window.fill(task->file, task->moment);
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return;
    QString error;
    const DueItems::Written written = items.changeTask(key, window.command(), window.moment(), &error);
    report(written, QStringLiteral("Не удалось сохранить изменения задачи:"), error);
    changedTo(key);
}

void TasksSection::BitBtn21Click()
{
    const qint64 key = currentKey();
    if (key == 0)
        return;
    {
        // The monitor must not run or delete this task while the user decides.
        const MonitorSwitch::Hold hold(m_monitor);
        if (!MessageBoxes::askYesNo(QStringLiteral("Предупреждение"),
                                    QStringLiteral("Вы действительно хотите удалить задачу?")))
            return;
        QString error;
        if (!DueItems(m_host.database()).removeTask(key, &error))
            MessageBoxes::errorBox(QStringLiteral("Не удалось удалить задачу:\r\n") + error);
    }
    changedTo(0);
}
