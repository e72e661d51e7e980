#pragma once

#include "address_book.h"

#include <QObject>
#include <optional>

class QGroupBox;
class QPushButton;
class SectionHost;
class TabbedListBox;

// The address book section: one line per contact in ListBox2, kept line for
// line alike with the mail section's recipient list ListBox5.
class AddressBookSection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddressBookSection)

public:
    // Builds the section's controls in its group box and the recipient list in the mail box.
    AddressBookSection(SectionHost& host, QGroupBox* box, QGroupBox* mailBox);

    static constexpr int kHelpPage = 11;
    static constexpr int kStartTabWidth = 50;
    static constexpr int kAddedTabWidth = 30;

    AddressBook book() const;

    // Both lists in the table's order; once, at start-up.
    void fillLists();
    // The contact lookup: the row that a contact line stands for, the first of
    // equal ones in the table's order.
    std::optional<TableObject::Row> lookup(const QString& contactLine) const;
    // After an edit elsewhere: the first line of the old names leaves both
    // lists, and the line of the new names goes to the end of both.
    void replaceLine(const ContactNames& before, const ContactNames& after);
    // Opens the row in the contact editor and stores what OK confirms; the
    // changed contact once it is stored. No row is reported as a failure.
    std::optional<Contact> edit(const std::optional<TableObject::Row>& row);
    // Contacts added from elsewhere (an imported file), at the end of both lists as an add puts them.
    void appendContacts(const QList<ContactNames>& added);

    void BitBtn5Click();
    void BitBtn7Click();
    void BitBtn6Click();

    TabbedListBox* ListBox2 = nullptr;
    TabbedListBox* ListBox5 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* Button2 = nullptr;

signals:
    void helpRequested(int page);

private:
    void appendLine(const ContactNames& names);
    void removeLine(int position);

    SectionHost& m_host;
    QGroupBox* m_box;
};
