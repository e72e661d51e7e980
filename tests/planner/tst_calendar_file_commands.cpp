#include "dates_import_window.h"
#include "icalendar_file.h"
#include "planner_fixture.h"
#include "test_main.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

QByteArray calendar(const QByteArray& items)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\n" + items + "END:VCALENDAR\r\n";
}

QByteArray vevent(const char* uid, const QString& summary, const char* start)
{
    return QByteArray("BEGIN:VEVENT\r\nUID:") + uid + "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:" + start +
           "\r\nSUMMARY:" + summary.toUtf8() + "\r\nEND:VEVENT\r\n";
}

} // namespace

// The iCalendar commands of the reminders section, driven through the real
// windows; the clock stands at 8 March 2026, 14:20:05.
class TestCalendarFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_planner = std::make_unique<PlannerFixture>();
    }
    void cleanup()
    {
        m_planner.reset();
        m_seams.reset();
        m_home.reset();
    }

    void importOffersTheFilesItemsWithThePastOnesUnticked()
    {
        m_planner->start();
        m_planner->window->showSection(6);
        auto* button = m_planner->window->findChild<QPushButton*>("CalendarButton");
        QVERIFY(button && button->menu() && !button->toolTip().isEmpty());

        const QString path =
            write("phone.ics", calendar(vevent("1", QStringLiteral("Прошлая встреча"), "20260301T100000") +
                                        vevent("2", QStringLiteral("Концерт"), "20260320T190000") +
                                        "BEGIN:VTODO\r\nUID:3\r\nDTSTAMP:20260101T000000Z\r\n"
                                        "SUMMARY:Когда-нибудь\r\nEND:VTODO\r\n"));
        m_seams->files.answers.enqueue(path);
        QStringList shown;
        QString skipped;
        m_seams->modals.scripts.enqueue([&](QDialog* window) {
            auto* offer = qobject_cast<DatesImportWindow*>(window);
            QVERIFY(offer);
            QCOMPARE(offer->windowTitle(), QStringLiteral("Импорт напоминаний"));
            for (int i = 0; i < offer->DatesList->count(); ++i)
                shown.append(offer->DatesList->item(i)->text() + QStringLiteral(" ") +
                             (offer->DatesList->item(i)->checkState() == Qt::Checked ? "[x]" : "[ ]"));
            skipped = offer->SkippedBox->toPlainText();
            offer->BitBtn1->click();
        });
        action("ImportICalendarAction")->trigger();
        QCOMPARE(m_seams->modals.opened, QStringList({QStringLiteral("DatesImportWindow")}));
        QCOMPARE(shown,
                 QStringList({QStringLiteral("01.03.2026 10:00:00  —  Прошлая встреча  (уже прошло) [ ]"),
                              QStringLiteral("20.03.2026 19:00:00  —  Концерт [x]")}));
        QCOMPARE(skipped, QStringLiteral("«Когда-нибудь»: у задачи нет даты"));
        QCOMPARE(m_planner->reminderLines(),
                 QStringList({QStringLiteral("Концерт | 2026-03-20T19:00:00.000")}));
        QCOMPARE(m_seams->boxes.shown.last().title, QStringLiteral("Успех"));
        QCOMPARE(m_seams->boxes.shown.last().text, QStringLiteral("Добавлено напоминаний: 1."));
        // The grid shows the new row at once.
        QCOMPARE(m_planner->reminders()->DBGrid1->model()->rowCount(), 1);

        // Everything ticked, then the window cancelled: nothing more is written.
        m_seams->files.answers.enqueue(path);
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* offer = qobject_cast<DatesImportWindow*>(window);
            offer->SelectAllButton->click();
            QCOMPARE(offer->chosen().size(), 2);
            offer->BitBtn2->click();
        });
        action("ImportICalendarAction")->trigger();
        QCOMPARE(m_planner->reminderLines().size(), 1);

        // Everything ticked and taken: the past one too.
        m_seams->files.answers.enqueue(path);
        m_seams->modals.scripts.enqueue([](QDialog* window) {
            auto* offer = qobject_cast<DatesImportWindow*>(window);
            offer->SelectAllButton->click();
            offer->BitBtn1->click();
        });
        action("ImportICalendarAction")->trigger();
        QCOMPARE(m_planner->reminderLines().size(), 3);
        QCOMPARE(m_seams->boxes.shown.last().text, QStringLiteral("Добавлено напоминаний: 2."));
    }

    void badFilesAreReportedAndWriteNothing()
    {
        m_planner->start();
        m_planner->window->showSection(6);
        m_seams->files.answers.enqueue(write("card.ics", "BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n"));
        m_seams->files.answers.enqueue(
            write("bytes.ics", "BEGIN:VCALENDAR\r\n\xFF\xFE\xC3\r\nEND:VCALENDAR\r\n"));
        m_seams->files.answers.enqueue(
            write("nothing.ics", calendar("BEGIN:VTODO\r\nUID:1\r\nDTSTAMP:20260101T000000Z\r\n"
                                          "SUMMARY:Без срока\r\nEND:VTODO\r\n")));
        for (int i = 0; i < 3; ++i)
            action("ImportICalendarAction")->trigger();
        QCOMPARE(m_seams->boxes.shown.size(), 3);
        QCOMPARE(m_seams->boxes.shown[0].title, MessageBoxes::kErrorTitle);
        QVERIFY(m_seams->boxes.shown[0].text.contains(QStringLiteral("не является файлом iCalendar")));
        QVERIFY(m_seams->boxes.shown[1].text.contains(QStringLiteral("UTF-8")));
        QCOMPARE(m_seams->boxes.shown[2].title, QStringLiteral("Импорт напоминаний"));
        QVERIFY(m_seams->boxes.shown[2].text.contains(QStringLiteral("«Без срока»: у задачи нет даты")));
        QVERIFY(m_seams->modals.opened.isEmpty());
        QVERIFY(m_planner->reminderLines().isEmpty());
    }

    void exportWritesRemindersTasksAndBirthdays()
    {
        m_planner->seedReminder(QStringLiteral("Позвонить"), at(10, 9, 30));
        m_planner->seedTask(QStringLiteral("backup"), QStringLiteral("backup"), at(11, 12, 0));
        m_planner->start();
        m_planner->window->showSection(6);
        m_seams->files.answers.enqueue(m_home->path() + "/dates");
        action("ExportICalendarAction")->trigger();
        const QString path = m_home->path() + "/dates.ics";
        QCOMPARE(m_seams->boxes.shown.last().text,
                 QStringLiteral("Сохранено напоминаний: 1, задач: 1, дней рождения: 0.\r\n") + path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const ICalendarFile::ReadResult read = ICalendarFile::read(file.readAll(), at(8, 0, 0));
        QCOMPARE(read.found.size(), 2);
        QCOMPARE(read.found[0].text, QStringLiteral("Позвонить"));
        QCOMPARE(read.found[0].moment, at(10, 9, 30));

        m_seams->files.answers.enqueue(m_home->path() + "/no/such/folder/x.ics");
        action("ExportICalendarAction")->trigger();
        QCOMPARE(m_seams->boxes.shown.last().title, MessageBoxes::kErrorTitle);
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(QStringLiteral("Файл календаря не сохранён.")));
    }

private:
    QAction* action(const char* name) const
    {
        auto* found = m_planner->window->findChild<QAction*>(QLatin1String(name));
        if (!found)
            qFatal("no action %s", name);
        return found;
    }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = m_home->path() + QLatin1Char('/') + name;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<PlannerFixture> m_planner;
};

QUILL_TEST_MAIN(TestCalendarFileCommands)
#include "tst_calendar_file_commands.moc"
