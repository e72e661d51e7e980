#include "address_book_section.h"

#include "contact_editor.h"
#include "error_handler.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "profile_database.h"
#include "section_host.h"
#include "tabbed_list_box.h"
#include "vcard_commands.h"

#include <QGroupBox>
#include <QPushButton>
#include <QStyle>

namespace {

QPushButton* button(QGroupBox* box, const char* objectName, const QString& caption, const QRect& place)
{
    auto* created = new QPushButton(caption, box);
    created->setObjectName(QLatin1String(objectName));
    created->setGeometry(place);
    return created;
}

} // namespace

AddressBookSection::AddressBookSection(SectionHost& host, QGroupBox* box, QGroupBox* mailBox)
    : QObject(box), m_host(host), m_box(box)
{
    setObjectName(QStringLiteral("AddressBookSection"));
    ListBox2 = new TabbedListBox(box);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->setGeometry(16, 32, 657, 462);

    QStyle* style = box->style();
    BitBtn5 = button(box, "BitBtn5", QStringLiteral("Добавить"), QRect(16, 508, 140, 34));
    BitBtn5->setIcon(style->standardIcon(QStyle::SP_FileIcon));
    BitBtn7 = button(box, "BitBtn7", QStringLiteral("Просмотр"), QRect(168, 508, 140, 34));
    BitBtn7->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    BitBtn6 = button(box, "BitBtn6", QStringLiteral("Удалить"), QRect(320, 508, 140, 34));
    BitBtn6->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
    Button2 = button(box, "Button2", QStringLiteral("?"), QRect(649, 0, 24, 24));

    ListBox5 = new TabbedListBox(mailBox);
    ListBox5->setObjectName(QStringLiteral("ListBox5"));
    ListBox5->setGeometry(432, 32, 241, 190);

    const auto guarded = [this](void (AddressBookSection::*handler)()) {
        return [this, handler] { ErrorHandler::guard([this, handler] { (this->*handler)(); }); };
    };
    connect(BitBtn5, &QPushButton::clicked, this, guarded(&AddressBookSection::BitBtn5Click));
    connect(BitBtn7, &QPushButton::clicked, this, guarded(&AddressBookSection::BitBtn7Click));
    connect(BitBtn6, &QPushButton::clicked, this, guarded(&AddressBookSection::BitBtn6Click));
    connect(ListBox2, &QListWidget::itemDoubleClicked, this, guarded(&AddressBookSection::BitBtn7Click));
    connect(Button2, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpPage); });
    new VCardCommands(*this, box);
}

AddressBook AddressBookSection::book() const
{
    return AddressBook(m_host.database().BookTable);
}

void AddressBookSection::fillLists()
{
    const QStringList lines = book().contactLines();
    ListBox2->setTabWidth(kStartTabWidth);
    ListBox5->setTabWidth(kStartTabWidth);
    ListBox2->addItems(lines);
    ListBox5->addItems(lines);
}

std::optional<TableObject::Row> AddressBookSection::lookup(const QString& contactLine) const
{
    return book().find(ContactLine::parse(contactLine));
}

void AddressBookSection::appendLine(const ContactNames& names)
{
    const QString line = ContactLine::of(names);
    ListBox2->addItem(line);
    ListBox5->addItem(line);
}

void AddressBookSection::appendContacts(const QList<ContactNames>& added)
{
    if (added.isEmpty())
        return;
    ListBox2->setTabWidth(kAddedTabWidth);
    for (const ContactNames& names : added)
        appendLine(names);
}

void AddressBookSection::removeLine(int position)
{
    delete ListBox2->takeItem(position);
    delete ListBox5->takeItem(position);
}

void AddressBookSection::replaceLine(const ContactNames& before, const ContactNames& after)
{
    const QString old = ContactLine::of(before);
    for (int position = 0; position < ListBox2->count(); ++position) {
        if (ListBox2->item(position)->text() == old) {
            removeLine(position);
            break;
        }
    }
    appendLine(after);
}

void AddressBookSection::BitBtn5Click()
{
    TForm4 editor(m_box->window());
    m_host.prepareSecondary(editor);
    if (ModalWindows::exec(&editor) != QDialog::Accepted)
        return;
    const Contact added = editor.contact();
    AddressBook contacts = book();
    if (contacts.contains(added.names())) {
        MessageBoxes::errorBox(QStringLiteral("Такая запись уже существует!"));
        return;
    }
    if (!contacts.add(added)) {
        ErrorHandler::report();
        return;
    }
    ListBox2->setTabWidth(kAddedTabWidth);
    appendLine(added.names());
}

std::optional<Contact> AddressBookSection::edit(const std::optional<TableObject::Row>& row)
{
    if (!row) {
        ErrorHandler::report();
        return std::nullopt;
    }
    TForm4 editor(m_box->window());
    m_host.prepareSecondary(editor);
    editor.fill(Contact::fromRow(*row));
    if (ModalWindows::exec(&editor) != QDialog::Accepted)
        return std::nullopt;
    const Contact changed = editor.contact();
    // The lists change only once the row holds the change.
    if (!book().save(row->key, changed)) {
        ErrorHandler::report();
        return std::nullopt;
    }
    return changed;
}

void AddressBookSection::BitBtn7Click()
{
    const int position = ListBox2->selectedRow();
    const std::optional<Contact> changed =
        edit(position < 0 ? std::nullopt : lookup(ListBox2->item(position)->text()));
    if (!changed)
        return;
    removeLine(position);
    appendLine(changed->names());
}

void AddressBookSection::BitBtn6Click()
{
    if (!MessageBoxes::askYesNo(QStringLiteral("Предупреждение"),
                                QStringLiteral("Вы дйствительно хотите удалить запись?")))
        return;
    const int position = ListBox2->selectedRow();
    if (position < 0)
        return;
    const std::optional<TableObject::Row> row = lookup(ListBox2->item(position)->text());
    if (!row || !book().remove(row->key))
        return;
    removeLine(position);
    m_host.setStatusMessage(QStringLiteral("Запись удалена!"));
}
