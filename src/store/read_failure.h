#pragma once

#include <QString>
#include <stdexcept>

// A read of the profile database that failed (a locked or damaged file): what
// it would have returned is unknown, not empty, so no list is filled and no
// check passes on it. It travels to the handler boundary, which shows the
// message in the error box.
class ReadFailure : public std::runtime_error
{
public:
    explicit ReadFailure(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }

    // The message for a failed read of a table, with the database's own words.
    static ReadFailure ofTable(const QString& tableName, const QString& detail)
    {
        return ReadFailure(QStringLiteral("Не удалось прочитать данные профиля (таблица «%1»). Возможно, "
                                          "файл профиля занят другой программой или повреждён.\r\n%2")
                               .arg(tableName, detail));
    }
};
