#include "vcard_commands.h"

#include "address_book_section.h"
#include "contact_exchange.h"
#include "error_handler.h"
#include "file_dialogs.h"
#include "message_boxes.h"
#include "profile_database.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace {

const QString kImportTitle = QStringLiteral("Импорт контактов");
const QString kExportTitle = QStringLiteral("Экспорт контактов");

QAction* action(QMenu* menu, const char* objectName, const QString& caption, std::function<void()> handler)
{
    QAction* created = menu->addAction(caption);
    created->setObjectName(QLatin1String(objectName));
    QObject::connect(created, &QAction::triggered, menu, [handler] { ErrorHandler::guard(handler); });
    return created;
}

} // namespace

VCardCommands::VCardCommands(AddressBookSection& section, QGroupBox* box)
    : QObject(box), m_section(section), m_box(box)
{
    setObjectName(QStringLiteral("VCardCommands"));
    VCardButton = new QPushButton(QStringLiteral("Импорт/экспорт"), box);
    VCardButton->setObjectName(QStringLiteral("VCardButton"));
    VCardButton->setGeometry(472, 508, 201, 34);
    VCardButton->setIcon(box->style()->standardIcon(QStyle::SP_DialogSaveButton));
    VCardButton->setToolTip(QStringLiteral("Обмен контактами с телефонами и почтовыми программами (vCard)"));
    auto* menu = new QMenu(VCardButton);
    menu->setObjectName(QStringLiteral("VCardMenu"));
    const auto all = [this] {
        QList<Contact> contacts;
        for (const TableObject::Row& row : m_section.book().rows())
            contacts.append(Contact::fromRow(row));
        return contacts;
    };
    ImportVCardAction = action(menu, "ImportVCardAction", QStringLiteral("Импорт из файла vCard..."),
                               [this] { importFile(); });
    menu->addSeparator();
    ExportVCardAction = action(menu, "ExportVCardAction", QStringLiteral("Экспорт всей книги в vCard 4.0..."),
                               [this, all] { exportContacts(m_box->window(), all(), VCard::Version::V4); });
    ExportVCard3Action = action(menu, "ExportVCard3Action",
                                QStringLiteral("Экспорт всей книги в vCard 3.0 (для старых программ)..."),
                                [this, all] { exportContacts(m_box->window(), all(), VCard::Version::V3); });
    VCardButton->setMenu(menu);
}

void VCardCommands::importFile()
{
    const QString path = FileDialogs::openFileName(
        m_box->window(), QStringLiteral("Импорт контактов из файла vCard"), kFilter);
    if (path.isEmpty())
        return;
    AddressBook book = m_section.book();
    const ContactExchange::ImportSummary summary =
        ContactExchange::importFile(path, book, book.table().database());
    if (!summary.error.isEmpty()) {
        MessageBoxes::errorBox(QStringLiteral("Контакты не добавлены.\r\n") + summary.error);
        return;
    }
    m_section.appendContacts(summary.addedNames);
    if (summary.failures.isEmpty())
        MessageBoxes::information(kImportTitle, ContactExchange::summaryText(summary));
    else
        MessageBoxes::warning(kImportTitle, ContactExchange::summaryText(summary));
}

QPushButton* VCardCommands::exportButton(QWidget* parent, const char* objectName, const QString& caption,
                                         std::function<QList<Contact>()> contacts)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(objectName));
    auto* menu = new QMenu(button);
    action(menu, "ExportFoundVCardAction", QStringLiteral("Сохранить в vCard 4.0..."),
           [button, contacts] { exportContacts(button->window(), contacts(), VCard::Version::V4); });
    action(menu, "ExportFoundVCard3Action", QStringLiteral("Сохранить в vCard 3.0 (для старых программ)..."),
           [button, contacts] { exportContacts(button->window(), contacts(), VCard::Version::V3); });
    button->setMenu(menu);
    return button;
}

void VCardCommands::exportContacts(QWidget* parent, const QList<Contact>& contacts, VCard::Version version)
{
    if (contacts.isEmpty()) {
        MessageBoxes::information(kExportTitle, QStringLiteral("Нет контактов для сохранения."));
        return;
    }
    QString path =
        FileDialogs::saveFileName(parent, QStringLiteral("Сохранить контакты в файл vCard"), kFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".vcf");
    QString error;
    if (!ContactExchange::exportFile(path, contacts, version, &error)) {
        MessageBoxes::errorBox(QStringLiteral("Контакты не сохранены.\r\n") + error);
        return;
    }
    MessageBoxes::information(
        kExportTitle, QStringLiteral("Сохранено контактов: %1.\r\n%2").arg(contacts.size()).arg(path));
}
