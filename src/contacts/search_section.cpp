#include "search_section.h"

#include "address_book_section.h"
#include "contact_search.h"
#include "error_handler.h"
#include "section_host.h"
#include "tabbed_list_box.h"
#include "vcard_commands.h"

#include <QHash>

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

SearchSection::SearchSection(SectionHost& host, QGroupBox* box, AddressBookSection& addressBook)
    : QObject(box), m_host(host), m_addressBook(addressBook)
{
    setObjectName(QStringLiteral("SearchSection"));
    buildCriteria(box);

    ListBox3 = new TabbedListBox(box);
    ListBox3->setObjectName(QStringLiteral("ListBox3"));
    ListBox3->setGeometry(336, 32, 337, 513);

    Button3 = new QPushButton(QStringLiteral("?"), box);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(649, 0, 24, 24);

    connect(BitBtn10, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { BitBtn10Click(); }); });
    connect(ListBox3, &QListWidget::itemDoubleClicked, this,
            [this] { ErrorHandler::guard([this] { ListBox3DblClick(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpPage); });
}

void SearchSection::buildCriteria(QGroupBox* box)
{
    auto* panel = new QWidget(box);
    panel->setObjectName(QStringLiteral("SearchCriteria"));
    panel->setGeometry(16, 32, 304, 513);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(1, 1);
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, panel);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    };
    const auto edit = [panel](const char* objectName) {
        auto* field = new QLineEdit(panel);
        field->setObjectName(QLatin1String(objectName));
        field->setMaxLength(Contacts::kFieldLength);
        return field;
    };
    // On screen the second telephone stands under the first; the search tests the fields in its own order.
    addRow(QStringLiteral("Имя или Ник:"), Edit1 = edit("Edit1"));
    addRow(QStringLiteral("Фамилия:"), Edit2 = edit("Edit2"));
    addRow(QStringLiteral("Отчество:"), Edit3 = edit("Edit3"));
    addRow(QStringLiteral("Телефон:"), Edit4 = edit("Edit4"));
    addRow(QStringLiteral("Телефон2:"), Edit13 = edit("Edit13"));
    addRow(QStringLiteral("E-mail:"), Edit5 = edit("Edit5"));
    addRow(QStringLiteral("ICQ#:"), Edit6 = edit("Edit6"));
    addRow(QStringLiteral("Дата рожд.:"), Edit14 = edit("Edit14"));

    ComboBox1 = new QComboBox(panel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItems(Contacts::categories());
    ComboBox1->addItem(QStringLiteral("Не учитывать"));
    ComboBox1->setCurrentIndex(kAnyCategory);
    addRow(QStringLiteral("Категория:"), ComboBox1);

    ComboBox4 = new QComboBox(panel);
    ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
    ComboBox4->addItems({QStringLiteral("И"), QStringLiteral("ИЛИ")});
    addRow(QStringLiteral("Маска:"), ComboBox4);

    BitBtn10 = new QPushButton(box->style()->standardIcon(QStyle::SP_FileDialogContentsView),
                               QStringLiteral("Искать!"), panel);
    BitBtn10->setObjectName(QStringLiteral("BitBtn10"));
    BitBtn10->setMinimumHeight(34);
    grid->addWidget(BitBtn10, row++, 0, 1, 2);
    ExportFoundButton = VCardCommands::exportButton(panel, "ExportFoundButton",
                                                    QStringLiteral("Сохранить найденные в файл..."),
                                                    [this] { return foundContacts(); });
    ExportFoundButton->setToolTip(QStringLiteral("Сохранить найденные контакты в файл vCard"));
    ExportFoundButton->setMinimumHeight(34);
    grid->addWidget(ExportFoundButton, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
}

void SearchSection::showStatus(const QString& text)
{
    m_host.setStatusMessage(text);
}

void SearchSection::BitBtn10Click()
{
    SearchCriteria criteria;
    criteria.anyOf = ComboBox4->currentText() == QStringLiteral("ИЛИ");
    ListBox3->clear();
    showStatus(QStringLiteral("Поиск... 0 из 255"));

    criteria.name = Edit1->text();
    criteria.surname = Edit2->text();
    criteria.patronymic = Edit3->text();
    criteria.phone1 = Edit4->text();
    criteria.mail = Edit5->text();
    criteria.icq = Edit6->text();
    criteria.phone2 = Edit13->text();
    criteria.birthday = Edit14->text();
    // A typed text that is no item stands for category 0.
    const int chosen =
        ComboBox1->findText(ComboBox1->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (chosen != kAnyCategory)
        criteria.category = chosen + 1;

    AddressBook book = m_addressBook.book();
    showStatus(QStringLiteral("Поиск...  из ") + QString::number(book.count()));

    const std::optional<TableFilter> filter = ContactSearch::filterFor(criteria);
    if (!filter) {
        ErrorHandler::report();
        return;
    }
    ListBox3->setTabWidth(kResultTabWidth);
    QStringList lines;
    for (const ContactNames& names : book.names(*filter))
        lines.append(ContactLine::searchResultOf(names));
    ListBox3->addItems(lines);
    showStatus(QStringLiteral("Поиск... завершён"));
}

QList<Contact> SearchSection::foundContacts() const
{
    // Equal lines stand for the contacts of equal names, each once, in table order.
    QHash<QString, QList<Contact>> byLine;
    for (const TableObject::Row& row : m_addressBook.book().rows()) {
        const Contact contact = Contact::fromRow(row);
        byLine[ContactLine::searchResultOf(contact.names())].append(contact);
    }
    QList<Contact> found;
    for (int i = 0; i < ListBox3->count(); ++i) {
        QList<Contact>& candidates = byLine[ListBox3->item(i)->text()];
        if (!candidates.isEmpty())
            found.append(candidates.takeFirst());
    }
    return found;
}

void SearchSection::ListBox3DblClick()
{
    const int position = ListBox3->selectedRow();
    const ContactNames before =
        position < 0 ? ContactNames{} : ContactLine::parseSearchResult(ListBox3->item(position)->text());
    const std::optional<Contact> changed =
        m_addressBook.edit(position < 0 ? std::nullopt : m_addressBook.book().find(before));
    if (!changed)
        return;
    m_addressBook.replaceLine(before, changed->names());
    delete ListBox3->takeItem(position);
    ListBox3->addItem(ContactLine::searchResultOf(changed->names()));
}
