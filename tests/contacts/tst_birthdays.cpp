#include "birthday_window.h"
#include "book_fixture.h"
#include "test_main.h"

#include <QApplication>
#include <QLabel>

namespace {
Contact reminded(const QString& surname, const QDate& birthday, bool remind = true)
{
    Contact made = BookFixture::contact(surname, "Анна", "Сергеевна");
    made.birthday = birthday.startOfDay();
    made.remind = remind;
    return made;
}
} // namespace

class TestBirthdays : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_book = std::make_unique<BookFixture>();
    }
    void cleanup()
    {
        m_book.reset();
        m_seams.reset();
        m_home.reset();
    }

    void dueWithinTheComingWeek_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("birthday");
        QTest::addColumn<bool>("due");
        QTest::newRow("today") << QDate(2026, 6, 22) << QDate(1980, 6, 22) << true;
        QTest::newRow("in 7 days") << QDate(2026, 6, 15) << QDate(1980, 6, 22) << true;
        QTest::newRow("in 8 days") << QDate(2026, 6, 14) << QDate(1980, 6, 22) << false;
        QTest::newRow("yesterday") << QDate(2026, 6, 23) << QDate(1980, 6, 22) << false;
        QTest::newRow("across new year") << QDate(2026, 12, 28) << QDate(1990, 1, 2) << true;
        QTest::newRow("new year's eve to 7 January") << QDate(2026, 12, 31) << QDate(1990, 1, 7) << true;
        QTest::newRow("29 February on 28 February") << QDate(2027, 2, 28) << QDate(1980, 2, 29) << true;
        QTest::newRow("29 February a week ahead") << QDate(2027, 2, 21) << QDate(1980, 2, 29) << true;
        QTest::newRow("29 February passed on 1 March") << QDate(2027, 3, 1) << QDate(1980, 2, 29) << false;
        QTest::newRow("29 February in a leap year") << QDate(2028, 2, 29) << QDate(1980, 2, 29) << true;
        QTest::newRow("no date of birth") << QDate(2026, 12, 30) << QDate() << false;
    }
    void dueWithinTheComingWeek()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, birthday);
        QFETCH(bool, due);
        QCOMPARE(Birthdays::isDue(birthday, today), due);
    }

    void startupAnnouncesEachContactDueBeforeTheWindowShows()
    {
        m_seams->clock.current = QDateTime(QDate(2026, 12, 28), QTime(9, 0));
        m_book->seed({reminded("Первая", QDate(1985, 12, 28)),
                      reminded("Выключена", QDate(1985, 12, 29), false),
                      reminded("Вторая", QDate(1990, 1, 2)), reminded("Прошедшая", QDate(1990, 12, 27)),
                      reminded("Далёкая", QDate(1990, 1, 5))});
        // Rows the editor would never write: no date at all, and a date that does not read.
        m_book->exec(
            QStringLiteral("INSERT INTO \"Адресная книга\" (\"Фамилия\", \"Напоминать\") VALUES (?, 1)"),
            {QStringLiteral("Пустая")});
        m_book->exec(
            QStringLiteral("INSERT INTO \"Адресная книга\" (\"Фамилия\", \"Дата рождения\", \"Напоминать\") "
                           "VALUES (?, ?, 1)"),
            {QStringLiteral("Испорченная"), QStringLiteral("не дата")});
        m_book->seed({reminded("Третья", QDate(2000, 12, 31))});

        QStringList announced;
        const auto record = [&](QDialog* window) {
            auto* form = qobject_cast<TBirthDayForm*>(window);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Напоминание о Дне Рождения"));
            QCOMPARE(form->size(), QSize(390, 105));
            QCOMPARE(form->Label1->text(), QStringLiteral("День Рождения !"));
            QCOMPARE(form->Label3->text(), QStringLiteral("Сегодня:"));
            announced.append(form->InitialLabel->text() + " | " + form->DayLabel->text() + " | " +
                             form->DataLabel->text());
            // The main window is not shown yet.
            for (QWidget* top : QApplication::topLevelWidgets())
                QVERIFY(!(qobject_cast<TForm1*>(top) && top->isVisible()));
            form->Button1->click();
            QVERIFY(!form->isVisible());
        };
        for (int i = 0; i < 3; ++i)
            m_seams->modals.scripts.enqueue(record);
        m_book->start();
        QCOMPARE(announced, (QStringList{"Первая Анна Сергеевна | 28.12 | 28.12.1985",
                                         "Вторая Анна Сергеевна | 28.12 | 02.01.1990",
                                         "Третья Анна Сергеевна | 28.12 | 31.12.2000"}));
        QCOMPARE(m_seams->modals.opened, QStringList(3, "TBirthDayForm"));
        QVERIFY(m_seams->boxes.shown.isEmpty());
        // The start-up went on past the bad rows: every contact is listed.
        QCOMPARE(m_book->ListBox2()->count(), 8);
    }

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<BookFixture> m_book;
};

QUILL_TEST_MAIN(TestBirthdays)
#include "tst_birthdays.moc"
