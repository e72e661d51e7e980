#pragma once

#include "address_book_section.h"
#include "contact.h"
#include "contact_editor.h"
#include "main_window.h"
#include "profile_database.h"
#include "registry_store.h"
#include "scripted_seams.h"
#include "settings.h"
#include "system_info.h"
#include "tabbed_list_box.h"
#include "test_home.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <memory>

// A profile with contacts in it, and the main window started on it.
class BookFixture
{
public:
    BookFixture()
    {
        m_registry = std::make_unique<RegistryStore>(RegistryStore::defaultPath());
        m_registry->load();
        Settings::writeFirstRunDefaults(*m_registry);
    }
    ~BookFixture() { stop(); }
    Q_DISABLE_COPY_MOVE(BookFixture)

    static Contact contact(const QString& surname, const QString& name, const QString& patronymic,
                           const QString& phone = {})
    {
        Contact made;
        made.surname = surname;
        made.name = name;
        made.patronymic = patronymic;
        made.phone1 = phone;
        made.birthday = QDate(1980, 1, 1).startOfDay();
        return made;
    }

    // Rows written straight into the profile, as an earlier run left them.
    void seed(const QList<Contact>& contacts)
    {
        ProfileDatabase database;
        QVERIFY(database.open(SystemInfo::documentsFolder(*m_registry), TestHome::programFolder()));
        for (const Contact& item : contacts)
            QVERIFY(database.BookTable.insert(item.toValues()));
    }

    // Runs a statement on the profile outside the program, for rows the editor would never write.
    void exec(const QString& statement, const QVariantList& values = {})
    {
        ProfileDatabase database;
        QVERIFY(database.open(SystemInfo::documentsFolder(*m_registry), TestHome::programFolder()));
        QSqlQuery query(database.BigBd());
        QVERIFY(query.prepare(statement));
        for (const QVariant& value : values)
            query.addBindValue(value);
        QVERIFY(query.exec());
    }

    void start()
    {
        window = std::make_unique<TForm1>(*m_registry);
        QVERIFY(window->startedUp());
        window->show();
        window->Timer1Timer();
    }
    void stop() { window.reset(); }

    QGroupBox* box(const char* name) const { return window->sectionBox(QLatin1String(name)); }
    TabbedListBox* list(const char* group, const char* name) const
    {
        return box(group)->findChild<TabbedListBox*>(QLatin1String(name));
    }
    TabbedListBox* ListBox2() const { return list("GroupBox2", "ListBox2"); }
    TabbedListBox* ListBox5() const { return list("GroupBox1", "ListBox5"); }
    void click(const char* group, const char* button) const
    {
        box(group)->findChild<QPushButton*>(QLatin1String(button))->click();
    }

    static QStringList lines(const QListWidget* list)
    {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all.append(list->item(i)->text());
        return all;
    }

    QList<TableObject::Row> rows() const { return window->database().BookTable.rows(); }

    std::unique_ptr<TForm1> window;

private:
    std::unique_ptr<RegistryStore> m_registry;
};

// An editor script that fills the three names and accepts.
inline void typeNames(TForm4* editor, const QString& surname, const QString& name, const QString& patronymic)
{
    editor->Edit2->setText(surname);
    editor->Edit1->setText(name);
    editor->Edit3->setText(patronymic);
}
