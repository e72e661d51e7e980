#pragma once

#include <QDate>
#include <QString>
#include <optional>

class ProfileDatabase;

// The diary's pages, one per day, and its lock record, the first row of the
// keys table. Locking and unlocking rewrite every page and the lock record in
// one transaction: after a failure or a crash the profile holds either every
// page under the old state or every page under the new one.
class DiaryStore
{
public:
    // What the text box admits.
    static constexpr int kPageLength = 1700;

    explicit DiaryStore(ProfileDatabase& database);

    struct LockRecord
    {
        QString verifier;
        bool locked = false;
    };
    LockRecord lockRecord() const;
    bool isLocked() const { return lockRecord().locked; }
    bool accepts(const QString& typed) const;

    // The text of the day's first page; nullopt when the day has none. Pages
    // are told apart by their day, whatever time of day they carry.
    std::optional<QString> page(const QDate& day) const;
    // Writes the day's first page, or adds one; an empty text is stored too.
    bool savePage(const QDate& day, const QString& text, QString* error = nullptr);
    int pageCount() const;

    // Every page enciphered with the password, a new verifier, the locked
    // flag set.
    bool lock(const QString& password, QString* error = nullptr);
    // Every page deciphered, the locked flag cleared; the verifier stays.
    bool unlock(const QString& password, QString* error = nullptr);

private:
    bool rewriteAll(const QString& password, bool locked, const std::optional<QString>& verifier,
                    QString* error);

    ProfileDatabase& m_database;
};
