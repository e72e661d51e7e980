#include "contact_search.h"

#include "contact.h"

namespace ContactSearch {

std::optional<TableFilter> filterFor(const SearchCriteria& criteria)
{
    TableFilter filter;
    filter.join = criteria.anyOf ? TableFilter::Join::Or : TableFilter::Join::And;
    const auto text = [&filter](const QString& field, const QString& value) {
        if (!value.isEmpty())
            filter.tests.append({field, value});
    };
    text(BookFields::kName, criteria.name);
    text(BookFields::kSurname, criteria.surname);
    text(BookFields::kPatronymic, criteria.patronymic);
    text(BookFields::kPhone1, criteria.phone1);
    text(BookFields::kMail, criteria.mail);
    text(BookFields::kIcq, criteria.icq);
    text(BookFields::kPhone2, criteria.phone2);
    if (!criteria.birthday.isEmpty()) {
        const std::optional<QDateTime> moment = Contacts::readMoment(criteria.birthday);
        if (!moment)
            return std::nullopt;
        filter.tests.append({BookFields::kBirthday, *moment});
    }
    if (criteria.category)
        filter.tests.append({BookFields::kCategory, *criteria.category});
    return filter;
}

} // namespace ContactSearch
