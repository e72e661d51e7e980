#include "diary_section.h"
#include "key_record.h"
#include "main_window.h"
#include "master_key.h"
#include "master_password_window.h"
#include "profile_backup.h"
#include "profile_database.h"
#include "record_cipher.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "sealed_value.h"
#include "sections.h"
#include "settings.h"
#include "test_home.h"
#include "test_main.h"
#include "tray_icon.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <memory>

namespace {

const QDate kToday(2026, 3, 8);

struct Page
{
    QString date;
    QString text;
    bool operator==(const Page&) const = default;
};

ScriptedModals::Script answerSetUp(const QString& password, bool ok = true, QStringList* seen = nullptr)
{
    return [=](QDialog* window) {
        auto* form = qobject_cast<TForm12*>(window);
        QVERIFY(form);
        if (seen)
            *seen << form->windowTitle() << form->Label1->text();
        form->Edit1->setText(password);
        form->Edit2->setText(password);
        QTest::mouseClick(ok ? form->Button1 : form->Button2, Qt::LeftButton);
    };
}

QString cipher(const QString& text, const QString& key)
{
    return *RecordCipher::CipherText(text, key);
}

} // namespace

class TestDiary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { KeyRecord::setPassesForTests(2); }
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_seams = std::make_unique<TestSeams>();
        m_seams->clock.current = QDateTime(kToday, QTime(10, 0));
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
        m_registry->writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
        startWindow();
    }
    void cleanup()
    {
        TrayIcon::setAvailableForTests(std::nullopt);
        m_window.reset();
        m_registry.reset();
        m_seams.reset();
        m_home.reset();
    }

    void pagesAreWrittenOnePerDay()
    {
        // First start: unlocked, today's page empty, the label names today.
        QVERIFY(!diary()->isLocked());
        QCOMPARE(diary()->Label19->text(), QStringLiteral("Запись на 08.03.2026"));
        QCOMPARE(diary()->DiaryRecord->toPlainText(), QString());
        QCOMPARE(diary()->MonthCalendar2->selectedDate(), kToday);
        QCOMPARE(diary()->Button14->text(), QStringLiteral("Заблокировать"));

        // Saving twice on one day keeps one page with the last text.
        diary()->DiaryRecord->setPlainText("Первая строка\nвторая");
        click(diary()->Button16);
        diary()->DiaryRecord->setPlainText("Сегодня было 'тепло'\nи солнечно");
        click(diary()->Button16);
        QCOMPARE(pages(), (QList<Page>{{"2026-03-08T00:00:00.000", "Сегодня было 'тепло'\r\nи солнечно"}}));

        // Another day shows its own (empty) page; coming back shows the saved text.
        diary()->MonthCalendar2->setSelectedDate(kToday.addDays(1));
        QCOMPARE(diary()->Label19->text(), QStringLiteral("Запись на 09.03.2026"));
        QCOMPARE(diary()->DiaryRecord->toPlainText(), QString());
        diary()->MonthCalendar2->setSelectedDate(kToday);
        QCOMPARE(diary()->DiaryRecord->toPlainText(), QStringLiteral("Сегодня было 'тепло'\nи солнечно"));

        // Clearing asks first; on a day without a page it makes an empty one.
        diary()->MonthCalendar2->setSelectedDate(kToday.addDays(2));
        diary()->DiaryRecord->setPlainText("не сохранено");
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::No);
        click(diary()->Button17);
        QCOMPARE(m_seams->boxes.shown.last().title, QStringLiteral("Уведомление"));
        QCOMPARE(m_seams->boxes.shown.last().text,
                 QStringLiteral("Вы действительно хотите очистить эту страницу дневника?"));
        QCOMPARE(m_seams->boxes.shown.last().icon, MessageBoxes::Icon::Warning);
        QCOMPARE(pages().size(), 1);
        m_seams->boxes.answers.enqueue(MessageBoxes::Button::Yes);
        click(diary()->Button17);
        QCOMPARE(diary()->DiaryRecord->toPlainText(), QString());
        QCOMPARE(pages().last(), (Page{"2026-03-10T00:00:00.000", ""}));
        QCOMPARE(pages().size(), 2);

        // Coming back to the section after picking another day: the calendar,
        // the label and the text are today's again, and a save writes today.
        m_window->showSection(Sections::kNotes);
        m_window->showSection(Sections::kDiary);
        QCOMPARE(diary()->MonthCalendar2->selectedDate(), kToday);
        QCOMPARE(diary()->Label19->text(), QStringLiteral("Запись на 08.03.2026"));
        QCOMPARE(diary()->DiaryRecord->toPlainText(), QStringLiteral("Сегодня было 'тепло'\nи солнечно"));

        // A page at another time of the day is still that day's page.
        QSqlQuery add(m_window->database().BigBd());
        add.exec("INSERT INTO \"Дневник\" VALUES ('2026-03-12T13:45:00.000', 'днём')");
        diary()->MonthCalendar2->setSelectedDate(QDate(2026, 3, 12));
        QCOMPARE(diary()->DiaryRecord->toPlainText(), QStringLiteral("днём"));
        diary()->DiaryRecord->setPlainText("днём и вечером");
        click(diary()->Button16);
        QCOMPARE(pages().size(), 3);
        QCOMPARE(pages().last().text, QStringLiteral("днём и вечером"));
    }

    void thePageTakesNoMoreThan1700Characters()
    {
        QPlainTextEdit* record = diary()->DiaryRecord;
        record->setFocus();
        record->setPlainText(QString(1698, QChar(u'д')));
        record->moveCursor(QTextCursor::End);
        for (const QChar letter : QStringLiteral("абв"))
            QTest::sendKeyEvent(QTest::KeyAction::Click, record, Qt::Key_unknown, letter, Qt::NoModifier);
        QCOMPARE(record->toPlainText().size(), 1700);
        QVERIFY(record->toPlainText().endsWith("аб"));
        QTest::keyClick(record, Qt::Key_Return);
        QCOMPARE(record->toPlainText().size(), 1700);
        // Pasting takes only what fits.
        record->setPlainText(QString(1690, QChar(u'д')));
        record->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(QString(40, QChar(u'ё')));
        record->paste();
        QCOMPARE(record->toPlainText().size(), 1700);
        // Typing over a selection replaces it.
        record->selectAll();
        QTest::keyClick(record, Qt::Key_Z);
        QCOMPARE(record->toPlainText(), QStringLiteral("z"));
    }

    void lockingEnciphersEveryPageAndUnlockingBringsItBack()
    {
        const QList<Page> plain = writePages({{kToday, "Дорогой дневник! Ёжик, щука, «кавычки»."},
                                              {kToday.addDays(-1), "вчера: ASCII and ÿ þ"},
                                              {kToday.addDays(-40), QString(1700, QChar(u'ж'))}});
        const QString rowOne = keysRow();

        // The first locking of a run asks for a password in the diary's set-up window.
        QStringList seen;
        m_seams->modals.scripts.enqueue(answerSetUp("ключ-Д", true, &seen));
        click(diary()->Button14);
        QCOMPARE(seen, (QStringList{"Предустановки - Пароль для Дневника",
                                    "Введите главный пароль защиты для дневника:"}));
        QVERIFY(lockedLook());
        QCOMPARE(diary()->DiaryRecord->toPlainText(), QString());
        QVERIFY(lockedUnder("ключ-Д"));
        QList<Page> enciphered = pages();
        QCOMPARE(openedPages("ключ-Д"), plain);
        for (const Page& page : enciphered)
            QVERIFY(page.text.startsWith("qv2:") && !page.text.contains(QStringLiteral("дневник")));
        QVERIFY(rowOne != keysRow());
        // The copy of the day, made at the start with the pages in the clear,
        // gave way to one of the locked diary; the file keeps no trace either.
        const QStringList copies = ProfileBackup::dailyCopies(profileFolder());
        QCOMPARE(copies.size(), 1);
        QVERIFY(!fileHolds(copies.first(), "Дорогой дневник"));
        QVERIFY(!fileHolds(profileFolder() + "/profile.mdb", "Дорогой дневник"));
        // While locked nothing typed can be saved.
        QVERIFY(!diary()->Button16->isEnabled() && !diary()->Button17->isEnabled());

        // Cancel at the password: the cipher's error, still locked.
        m_seams->boxes.inputs.enqueue(std::nullopt);
        click(diary()->Button14);
        QCOMPARE(m_seams->boxes.inputPrompts.last(),
                 QStringLiteral("Пароль|Введите пароль для разблокировки дневника:"));
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(RecordCipher::kEmptyKeyMessage));
        QVERIFY(lockedLook());
        QCOMPARE(pages(), enciphered);

        // The right password: every page reads as before, and the calendar's day is shown.
        m_seams->boxes.inputs.enqueue(QStringLiteral("ключ-Д"));
        click(diary()->Button14);
        QVERIFY(!lockedLook());
        QCOMPARE(pages(), plain);
        const QString record = keysRow().mid(2);
        QCOMPARE(keysRow(), "0|" + record);
        QVERIFY(KeyRecord::isCurrentForm(record));
        QCOMPARE(diary()->DiaryRecord->toPlainText(),
                 QStringLiteral("Дорогой дневник! Ёжик, щука, «кавычки»."));

        // Locking again in this run takes the same password without asking.
        click(diary()->Button14);
        QVERIFY(lockedLook());
        QCOMPARE(m_seams->modals.opened.size(), 1);
        QCOMPARE(keysRow(), "1|" + record);
        QCOMPARE(openedPages("ключ-Д"), plain);

        // A new run shows the locked look; unlocking and locking again asks no window.
        restartWindow();
        QVERIFY(lockedLook());
        QCOMPARE(diary()->Label19->text(), QStringLiteral("Запись на 08.03.2026"));
        m_seams->boxes.inputs.enqueue(QStringLiteral("ключ-Д"));
        click(diary()->Button14);
        QCOMPARE(pages(), plain);
        click(diary()->Button14);
        QVERIFY(lockedLook());
        QCOMPARE(m_seams->modals.opened.size(), 1);
        enciphered = pages();

        // A wrong password: the message with its Latin o, the end of the
        // program, and the diary still locked in the next run.
        QSignalSpy ended(m_window.get(), &TForm1::programEnded);
        m_seams->boxes.inputs.enqueue(QStringLiteral("ключ-д"));
        click(diary()->Button14);
        const QString message = m_seams->boxes.shown.last().text.section("\r\n", 0, 0);
        QCOMPARE(message, QStringLiteral("Пароль для разблoкировки дневника - неправильный!"));
        QCOMPARE(message.at(16), QChar(u'o'));
        QCOMPARE(ended.count(), 1);
        QCOMPARE(pages(), enciphered);
        restartWindow();
        QVERIFY(lockedLook());
    }

    void changingThePasswordRightAfterStart()
    {
        const QList<Page> plain = writePages({{kToday, "текст"}});
        const QString rowOne = keysRow();

        // No password in memory and Cancel: the cipher's error, nothing changes.
        m_seams->modals.scripts.enqueue(answerSetUp("новый", false));
        click(diary()->Button15);
        QVERIFY(m_seams->boxes.shown.last().text.startsWith(RecordCipher::kEmptyKeyMessage));
        QVERIFY(!lockedLook());
        QCOMPARE(keysRow(), rowOne);
        QCOMPARE(pages(), plain);

        // OK locks with the new password.
        m_seams->modals.scripts.enqueue(answerSetUp("новый"));
        click(diary()->Button15);
        QVERIFY(lockedLook());
        QVERIFY(lockedUnder("новый"));

        // Unlocked again, "Сменить пароль" + Cancel locks with the password in memory.
        m_seams->boxes.inputs.enqueue(QStringLiteral("новый"));
        click(diary()->Button14);
        m_seams->modals.scripts.enqueue(answerSetUp("другой", false));
        click(diary()->Button15);
        QVERIFY(lockedLook());
        QCOMPARE(openedPages("новый"), plain);
    }

    void anOldLockedDiaryIsCarriedOverOnItsRightPassword()
    {
        // A diary locked before: the old verifier, the pages under the old cipher.
        const QList<Page> plain = writePages({{kToday, "Старая запись: ёлка"}, {kToday.addDays(-3), "ещё"}});
        {
            QSqlQuery write(m_window->database().BigBd());
            for (const Page& page : plain) {
                write.prepare("UPDATE \"Дневник\" SET \"Содержание\" = ? WHERE \"MsgData\" = ?");
                write.addBindValue(cipher(page.text, "старый"));
                write.addBindValue(page.date);
                QVERIFY(write.exec());
            }
            write.prepare("UPDATE \"Ключи\" SET \"Ключ\" = ?, \"Заблокировано\" = 1 WHERE \"Count\" = "
                          "(SELECT MIN(\"Count\") FROM \"Ключи\")");
            write.addBindValue(cipher("#VAULT#", "старый"));
            QVERIFY(write.exec());
        }
        const QString earlier = ProfileBackup::dailyFolder(profileFolder()) + "/profile-2026-03-01.mdb";
        QVERIFY(ProfileBackup::copyDatabase(profileFolder() + "/profile.mdb", earlier).ok);
        restartWindow();
        QVERIFY(lockedLook());

        // The right password opens it; its record takes the current form at once.
        m_seams->boxes.inputs.enqueue(QStringLiteral("старый"));
        click(diary()->Button14);
        QVERIFY(!lockedLook());
        QCOMPARE(pages(), plain);
        QVERIFY(keysRow().startsWith("0|qv2$argon2id$"));
        QCOMPARE(MasterKey::check(keysRow().mid(2), "старый").verdict, MasterKey::Verdict::Opened);
        QVERIFY(!QFile::exists(earlier));
        QCOMPARE(ProfileBackup::dailyCopies(profileFolder()).size(), 1);

        // Locking again in this run seals the pages under the same password.
        click(diary()->Button14);
        QVERIFY(lockedUnder("старый"));
        QCOMPARE(openedPages("старый"), plain);

        // A page that does not open: said with its date; nothing changes and the program goes on.
        QSignalSpy ended(m_window.get(), &TForm1::programEnded);
        {
            QSqlQuery write(m_window->database().BigBd());
            QVERIFY(write.exec("UPDATE \"Дневник\" SET \"Содержание\" = 'qv2:AAAA' WHERE rowid = "
                               "(SELECT MAX(rowid) FROM \"Дневник\")"));
        }
        const QList<Page> damaged = pages();
        m_seams->boxes.inputs.enqueue(QStringLiteral("старый"));
        click(diary()->Button14);
        QVERIFY(lockedLook());
        QVERIFY(m_seams->boxes.shown.last().text.contains("05.03.2026"));
        QCOMPARE(pages(), damaged);
        QCOMPARE(ended.count(), 0);
    }

    void theKeyIsForgottenWhenTheWindowHides()
    {
        writePages({{kToday, "запись"}});
        m_seams->modals.scripts.enqueue(answerSetUp("ключ"));
        click(diary()->Button14);
        m_seams->boxes.inputs.enqueue(QStringLiteral("ключ"));
        click(diary()->Button14);
        QVERIFY(!lockedLook());

        // Hidden (here minimised, with no tray): the next locking asks for a password again.
        TrayIcon::setAvailableForTests(false);
        m_window->HideInTrayClick();
        m_window->showNormal();
        m_seams->modals.scripts.enqueue(answerSetUp("другой"));
        click(diary()->Button14);
        QCOMPARE(m_seams->modals.opened.size(), 2);
        QVERIFY(lockedUnder("другой"));
    }

private:
    void startWindow()
    {
        m_window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(m_window->startedUp());
        m_window->show();
        m_window->Timer1Timer();
        m_window->showSection(Sections::kDiary);
    }
    void restartWindow()
    {
        m_window.reset();
        startWindow();
    }
    DiarySection* diary() const { return m_window->diary(); }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    bool lockedLook() const
    {
        const bool locked = diary()->Button14->text() == QStringLiteral("Разблокировать");
        for (QWidget* control : std::initializer_list<QWidget*>{diary()->Button15, diary()->Button16,
                                                                diary()->Button17, diary()->MonthCalendar2})
            if (control->isEnabled() == locked)
                return !locked; // a mixed look is neither
        return locked && diary()->isLocked();
    }
    QList<Page> writePages(const QList<QPair<QDate, QString>>& list)
    {
        for (const auto& [day, text] : list) {
            diary()->MonthCalendar2->setSelectedDate(day);
            diary()->DiaryRecord->setPlainText(text);
            click(diary()->Button16);
        }
        diary()->MonthCalendar2->setSelectedDate(kToday);
        return pages();
    }
    QList<Page> pages() const
    {
        QSqlQuery query(m_window->database().BigBd());
        query.exec("SELECT \"MsgData\", \"Содержание\" FROM \"Дневник\" ORDER BY rowid");
        QList<Page> list;
        while (query.next())
            list.append({query.value(0).toString(), query.value(1).toString()});
        return list;
    }
    QString profileFolder() const { return ProfileDatabase::profileFolder(m_window->settings().documentsFolder); }
    static bool fileHolds(const QString& path, const QString& text)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(text.toUtf8());
    }
    bool lockedUnder(const QString& password) const
    {
        const QString row = keysRow();
        return row.startsWith("1|") &&
               MasterKey::check(row.mid(2), password).verdict == MasterKey::Verdict::Opened;
    }
    // The pages as a second reader of the file opens them under the password.
    QList<Page> openedPages(const QString& password) const
    {
        const MasterKey::Checked checked = MasterKey::check(keysRow().mid(2), password);
        QList<Page> list = pages();
        for (Page& page : list)
            page.text = SealedValue::open(checked.key, page.text, SealedValue::kDiaryPage).value_or("<x>");
        return list;
    }
    QString keysRow() const
    {
        QSqlQuery query(m_window->database().BigBd());
        query.exec("SELECT \"Заблокировано\", \"Ключ\" FROM \"Ключи\" ORDER BY \"Count\" LIMIT 1");
        return query.next() ? query.value(0).toString() + "|" + query.value(1).toString() : QString();
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<TestSeams> m_seams;
    std::unique_ptr<RegistryStore> m_registry;
    std::unique_ptr<TForm1> m_window;
};

QUILL_TEST_MAIN(TestDiary)
#include "tst_diary.moc"
