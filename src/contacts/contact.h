#pragma once

#include "table_object.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// The stored names of the address book's fields.
namespace BookFields {
inline const QString kName = QStringLiteral("Имя");
inline const QString kSurname = QStringLiteral("Фамилия");
inline const QString kPatronymic = QStringLiteral("Отчество");
inline const QString kPhone1 = QStringLiteral("Телефон1");
inline const QString kPhone2 = QStringLiteral("Телефон2");
inline const QString kMail = QStringLiteral("E-mail");
inline const QString kIcq = QStringLiteral("ICQ");
inline const QString kBirthday = QStringLiteral("Дата рождения");
inline const QString kRemind = QStringLiteral("Напоминать");
inline const QString kCategory = QStringLiteral("Категория");
inline const QString kComment = QStringLiteral("Комментарий");
} // namespace BookFields

// The three names by which a contact is found again from its line in a list.
struct ContactNames
{
    QString surname;
    QString name;
    QString patronymic;

    bool operator==(const ContactNames&) const = default;
    // The first row, in the table's order, that carries exactly these names.
    TableFilter filter() const;
};

// The text that stands for a contact in the lists: the three names split by TABs.
namespace ContactLine {
// A leading blank, as the address book and the mail recipients show it.
QString of(const ContactNames& names);
ContactNames parse(const QString& line);
// Without the leading blank, as the search lists its results.
QString searchResultOf(const ContactNames& names);
ContactNames parseSearchResult(const QString& line);
} // namespace ContactLine

struct Contact
{
    QString name;
    QString surname;
    QString patronymic;
    QString phone1;
    QString phone2;
    QString mail;
    QString icq;
    int category = 0; // position of the chosen category counted from 1; 0 for none
    QString comment;
    QDateTime birthday;
    bool remind = false;

    ContactNames names() const { return {surname, name, patronymic}; }
    QVariantMap toValues() const;
    static Contact fromRow(const TableObject::Row& row);
};

namespace Contacts {

inline constexpr int kNameLength = 30;
// What the column of the comment holds.
inline constexpr int kCommentLength = 50;

// The categories in the order of their stored numbers, 1 to 7.
const QStringList& categories();

// A date in the user's short date format, optionally followed by a time of day;
// nullopt when the text names no real moment.
std::optional<QDateTime> readMoment(const QString& text);

} // namespace Contacts
