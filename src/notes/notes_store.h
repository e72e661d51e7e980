#pragma once

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

class ProfileDatabase;
class TableObject;

// The notes table as the notes section and the calendar use it. Names are
// compared exactly (letter case counts) and always travel as bound values.
// A change that removes one row and writes another is one transaction: either
// the new text is stored or the old row stays as it was.
class NotesStore
{
public:
    struct Entry
    {
        qint64 key = 0;
        QString name;
    };

    explicit NotesStore(ProfileDatabase& database);

    // Day notes carry a reserved name: "#!" and the date in the short format.
    static bool isDayNoteName(const QString& name);
    static QString dayNoteName(const QDate& date);
    // Notes keep CR LF line breaks; text boxes want LF alone.
    static QString toDisplayLines(const QString& text);
    static QString toStoredLines(const QString& text);

    // Every row that the notes list shows, in table order: key and name only,
    // so that filling the list never reads the texts.
    QList<Entry> listed() const;

    // The first row with exactly this name.
    std::optional<qint64> firstNamed(const QString& name) const;
    // True when a row other than exceptKey has exactly this name.
    bool nameTaken(const QString& name, qint64 exceptKey = 0) const;
    QString textOf(qint64 key) const;

    bool add(const QString& name, const QString& text, qint64* newKey = nullptr, QString* error = nullptr);
    // Rewrites a note as a new row at the end of the table order.
    bool replace(qint64 key, const QString& name, const QString& text, qint64* newKey = nullptr,
                 QString* error = nullptr);
    bool remove(qint64 key, QString* error = nullptr);

    // The day note of a date: the first row with its name.
    std::optional<QString> dayNote(const QDate& date) const;
    // Replaces the day's note (an empty text is stored as an empty note).
    bool writeDayNote(const QDate& date, const QString& text, QString* error = nullptr);
    // The dates of the given range that have a day note.
    QSet<QDate> dayNoteDates(const QDate& from, const QDate& to) const;

private:
    bool rewrite(std::optional<qint64> oldKey, const QString& name, const QString& text, qint64* newKey,
                 QString* error);

    TableObject& m_table;
};
