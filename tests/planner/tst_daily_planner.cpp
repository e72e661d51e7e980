#include "calendar_section.h"
#include "daily_planner_page.h"
#include "main_window.h"
#include "note_editor.h"
#include "registry_store.h"
#include "reminders_section.h"
#include "schedule.h"
#include "scripted_seams.h"
#include "sections.h"
#include "settings.h"
#include "tasks_section.h"
#include "test_home.h"
#include "test_main.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>

namespace {

const QDate kNewYear(2011, 1, 1);

QDateTime at(const QDate& day, int hour, int minute = 0, int second = 0, int ms = 0)
{
    return QDateTime(day, QTime(hour, minute, second, ms));
}

} // namespace

class TestDailyPlanner : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_seams->clock.current = at(kNewYear, 10, 30);
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
        m_registry->writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
        m_window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(m_window->startedUp());
        m_window->show();
        m_window->Timer1Timer();
    }
    void cleanup()
    {
        m_window.reset();
        m_registry.reset();
        m_seams.reset();
        m_home.reset();
    }

    void thePageNamesTheDayAndListsItsItems()
    {
        // Built at the end of start-up, with the day of the clock.
        QVERIFY(m_window->sectionBox("EveryDay")->isVisible());
        QCOMPARE(label("Label30"), QStringLiteral("Сегодня: 1 января 2011 года"));
        QCOMPARE(label("Label31"), QStringLiteral("Суббота"));
        QCOMPARE(events()->headerItem()->text(0), QStringLiteral("Тип"));
        QCOMPARE(events()->headerItem()->text(1), QStringLiteral("Наименование"));
        QCOMPARE(events()->topLevelItemCount(), 0);

        addReminder("Вечером в театр", at(kNewYear, 18));
        addReminder("Завтра", at(kNewYear.addDays(1), 9));
        addReminder("Вчера поздно", at(kNewYear.addDays(-1), 23, 59, 59, 999));
        addReminder("Утром позвонить", at(kNewYear, 9));
        addReminder("В полночь", at(kNewYear, 0));
        addTask("/usr/bin/backup", at(kNewYear, 12));
        addTask("Завтрашняя", at(kNewYear.addDays(1), 0));
        addTask("Ранняя задача", at(kNewYear, 6));

        // A snapshot: nothing changes until the page is built again.
        QCOMPARE(events()->topLevelItemCount(), 0);
        chooseNode("Ежедневник");
        QCOMPARE(rows(), (QStringList{"Напоминание|В полночь", "Напоминание|Утром позвонить",
                                      "Напоминание|Вечером в театр", "Задача|Ранняя задача",
                                      "Задача|/usr/bin/backup"}));
        // The moment as text: no time at midnight.
        QCOMPARE(events()->topLevelItem(0)->toolTip(0), QStringLiteral("01.01.2011"));
        QCOMPARE(events()->topLevelItem(1)->toolTip(0), QStringLiteral("01.01.2011 9:00:00"));

        // Another day, another page; a handled reminder is gone after a rebuild.
        m_seams->clock.current = at(QDate(2010, 12, 8), 8);
        m_window->showSection(Sections::kEveryDay);
        QCOMPARE(label("Label30"), QStringLiteral("Сегодня: 8 декабря 2010 года"));
        QCOMPARE(label("Label31"), QStringLiteral("Среда"));
        QCOMPARE(events()->topLevelItemCount(), 0);
        m_seams->clock.current = at(QDate(2010, 12, 31), 8);
        m_window->showSection(Sections::kEveryDay);
        QCOMPARE(rows(), QStringList{"Напоминание|Вчера поздно"});
        QCOMPARE(label("Label30"), QStringLiteral("Сегодня: 31 декабря 2010 года"));
        QCOMPARE(label("Label31"), QStringLiteral("Пятница"));
        m_window->database().EventsTable.remove(
            m_window->database().EventsTable.first({"Текст", "Вчера поздно"})->key);
        m_window->showSection(Sections::kEveryDay);
        QCOMPARE(events()->topLevelItemCount(), 0);
    }

    void aDoubleClickMakesTheRowCurrentInTheRealGrids()
    {
        addReminder("Позвонить", at(kNewYear, 9));
        const qint64 letter = addReminder("Письмо", at(kNewYear, 11));
        const qint64 task = addTask("backup.sh", at(kNewYear, 12));
        m_window->showSection(Sections::kEveryDay);
        doubleClickRow(1);
        QCOMPARE(m_window->currentSection(), int(Sections::kReminders));
        QCOMPARE(m_window->schedule()->reminders()->currentKey(), letter);
        m_window->showSection(Sections::kEveryDay);
        doubleClickRow(2);
        QCOMPARE(m_window->currentSection(), int(Sections::kTasks));
        QCOMPARE(m_window->schedule()->tasks()->currentKey(), task);
    }

    void aDoubleClickOpensTheRowInItsSection()
    {
        const qint64 first = addReminder("Позвонить", at(kNewYear, 9));
        const qint64 letter = addReminder("Письмо", at(kNewYear, 11));
        addReminder("Позвонить", at(kNewYear, 15));
        const qint64 task = addTask("backup.sh", at(kNewYear, 12));
        QList<QPair<int, qint64>> asked;
        m_window->plannerPage()->selectRow = [&asked](int section, qint64 key) {
            asked.append({section, key});
        };
        m_window->showSection(Sections::kEveryDay);
        QCOMPARE(rows(), (QStringList{"Напоминание|Позвонить", "Напоминание|Письмо", "Напоминание|Позвонить",
                                      "Задача|backup.sh"}));

        doubleClickRow(1);
        QCOMPARE(m_window->currentSection(), int(Sections::kReminders));
        QVERIFY(m_window->sectionBox("GroupBox5")->isVisible());
        QCOMPARE(asked, (QList<QPair<int, qint64>>{{6, letter}}));

        // Either of two equal texts selects the earlier one.
        m_window->showSection(Sections::kEveryDay);
        doubleClickRow(2);
        m_window->showSection(Sections::kEveryDay);
        doubleClickRow(0);
        QCOMPARE(asked.mid(1), (QList<QPair<int, qint64>>{{6, first}, {6, first}}));

        m_window->showSection(Sections::kEveryDay);
        doubleClickRow(3);
        QCOMPARE(m_window->currentSection(), int(Sections::kTasks));
        QCOMPARE(asked.last(), (QPair<int, qint64>{5, task}));

        // A row that is gone by the time of the click opens nothing.
        m_window->showSection(Sections::kEveryDay);
        m_window->database().EventsTable.remove(letter);
        doubleClickRow(1);
        QCOMPARE(m_window->currentSection(), int(Sections::kEveryDay));
        QCOMPARE(asked.size(), 4);
    }

    void theCalendarWritesTheDayNote()
    {
        // Another day's note is not today's.
        QVERIFY(
            m_window->database().MarksTable.insert({{"Название", "#!31.12.2010"}, {"Содержание", "вчера"}}));
        m_window->showSection(Sections::kEveryDay);
        QCOMPARE(dayMark(), QString());

        chooseNode("Календарь");
        QCalendarWidget* calendar = m_window->findChild<QCalendarWidget*>("MonthCalendar1");
        QVERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), kNewYear);

        QString shownName;
        bool nameLocked = false;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            shownName = editor->Edit1->text();
            nameLocked = !editor->Edit1->isEnabled();
            QCOMPARE(editor->windowTitle(), QStringLiteral("Добавить заметку"));
            QCOMPARE(editor->RichEdit1->toPlainText(), QString());
            editor->RichEdit1->setPlainText("Поздравить всех\nс Новым годом");
            QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        });
        clickDay(kNewYear);
        QCOMPARE(shownName, QStringLiteral("#!01.01.2011"));
        QVERIFY(nameLocked);
        QCOMPARE(m_window->statusMessage(), QStringLiteral("Заметка создана."));
        QCOMPARE(dayNotes("#!01.01.2011"), QStringList{"Поздравить всех\r\nс Новым годом"});

        // The planner shows it once its page is built again.
        m_window->showSection(Sections::kEveryDay);
        QCOMPARE(dayMark(), QStringLiteral("Поздравить всех\nс Новым годом"));

        // The same day again: the stored text in the editor, and OK replaces it.
        chooseNode("Календарь");
        QString shownText;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            shownText = editor->RichEdit1->toPlainText();
            editor->RichEdit1->setPlainText("Только поздравить");
            QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        });
        clickDay(kNewYear);
        QCOMPARE(shownText, QStringLiteral("Поздравить всех\nс Новым годом"));
        QCOMPARE(dayNotes("#!01.01.2011"), QStringList{"Только поздравить"});

        // Cancel keeps it; an empty text is stored as an empty note.
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            editor->RichEdit1->clear();
            QTest::mouseClick(editor->BitBtn2, Qt::LeftButton);
        });
        clickDay(kNewYear);
        QCOMPARE(dayNotes("#!01.01.2011"), QStringList{"Только поздравить"});
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            editor->RichEdit1->clear();
            QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        });
        clickDay(QDate(2011, 1, 20));
        QCOMPARE(dayNotes("#!01.01.2011"), QStringList{"Только поздравить"});
        QCOMPARE(dayNotes("#!20.01.2011"), QStringList{QString()});

        // A month arrow counts as a click on the day selected at that moment.
        m_seams->modals.scripts.enqueue(
            [&shownName](QDialog* window) { shownName = qobject_cast<TForm3*>(window)->Edit1->text(); });
        QTest::mouseClick(calendar->findChild<QToolButton*>("qt_calendar_nextmonth"), Qt::LeftButton);
        QCOMPARE(calendar->monthShown(), 2);
        // The selection turns with the page, to the same day of the new month.
        QCOMPARE(shownName, QStringLiteral("#!20.02.2011"));
        QCOMPARE(calendar->selectedDate(), QDate(2011, 2, 20));
        QCOMPARE(m_seams->modals.opened.size(), 5);
        // A click on a day of the new page opens that day.
        m_seams->modals.scripts.enqueue(
            [&shownName](QDialog* window) { shownName = qobject_cast<TForm3*>(window)->Edit1->text(); });
        clickDay(QDate(2011, 2, 5));
        QCOMPARE(shownName, QStringLiteral("#!05.02.2011"));
        // Back past a shorter month: the last day of it.
        calendar->setSelectedDate(QDate(2011, 3, 31));
        m_seams->modals.scripts.enqueue(
            [&shownName](QDialog* window) { shownName = qobject_cast<TForm3*>(window)->Edit1->text(); });
        QTest::mouseClick(calendar->findChild<QToolButton*>("qt_calendar_prevmonth"), Qt::LeftButton);
        QCOMPARE(shownName, QStringLiteral("#!28.02.2011"));
        QCOMPARE(m_seams->modals.opened.size(), 7);

        // Showing the calendar again goes back to today; the day with a note stands out.
        m_window->showSection(Sections::kCalendar);
        QCOMPARE(calendar->selectedDate(), kNewYear);
        QCOMPARE(calendar->dateTextFormat(QDate(2011, 1, 20)).fontWeight(), int(QFont::Bold));
        QVERIFY(calendar->dateTextFormat(QDate(2011, 1, 21)).fontWeight() < QFont::Bold);
    }

    void aFailedDayNoteWriteKeepsTheOldText()
    {
        QVERIFY(
            m_window->database().MarksTable.insert({{"Название", "#!01.01.2011"}, {"Содержание", "старый"}}));
        // The write fails by the connection going away under it.
        m_window->showSection(Sections::kCalendar);
        m_seams->modals.scripts.enqueue([this](QDialog* window) {
            auto* editor = qobject_cast<TForm3*>(window);
            QCOMPARE(editor->RichEdit1->toPlainText(), QStringLiteral("старый"));
            editor->RichEdit1->setPlainText("новый");
            QSqlQuery(m_window->database().BigBd())
                .exec("CREATE TRIGGER refuse BEFORE INSERT ON \"Заметки\" BEGIN SELECT RAISE(ABORT, 'no'); "
                      "END");
            QTest::mouseClick(editor->BitBtn1, Qt::LeftButton);
        });
        clickDay(kNewYear);
        QCOMPARE(m_seams->boxes.shown.size(), 1);
        QVERIFY(m_seams->boxes.shown[0].text.startsWith(
            QStringLiteral("При попытке выполнить данное действие возникла исключительная ситуация!")));
        QVERIFY(m_window->statusMessage() != QStringLiteral("Заметка создана."));
        QCOMPARE(dayNotes("#!01.01.2011"), QStringList{"старый"});
        m_window->showSection(Sections::kEveryDay);
        QCOMPARE(dayMark(), QStringLiteral("старый"));
    }

private:
    QString label(const char* name) const { return m_window->findChild<QLabel*>(name)->text(); }
    QTreeWidget* events() const { return m_window->findChild<QTreeWidget*>("DayEvents"); }
    QString dayMark() const { return m_window->findChild<QPlainTextEdit*>("DayMark")->toPlainText(); }
    QStringList rows() const
    {
        QStringList shown;
        for (int row = 0; row < events()->topLevelItemCount(); ++row)
            shown.append(events()->topLevelItem(row)->text(0) + "|" + events()->topLevelItem(row)->text(1));
        return shown;
    }
    QStringList dayNotes(const QString& name) const
    {
        QStringList texts;
        for (const auto& row : m_window->database().MarksTable.rows({"Название", name}))
            texts.append(row.value("Содержание").toString());
        return texts;
    }
    qint64 addReminder(const QString& text, const QDateTime& moment)
    {
        qint64 key = 0;
        m_window->database().EventsTable.insert({{"Текст", text}, {"Дата", moment}}, &key);
        return key;
    }
    qint64 addTask(const QString& name, const QDateTime& moment)
    {
        qint64 key = 0;
        m_window->database().TasksTable.insert({{"Название", name}, {"Дата", moment}, {"Тип", "Программа"}},
                                               &key);
        return key;
    }
    void chooseNode(const QString& caption)
    {
        m_window->TreeView1->setCurrentItem(nullptr);
        const auto found = m_window->TreeView1->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!found.isEmpty());
        m_window->TreeView1->setCurrentItem(found.first());
    }
    void doubleClickRow(int row)
    {
        QApplication::processEvents();
        const QRect cell = events()->visualItemRect(events()->topLevelItem(row));
        // As a real double click: the first click, then the second.
        QTest::mouseClick(events()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(events()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // Clicks the day's cell of the month on show: days up to 14 are the first
    // cell with that number, later days the last one.
    void clickDay(const QDate& day)
    {
        auto* calendar = m_window->findChild<QCalendarWidget*>("MonthCalendar1");
        auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
        QVERIFY(view);
        QModelIndex target;
        for (int row = 1; row < view->model()->rowCount(); ++row) {
            for (int column = 0; column < view->model()->columnCount(); ++column) {
                const QModelIndex cell = view->model()->index(row, column);
                if (cell.data().toInt() == day.day() && (day.day() > 14 || !target.isValid()))
                    target = cell;
            }
        }
        QVERIFY(target.isValid());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(target).center());
        QCOMPARE(calendar->selectedDate(), day);
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
};

QUILL_TEST_MAIN(TestDailyPlanner)
#include "tst_daily_planner.moc"
