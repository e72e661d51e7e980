// The address book with many contacts: filling both lists at start-up, one
// search by surname, and the birthday check.
//
//   bench_contacts [count ...]     (default: 10000 100000)
#include "address_book_section.h"
#include "bench_support.h"
#include "birthday_window.h"
#include "birthdays.h"
#include "modal_windows.h"
#include "profile_database.h"
#include "registry_store.h"
#include "search_section.h"
#include "section_host.h"
#include "settings.h"
#include "system_info.h"
#include "tabbed_list_box.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using BenchSupport::median;

namespace {

class BenchHost : public SectionHost
{
public:
    explicit BenchHost(const QString& home) : m_registry(home + QStringLiteral("/registry.json")) {}
    ProfileDatabase& database() override { return m_database; }
    RegistryStore& registry() override { return m_registry; }
    Settings::Record& settings() override { return m_settings; }
    void setStatusMessage(const QString& text) override { m_status = text; }
    void showSection(int) override {}
    void showHelpPage(int) override {}
    bool startupFinished() const override { return true; }
    void markSettingsChanged() override {}
    void prepareSecondary(SkinnedDialog&) override {}

    ProfileDatabase m_database;
    RegistryStore m_registry;
    Settings::Record m_settings;
    QString m_status;
};

const QStringList kSurnames = {"Иванов",  "Смирнов", "Кузнецов", "Попов",    "Васильев",
                               "Петров",  "Соколов", "Михайлов", "Новиков",  "Фёдоров",
                               "Морозов", "Волков",  "Алексеев", "Лебедев",  "Семёнов",
                               "Егоров",  "Павлов",  "Козлов",   "Степанов", "Николаев"};
const QStringList kNames = {"Александр", "Сергей",  "Дмитрий", "Андрей", "Алексей",
                            "Максим",    "Евгений", "Иван",    "Михаил", "Артём",
                            "Анна",      "Мария",   "Елена",   "Ольга",  "Наталья"};

// Surnames from a pool of 500: at 100,000 contacts each one is shared by about 200.
bool fill(ProfileDatabase& database, int count)
{
    QRandomGenerator random(20261209);
    Transaction transaction(database.BigBd());
    for (int i = 0; i < count; ++i) {
        Contact contact;
        const int family = int(random.bounded(500));
        contact.surname = kSurnames[family % kSurnames.size()] +
                          (family < kSurnames.size() ? QString() : QString::number(family));
        contact.name = kNames[random.bounded(kNames.size())];
        contact.patronymic = QStringLiteral("Петрович%1").arg(i);
        contact.phone1 = QStringLiteral("(8-12)%1").arg(random.bounded(10000000));
        contact.mail = QStringLiteral("user%1@example.com").arg(i);
        contact.category = int(random.bounded(8));
        contact.birthday = QDate(1950, 1, 1).addDays(random.bounded(20000)).startOfDay();
        contact.remind = random.bounded(10) == 0;
        if (!database.BookTable.insert(contact.toValues()))
            return false;
    }
    return transaction.commit();
}

template <typename Body> double millisecondsOf(Body&& body)
{
    QElapsedTimer timer;
    timer.start();
    body();
    return timer.nsecsElapsed() / 1e6;
}

void run(int count)
{
    QTemporaryDir home;
    const QString documents = home.path() + QStringLiteral("/Documents");
    QDir().mkpath(documents);
    BenchHost host(home.path());
    if (!host.m_database.open(documents, QStringLiteral(QUILL_PROGRAM_DIR))) {
        std::fprintf(stderr, "cannot open the profile database\n");
        return;
    }
    const double filling = millisecondsOf([&] { fill(host.m_database, count); });
    std::printf("\n%d contacts (written in %.0f ms)\n", count, filling);

    QWidget window;
    window.resize(875, 636);
    auto* bookBox = new QGroupBox(&window);
    auto* mailBox = new QGroupBox(&window);
    auto* searchBox = new QGroupBox(&window);
    bookBox->setGeometry(176, 9, 689, 561);
    auto* book = new AddressBookSection(host, bookBox, mailBox);
    auto* search = new SearchSection(host, searchBox, *book);

    QList<Birthdays::Reminder> due;
    const double dueOnly =
        millisecondsOf([&] { due = Birthdays::due(host.m_database.BookTable, QDate(2026, 6, 20)); });
    std::printf("  birthdays due (reading only):%8.1f ms  (%lld due)\n", dueOnly, qlonglong(due.size()));
    QStringList lines;
    const double reading = millisecondsOf([&] { lines = book->book().contactLines(); });
    std::printf("  contact lines (reading only):%8.1f ms\n", reading);

    int windows = 0;
    ModalWindows::setRunner([&windows](QDialog*) {
        ++windows;
        return int(QDialog::Accepted);
    });
    const QDate today(2026, 6, 20);
    const double birthdays = millisecondsOf([&] { Birthdays::announce(host.m_database.BookTable, today); });
    std::printf("  birthday check:              %8.1f ms  (%d windows)\n", birthdays, windows);
    ModalWindows::setRunner({});

    const double lists = millisecondsOf([&] { book->fillLists(); });
    std::printf("  filling both lists:          %8.1f ms  (%d lines each)\n", lists, book->ListBox2->count());
    window.show();
    searchBox->hide();
    const double painted = millisecondsOf([] { QApplication::processEvents(); });
    std::printf("  first showing of the list:   %8.1f ms\n", painted);

    search->Edit2->setText(QStringLiteral("Иванов"));
    QList<double> searches;
    for (int i = 0; i < 7; ++i)
        searches.append(millisecondsOf([&] { search->BitBtn10Click(); }));
    std::printf("  search by surname:           %8.1f ms  (median of 7; %d found)\n", median(searches),
                search->ListBox3->count());

    search->Edit2->clear();
    search->Edit1->setText(QStringLiteral("Анна"));
    search->Edit2->setText(QStringLiteral("Иванов"));
    QList<double> either;
    for (int i = 0; i < 3; ++i)
        either.append(millisecondsOf([&] { search->BitBtn10Click(); }));
    std::printf("  search by name and surname:  %8.1f ms  (\"И\", median of 3; %d found)\n", median(either),
                search->ListBox3->count());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QString::fromLocal8Bit(argv[i]).toInt());
    if (counts.isEmpty())
        counts = {10000, 100000};
    for (int count : counts)
        run(count);
    return 0;
}
