#include "planner_fixture.h"
#include "reminder_window.h"
#include "slides_page.h"
#include "smart_box.h"
#include "task_window.h"
#include "tea_window.h"
#include "test_main.h"

#include <QDateEdit>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

using Button = MessageBoxes::Button;

class TestPlannerSections : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_fixture = std::make_unique<PlannerFixture>();
        qunsetenv("WINDIR");
    }
    void cleanup()
    {
        m_fixture.reset();
        m_seams.reset();
        m_home.reset();
    }

    void sectionsShowTheirRowsInMomentOrder()
    {
        m_fixture->seedReminder(QStringLiteral("Поздно"), at(20, 18, 0));
        m_fixture->seedReminder(QStringLiteral("Рано"), at(19, 0, 0));
        m_fixture->seedTask(QStringLiteral("xterm"), QStringLiteral("xterm"), at(21, 9, 30));
        m_fixture->start();
        m_fixture->window->showSection(6);
        auto* grid = m_fixture->window->sectionBox("GroupBox5")->findChild<QTableView*>("DBGrid1");
        QVERIFY(grid && grid->isVisible());
        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Текст"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Дата"));
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Рано"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("19.03.2026"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("20.03.2026 18:00:00"));
        QVERIFY(!(model->flags(model->index(0, 0)) & Qt::ItemIsEditable));
        // Forty characters of the grid's font for the text.
        QCOMPARE(grid->columnWidth(0), grid->fontMetrics().averageCharWidth() * 40 + 12);

        m_fixture->window->showSection(5);
        auto* tasks = m_fixture->window->sectionBox("GroupBox6")->findChild<QTableView*>("DBGrid2");
        QVERIFY(tasks->isVisible());
        QCOMPARE(tasks->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Название"));
        QCOMPARE(tasks->model()->index(0, 1).data().toString(), QStringLiteral("21.03.2026 9:30:00"));
        QVERIFY(tasks->model()->flags(tasks->model()->index(0, 0)) & Qt::ItemIsEditable);
    }

    // Defaults store "Событие" today at 00:00, already past; the history
    // loses its repeats before the new text joins it.
    void addingAReminder()
    {
        m_fixture->start();
        QFile history(m_home->profileFolder() + QStringLiteral("/EvName.dic"));
        QVERIFY(history.open(QIODevice::WriteOnly));
        history.write("a\r\nb\r\na\r\nc\r\nb\r\na\r\n");
        history.close();

        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TForm5*>(window);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Добавить напоминание"));
            QCOMPARE(form->EvName->currentText(), QStringLiteral("Событие"));
            QCOMPARE(form->EvName->count(), 6);
            QCOMPARE(form->DtPicker->date(), QDate(2026, 3, 8));
            QCOMPARE(form->Edit1->text(), QStringLiteral("0"));
            QCOMPARE(form->Edit2->text(), QStringLiteral("0"));
            form->BitBtn1->click();
        });
        m_fixture->reminders()->BitBtn16->click();
        QCOMPARE(m_fixture->reminderLines(), QStringList{"Событие | 2026-03-08T00:00:00.000"});
        QVERIFY(history.open(QIODevice::ReadOnly));
        QCOMPARE(history.readAll(), QByteArray("a\r\nb\r\nc\r\nСобытие\r\n"));
        history.close();

        // A text longer than the column cannot be typed; the hour and minute
        // boxes keep themselves valid.
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TForm5*>(window);
            form->EvName->setEditText(QString(60, QLatin1Char('x')));
            QCOMPARE(form->EvName->currentText().size(), 50);
            form->Edit1->setText(QStringLiteral("99"));
            QCOMPARE(form->Edit1->text(), QStringLiteral("23"));
            form->UpDown1->up->click();
            QCOMPARE(form->Edit1->text(), QStringLiteral("23"));
            form->Edit1->setText(QStringLiteral("ч"));
            QCOMPARE(form->Edit1->text(), QStringLiteral("12"));
            form->Edit2->setText(QStringLiteral("75"));
            QCOMPARE(form->Edit2->text(), QStringLiteral("59"));
            form->Edit2->setText(QStringLiteral("m"));
            QCOMPARE(form->Edit2->text(), QStringLiteral("0"));
            form->UpDown2->down->click();
            QCOMPARE(form->Edit2->text(), QStringLiteral("0"));
            form->UpDown2->up->click();
            form->DtPicker->setDate(QDate(2026, 3, 10));
            form->BitBtn1->click();
        });
        m_fixture->reminders()->BitBtn16->click();
        QCOMPARE(m_fixture->reminderLines().last(),
                 QString(50, QLatin1Char('x')) + " | 2026-03-10T12:01:00.000");
        // Cancel stores nothing.
        m_seams->modals.scripts.enqueue(
            [](QDialog* window) { qobject_cast<TForm5*>(window)->BitBtn2->click(); });
        m_fixture->reminders()->BitBtn16->click();
        QCOMPARE(m_fixture->reminderLines().size(), 2);
    }

    // The change window shows the stored moment and writes to the reminder it
    // was opened for, whatever the monitor does to the rows meanwhile.
    void changingAReminderHoldsItsRow()
    {
        m_fixture->seedReminder(QStringLiteral("Первое"), at(8, 15, 0));
        const qint64 second = m_fixture->seedReminder(QStringLiteral("Второе"), at(9, 7, 5, 33));
        m_fixture->start();
        RemindersSection* section = m_fixture->reminders();
        // Nothing current was chosen: the first row is current.
        QCOMPARE(section->currentKey(), m_fixture->items().earliestReminder()->key);
        section->select(second);

        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* form = qobject_cast<TForm5*>(window);
            QCOMPARE(form->EvName->currentText(), QStringLiteral("Второе"));
            QCOMPARE(form->DtPicker->date(), QDate(2026, 3, 9));
            QCOMPARE(form->Edit1->text(), QStringLiteral("7"));
            QCOMPARE(form->Edit2->text(), QStringLiteral("5"));
            // The monitor puts the first reminder off behind this one.
            m_seams->clock.current = at(8, 15, 0);
            m_fixture->tick();
            form->EvName->setEditText(QStringLiteral("Второе, изменённое"));
            form->BitBtn1->click();
        });
        m_seams->modals.scripts.enqueue(
            [](QDialog* window) { qobject_cast<TForm9*>(window)->Button1->click(); });
        section->BitBtn18->click();
        QCOMPARE(m_fixture->reminderLines(), (QStringList{"Второе, изменённое | 2026-03-09T07:05:00.000",
                                                          "Первое | 2026-03-09T15:00:00.000"}));
        QCOMPARE(section->currentKey(), second);

        // The row is deleted while the window is open: nothing is written
        // over another row, and the user is told.
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            m_fixture->database().EventsTable.remove(second);
            qobject_cast<TForm5*>(window)->BitBtn1->click();
        });
        section->BitBtn18->click();
        QCOMPARE(m_fixture->reminderLines(), QStringList{"Первое | 2026-03-09T15:00:00.000"});
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.texts().first().startsWith(RemindersSection::kGoneMessage));
    }

    // Deleting keeps the monitor off while it asks, and on again after,
    // whatever the answer; an empty table asks nothing.
    void deletingStopsTheMonitorWhileItAsks()
    {
        m_fixture->start();
        RemindersSection* section = m_fixture->reminders();
        section->BitBtn17->click();
        section->BitBtn18->click();
        QVERIFY(m_seams->boxes.shown.isEmpty());
        QVERIFY(m_seams->modals.opened.isEmpty());

        m_fixture->seedReminder(QStringLiteral("Оставить"), at(20, 10, 0));
        const qint64 doomed = m_fixture->seedReminder(QStringLiteral("Удалить"), at(21, 10, 0));
        section->refresh();
        section->select(doomed);
        QList<bool> timerDuringQuestion;
        m_seams->boxes.onShow = [&](const MessageBoxes::Request& request) {
            QCOMPARE(request.text, QStringLiteral("Вы действительно хотите удалить напоминание?"));
            QCOMPARE(request.icon, MessageBoxes::Icon::Warning);
            timerDuringQuestion.append(m_fixture->Timer1()->isActive());
        };
        m_seams->boxes.answers << Button::No << Button::Yes;
        section->BitBtn17->click();
        QCOMPARE(m_fixture->reminderLines().size(), 2);
        QVERIFY(m_fixture->Timer1()->isActive());
        section->BitBtn17->click();
        QCOMPARE(m_fixture->reminderLines(), QStringList{"Оставить | 2026-03-20T10:00:00.000"});
        QVERIFY(m_fixture->Timer1()->isActive());
        QCOMPARE(timerDuringQuestion, (QList<bool>{false, false}));

        m_seams->boxes.onShow = [&](const MessageBoxes::Request& request) {
            QCOMPARE(request.title, QStringLiteral("Предупреждение"));
            QCOMPARE(request.text, QStringLiteral("Вы действительно хотите удалить задачу?"));
            timerDuringQuestion.append(m_fixture->Timer1()->isActive());
        };
        m_fixture->seedTask(QStringLiteral("a"), QStringLiteral("a"), at(20, 10, 0));
        m_fixture->tasks()->refresh();
        m_seams->boxes.answers << Button::Yes;
        m_fixture->tasks()->BitBtn21->click();
        QVERIFY(m_fixture->taskLines().isEmpty());
        QCOMPARE(timerDuringQuestion.size(), 3);
        QVERIFY(!timerDuringQuestion.last());
        QVERIFY(m_fixture->Timer1()->isActive());
    }

    // Defaults: the defragmentation command today at 12:00. A path picked
    // with "..." is kept whole in Имя файла and launched whole.
    void creatingTasks()
    {
        m_fixture->start();
        TasksSection* section = m_fixture->tasks();
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TForm7*>(window);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Добавить задачу Windows"));
            QVERIFY(form->RadioButton1->isChecked());
            QVERIFY(!form->Edit1->isEnabled());
            QCOMPARE(form->Edit2->text(), QStringLiteral("12"));
            QCOMPARE(form->Edit3->text(), QStringLiteral("0"));
            form->RadioButton3->click();
            QCOMPARE(form->Edit1->text(), QStringLiteral("C:\\Windows\\System32\\cleanmgr.exe"));
            form->RadioButton1->click();
            form->BitBtn1->click();
        });
        section->BitBtn2->click();
        QCOMPARE(m_fixture->taskLines(),
                 QStringList{"C:\\Windows\\System32\\dfrg.msc | C:\\Windows\\System32\\dfrg.msc | "
                             "2026-03-08T12:00:00.000"});

        const QString path =
            QStringLiteral("/usr/local/share/очень длинная папка с программами/запустить-всё.sh");
        m_seams->files.answers.enqueue(path);
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* form = qobject_cast<TForm7*>(window);
            // Own command: the last ready-made one stays, now editable, and
            // typing stops at 30 characters.
            form->RadioButton2->click();
            form->RadioButton4->click();
            QVERIFY(form->Edit1->isEnabled());
            QCOMPARE(form->Edit1->text(), QStringLiteral("C:\\Windows\\System32\\restore\\rstrui.exe"));
            form->Edit1->clear();
            QTest::keyClicks(form->Edit1, QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789"));
            QCOMPARE(form->Edit1->text(), QStringLiteral("abcdefghijklmnopqrstuvwxyz0123"));
            // A picked path may be longer.
            form->RadioButton1->click();
            form->Button1->click();
            QCOMPARE(form->Edit1->text(), path);
            QVERIFY(!form->Edit1->isEnabled());
            form->DateTimePicker1->setDate(QDate(2026, 3, 7));
            form->BitBtn1->click();
        });
        section->BitBtn2->click();
        QCOMPARE(m_seams->files.titles, QStringList{"Открыть"});
        QCOMPARE(m_fixture->taskLines().first(), path.left(50) + " | " + path + " | 2026-03-07T12:00:00.000");

        // A path longer than Имя файла can hold keeps the window open.
        m_seams->files.answers.enqueue(QLatin1Char('/') + QString(300, QLatin1Char('p')));
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TForm7*>(window);
            form->Button1->click();
            form->BitBtn1->click();
            QVERIFY(form->isVisible());
            form->BitBtn2->click();
        });
        section->BitBtn2->click();
        QCOMPARE(m_seams->boxes.titles(), QStringList{MessageBoxes::kErrorTitle});
        QCOMPARE(m_fixture->taskLines().size(), 2);

        // "Выполнить" runs Имя файла and keeps the task; the monitor then runs it whole.
        section->select(m_fixture->items().earliestTask()->key);
        section->BitBtn23->click();
        QCOMPARE(m_seams->shell.opened, QStringList{path});
        QCOMPARE(m_fixture->taskLines().size(), 2);
        m_seams->boxes.answers << Button::Yes;
        m_fixture->tick();
        QCOMPARE(m_seams->shell.opened, (QStringList{path, path}));
        QCOMPARE(m_fixture->taskLines().size(), 1);
    }

    // Edits in the grid go to the row's key: Название is what the monitor
    // then launches, while "Выполнить" still runs Имя файла.
    void editingTasksInTheGrid()
    {
        const qint64 key =
            m_fixture->seedTask(QStringLiteral("gedit"), QStringLiteral("gedit"), at(18, 18, 45));
        m_fixture->start();
        m_fixture->window->showSection(5);
        TasksSection* section = m_fixture->tasks();
        QTableView* grid = section->DBGrid2;

        const auto typeInto = [&](int column, const QString& text) {
            grid->setCurrentIndex(grid->model()->index(0, column));
            grid->edit(grid->currentIndex());
            auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
            QVERIFY(editor);
            editor->setText(text);
            QTest::keyClick(editor, Qt::Key_Return);
            // The grid writes the cell once the key has been handled, and
            // the section answers after that.
            QTRY_VERIFY(!grid->indexWidget(grid->currentIndex()));
            QTest::qWait(10);
        };
        typeInto(0, QString(70, QLatin1Char('n')));
        QCOMPARE(m_fixture->taskLines(),
                 QStringList{QString(50, QLatin1Char('n')) + " | gedit | 2026-03-18T18:45:00.000"});
        typeInto(0, QStringLiteral("mousepad"));
        typeInto(1, QStringLiteral("не дата"));
        QCOMPARE(m_seams->boxes.titles(), QStringList{MessageBoxes::kErrorTitle});
        typeInto(1, QStringLiteral("07.03.2026 9:15"));
        QCOMPARE(m_fixture->taskLines(), QStringList{"mousepad | gedit | 2026-03-07T09:15:00.000"});
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("07.03.2026 9:15:00"));

        section->BitBtn23->click();
        QCOMPARE(m_seams->shell.opened, QStringList{"gedit"});

        // The change window shows Имя файла as a command of the user's own.
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* form = qobject_cast<TForm7*>(window);
            QVERIFY(form->RadioButton4->isChecked());
            QVERIFY(form->Edit1->isEnabled());
            QCOMPARE(form->Edit1->text(), QStringLiteral("gedit"));
            QCOMPARE(form->Edit2->text(), QStringLiteral("9"));
            QCOMPARE(form->Edit3->text(), QStringLiteral("15"));
            form->BitBtn2->click();
        });
        section->BitBtn25->click();

        m_seams->boxes.answers << Button::Yes;
        m_fixture->tick();
        QCOMPARE(m_seams->shell.opened, (QStringList{"gedit", "mousepad"}));

        // A cell edited after the monitor took its row: nothing is written.
        const qint64 other =
            m_fixture->seedTask(QStringLiteral("xterm"), QStringLiteral("xterm"), at(20, 8, 0));
        section->refresh();
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("xterm"));
        QVERIFY(m_fixture->database().TasksTable.remove(other));
        typeInto(0, QStringLiteral("kate"));
        QVERIFY(m_fixture->taskLines().isEmpty());
        QVERIFY(m_seams->boxes.texts().last().startsWith(TasksSection::kGoneMessage));
        QVERIFY(key != other);
    }

    // A scheme with a large font: every window makes room, no caption is cut.
    void windowsMakeRoomForALargeFont()
    {
        m_fixture->start();
        RegistryStore registry(RegistryStore::defaultPath());
        TForm5 reminder(registry);
        TForm7 task;
        TForm9 popup;
        TTeaForm kettle;
        for (SkinnedDialog* window : QList<SkinnedDialog*>{&reminder, &task, &popup, &kettle}) {
            m_fixture->window->prepareSecondary(*window);
            window->Font1.setPixelSize(24);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QVERIFY(window->width() >= 400);
            const QList<QWidget*> parts = window->findChildren<QWidget*>();
            for (QWidget* part : parts) {
                auto* label = qobject_cast<QLabel*>(part);
                auto* button = qobject_cast<QAbstractButton*>(part);
                // Arrow buttons carry no text.
                if ((label && !label->wordWrap()) || (button && !button->text().isEmpty()) ||
                    qobject_cast<QDateEdit*>(part))
                    QVERIFY2(part->width() >= part->sizeHint().width(),
                             qPrintable(window->objectName() + QLatin1Char('.') + part->objectName()));
            }
            window->close();
        }
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<PlannerFixture> m_fixture;
};

QUILL_TEST_MAIN(TestPlannerSections)
#include "tst_planner_sections.moc"
