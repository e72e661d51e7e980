#pragma once

#include "vcard.h"

#include <QObject>
#include <functional>

class AddressBookSection;
class QAction;
class QGroupBox;
class QPushButton;
class QWidget;

// The address book's exchange with other programs: contacts from a vCard
// file, and the whole book (or the contacts found by the search) into one.
class VCardCommands : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VCardCommands)

public:
    // Places its button beside the address book's buttons.
    VCardCommands(AddressBookSection& section, QGroupBox* box);

    inline static const QString kFilter =
        QStringLiteral("Файлы vCard (*.vcf; *.vcard)|*.vcf;*.vcard|Все файлы (*.*)|*.*");

    void importFile();

    // A button with the two exports of the given contacts: 4.0, and 3.0 for
    // older programs. The contacts are gathered when a choice is made.
    static QPushButton* exportButton(QWidget* parent, const char* objectName, const QString& caption,
                                     std::function<QList<Contact>()> contacts);
    // Asks for the file and writes the contacts; reports the outcome.
    static void exportContacts(QWidget* parent, const QList<Contact>& contacts, VCard::Version version);

    QPushButton* VCardButton = nullptr;
    QAction* ImportVCardAction = nullptr;
    QAction* ExportVCardAction = nullptr;
    QAction* ExportVCard3Action = nullptr;

private:
    AddressBookSection& m_section;
    QGroupBox* m_box;
};
