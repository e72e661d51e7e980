#pragma once

#include "table_object.h"

#include <QString>
#include <optional>

// What the user asks the search for: a criterion is in use when its text is
// not empty; the category only when it is to be taken into account.
struct SearchCriteria
{
    QString name;
    QString surname;
    QString patronymic;
    QString phone1;
    QString mail;
    QString icq;
    QString phone2;
    QString birthday;
    std::optional<int> category;
    bool anyOf = false; // "ИЛИ": one criterion that holds is enough
};

namespace ContactSearch {

// Each criterion compares the whole field with its value. Without a criterion
// the filter is empty and every contact is found. Nullopt when the date
// criterion is not a date.
std::optional<TableFilter> filterFor(const SearchCriteria& criteria);

} // namespace ContactSearch
