#pragma once

#include "contact.h"

#include <QObject>

class AddressBookSection;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class SectionHost;
class TabbedListBox;

// The search in the address book: contacts whose fields equal the values
// typed, all of them ("И") or any one ("ИЛИ"), listed in ListBox3; a found
// contact opens in the contact editor.
class SearchSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchSection)

public:
    SearchSection(SectionHost& host, QGroupBox* box, AddressBookSection& addressBook);

    static constexpr int kHelpPage = 12;
    static constexpr int kResultTabWidth = 30;
    // The category box's last item: the category is not taken into account.
    static constexpr int kAnyCategory = 7;

    void BitBtn10Click();
    void ListBox3DblClick();
    // The contacts that the result list stands for, in its order.
    QList<Contact> foundContacts() const;

    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QPushButton* BitBtn10 = nullptr;
    QPushButton* Button3 = nullptr;
    // Saves the contacts of the result list to a vCard file.
    QPushButton* ExportFoundButton = nullptr;
    TabbedListBox* ListBox3 = nullptr;

signals:
    void helpRequested(int page);

private:
    void buildCriteria(QGroupBox* box);
    void showStatus(const QString& text);

    SectionHost& m_host;
    AddressBookSection& m_addressBook;
};
