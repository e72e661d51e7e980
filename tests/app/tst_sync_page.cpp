// The settings page "Синхронизация" in the real window against a Radicale on
// loopback: the settings it writes, the address books and calendars it
// finds, a sync of contacts and reminders at the press of a button, and how
// it reports a wrong password.
#include "dav_collection.h"
#include "main_window.h"
#include "planner_grid_model.h"
#include "radicale_server.h"
#include "registry_store.h"
#include "reminders_section.h"
#include "schedule.h"
#include "secret_store.h"
#include "sections.h"
#include "settings_section.h"
#include "sync_page.h"
#include "test_main.h"
#include "vcard_merge.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeZone>

class TestSyncPage : public QObject
{
    Q_OBJECT

private slots:
    void thePageSyncsAtTheButtonAndSaysHowItWent()
    {
        WindowFixture fixture([](RegistryStore& registry) {
            registry.writeBool(Settings::fullKey("Config"), QStringLiteral("HideInTray"), false);
        });
        RadicaleServer server;
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        const QUrl book =
            server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("contacts/")));
        Dav::Client client({server.root(), QStringLiteral("anna"), QStringLiteral("secret"), {}});
        QVERIFY(
            Dav::createCollection(client, book, Dav::CollectionKind::AddressBook, QStringLiteral("Телефон")));
        Dav::Collection collection(client, book, Dav::CollectionKind::AddressBook);
        Contact contact;
        contact.surname = QStringLiteral("Орлова");
        contact.name = QStringLiteral("Ольга");
        contact.phone1 = QStringLiteral("+7 911 000");
        QVERIFY(collection.put(collection.newHref(), VCard::writeOne(contact, VCard::Version::V3, "u1"), {}));
        const QUrl calendarUrl =
            server.principal(QStringLiteral("anna")).resolved(QUrl(QStringLiteral("calendar/")));
        QVERIFY(Dav::createCollection(client, calendarUrl, Dav::CollectionKind::Calendar,
                                      QStringLiteral("Календарь"), {QStringLiteral("VEVENT")}));
        Dav::Collection calendar(client, calendarUrl, Dav::CollectionKind::Calendar);
        QVERIFY(
            calendar.put(calendar.newHref(),
                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//RU\r\nBEGIN:VEVENT\r\nUID:e1\r\n"
                         "DTSTAMP:20260101T000000Z\r\nDTSTART:20260310T090000Z\r\nSUMMARY:Врач\r\n"
                         "END:VEVENT\r\nEND:VCALENDAR\r\n",
                         {}));

        TForm1& window = *fixture.window;
        window.Timer1Timer();
        // The reminders' grid, built before the sync, shows what it brings.
        window.showSection(Sections::kReminders);
        QCOMPARE(window.schedule()->reminders()->model()->rowCount(), 0);
        window.showSection(Sections::kSettings);
        auto* page = window.findChild<SyncPage*>();
        QVERIFY(page);
        QCOMPARE(page->SyncIntervalBox->value(), 15);
        QCOMPARE(page->SyncStatusLabel->text(), QString());

        // The account, typed as a user would.
        QTest::keyClicks(page->SyncServerEdit, server.root().toString());
        QTest::keyClicks(page->SyncLoginEdit, QStringLiteral("anna"));
        QTest::keyClicks(page->SyncPasswordEdit, QStringLiteral("secret"));
        // Plain http to loopback is allowed, with a warning on the page.
        QVERIFY(!page->SyncWarningLabel->text().isEmpty());

        // The address books and calendars found on the server are offered.
        QTest::mouseClick(page->SyncFindButton, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(page->SyncAddressBookBox->count(), 1, 20000);
        QCOMPARE(page->SyncAddressBookBox->itemText(0), QStringLiteral("Телефон"));
        QCOMPARE(page->SyncCalendarBox->count(), 1);
        QCOMPARE(page->SyncCalendarBox->itemText(0), QStringLiteral("Календарь"));
        QCOMPARE(page->SyncStatusLabel->text(), QStringLiteral("Найдено адресных книг: 1, календарей: 1."));
        QVERIFY(page->SyncFindButton->isEnabled());

        // The button syncs: the contact comes down and the page says so.
        QTest::mouseClick(page->SyncNowButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            page->SyncStatusLabel->text().startsWith(QStringLiteral("Последняя синхронизация")), 20000);
        QVERIFY2(page->SyncStatusLabel->text().contains(QStringLiteral("Контакты: получено с сервера: 1")),
                 qPrintable(page->SyncStatusLabel->text()));
        QCOMPARE(window.database().BookTable.count(), 1);
        // The phone's event is a reminder here, at its moment in the machine's zone.
        QVERIFY(page->SyncStatusLabel->text().contains(QStringLiteral("Напоминания: получено с сервера: 1")));
        QCOMPARE(window.schedule()->reminders()->model()->rowCount(), 1);
        const auto row = window.database().EventsTable.first();
        QVERIFY(row);
        QCOMPARE(row->value(QStringLiteral("Текст")).toString(), QStringLiteral("Врач"));
        QCOMPARE(row->value(QStringLiteral("Дата")).toDateTime(),
                 QDateTime(QDate(2026, 3, 10), QTime(9, 0), QTimeZone::utc()).toLocalTime());
        QVERIFY(window.statusMessage().startsWith(QStringLiteral("Синхронизация завершена")));

        // The settings went to the store, the password where passwords are kept.
        const QString key = Settings::fullKey("Sync");
        QCOMPARE(fixture.registry->readString(key, "Server"), server.root().toString());
        QCOMPARE(fixture.registry->readString(key, "Login"), QStringLiteral("anna"));
        QCOMPARE(fixture.registry->readString(key, "AddressBook"), book.toString());
        QCOMPARE(fixture.registry->readString(key, "Calendar"), calendarUrl.toString());
        QCOMPARE(fixture.registry->readInteger(key, "Interval"), 15);
        QCOMPARE(SecretStore(*fixture.registry, SecretStore::kSync).read(nullptr), QStringLiteral("secret"));
        QCOMPARE(page->SyncPasswordEdit->text(), QStringLiteral("#hidden#"));
        QVERIFY(!fixture.registry->readString(key, "Password").value_or(QString()).contains("secret"));

        // A wrong password: said in words on the page, no box.
        page->SyncPasswordEdit->setText(QStringLiteral("wrong"));
        emit page->changedByUser();
        QTest::mouseClick(page->SyncNowButton, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(
            page->SyncStatusLabel->text().startsWith(QStringLiteral("Синхронизация не удалась")), 20000);
        QVERIFY(page->SyncStatusLabel->text().contains(QStringLiteral("пароль")));
        QVERIFY(fixture.seams.boxes.shown.isEmpty());
    }
};

QUILL_TEST_MAIN(TestSyncPage)
#include "tst_sync_page.moc"
