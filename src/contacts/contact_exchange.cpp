#include "contact_exchange.h"

#include "exchange_file.h"
#include "profile_database.h"

#include <QSet>

namespace {

// A long list of names is shown in part: the box must stay on the screen.
constexpr int kNamesShown = 10;

QString nameList(const QStringList& names)
{
    QStringList shown = names.mid(0, kNamesShown);
    QString text = shown.join(QStringLiteral(", "));
    if (names.size() > kNamesShown)
        text += QStringLiteral(" и ещё %1").arg(names.size() - kNamesShown);
    return text;
}

QString printable(const ContactNames& names)
{
    QStringList parts;
    for (const QString& part : {names.surname, names.name, names.patronymic})
        if (!part.isEmpty())
            parts.append(part);
    return parts.join(QLatin1Char(' '));
}

} // namespace

namespace ContactExchange {

ImportSummary importFile(const QString& path, AddressBook& book, const QSqlDatabase& database)
{
    ImportSummary summary;
    QByteArray bytes;
    if (!ExchangeFile::readWhole(path, &bytes, &summary.error))
        return summary;
    return importCards(VCard::read(bytes), book, database);
}

ImportSummary importCards(const VCard::ReadResult& read, AddressBook& book, const QSqlDatabase& database)
{
    ImportSummary summary;
    if (!read.error.isEmpty()) {
        summary.error = read.error;
        return summary;
    }
    summary.failures = read.failures;
    // The duplicate test of the editor, over the whole book at once.
    QSet<QString> present;
    for (const ContactNames& names : book.names())
        present.insert(ContactLine::of(names));

    Transaction transaction(database);
    if (!transaction.isActive()) {
        summary.error = QStringLiteral("Не удалось начать запись в адресную книгу.");
        return summary;
    }
    QList<QVariantMap> rows;
    for (const VCard::Card& card : read.cards) {
        const QString line = ContactLine::of(card.contact.names());
        if (present.contains(line)) {
            summary.duplicates.append(printable(card.contact.names()));
            continue;
        }
        rows.append(card.contact.toValues());
        present.insert(line);
        summary.addedNames.append(card.contact.names());
        ++summary.added;
    }
    QString error;
    if (!book.addAll(rows, &error)) {
        summary = ImportSummary();
        summary.error = QStringLiteral("Не удалось записать контакты в адресную книгу: %1").arg(error);
        return summary; // the transaction rolls back
    }
    if (!transaction.commit()) {
        summary = ImportSummary();
        summary.error = QStringLiteral("Не удалось сохранить контакты в адресной книге.");
    }
    return summary;
}

QString summaryText(const ImportSummary& summary)
{
    QStringList lines;
    lines.append(QStringLiteral("Добавлено контактов: %1.").arg(summary.added));
    if (!summary.duplicates.isEmpty())
        lines.append(QStringLiteral("Пропущено, потому что такая запись уже существует: %1 (%2).")
                         .arg(summary.duplicates.size())
                         .arg(nameList(summary.duplicates)));
    if (!summary.failures.isEmpty()) {
        lines.append(QStringLiteral("Не удалось прочитать карточек: %1.").arg(summary.failures.size()));
        for (int i = 0; i < summary.failures.size() && i < kNamesShown; ++i) {
            const VCard::Failure& failure = summary.failures[i];
            QString where = QStringLiteral("Карточка %1 (строка %2)").arg(failure.number).arg(failure.line);
            if (!failure.label.isEmpty())
                where += QStringLiteral(", «%1»").arg(failure.label);
            lines.append(where + QStringLiteral(": ") + failure.reason + QLatin1Char('.'));
        }
        if (summary.failures.size() > kNamesShown)
            lines.append(QStringLiteral("И ещё %1.").arg(summary.failures.size() - kNamesShown));
    }
    return lines.join(QStringLiteral("\r\n"));
}

bool exportFile(const QString& path, const QList<Contact>& contacts, VCard::Version version, QString* error)
{
    return ExchangeFile::writeWhole(path, VCard::write(contacts, version), error);
}

} // namespace ContactExchange
