#pragma once

#include "master_key.h"
#include "vault_key.h"

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class ProfileDatabase;

// The diary's pages, one per day, and its lock record, the first row of the
// keys table. A locked diary's pages are sealed under the key of its
// password (docs/vault-format.md). Locking and unlocking rewrite every page
// and the lock record in one transaction: after a failure or a crash the
// profile holds either every page under the old state or every page under
// the new one.
class DiaryStore
{
public:
    // What the text box admits.
    static constexpr int kPageLength = 1700;

    explicit DiaryStore(ProfileDatabase& database);

    struct LockRecord
    {
        QString keyRecord; // or, in a profile from before, the old verifier
        bool locked = false;
    };
    LockRecord lockRecord() const;
    bool isLocked() const { return lockRecord().locked; }

    // The key of the diary's password with the record stored for it: what
    // the section keeps while the diary is open, to lock it again.
    struct Key
    {
        VaultKey key;
        QString record;
    };
    // A new password: a new record with a fresh salt.
    static std::optional<Key> newKey(const QString& password, QString* error);

    // The text of the day's first page; nullopt when the day has none. Pages
    // are told apart by their day, whatever time of day they carry.
    std::optional<QString> page(const QDate& day) const;
    // Writes the day's first page, or adds one; an empty text is stored too.
    bool savePage(const QDate& day, const QString& text, QString* error = nullptr);
    int pageCount() const;

    // Every page sealed under the key, its record stored, the locked flag set.
    bool lock(const Key& key, QString* error = nullptr);
    // The same under a new record of the password.
    bool lock(const QString& password, QString* error = nullptr);

    struct Unlocked
    {
        MasterKey::Verdict verdict = MasterKey::Verdict::Wrong;
        Key key; // while Opened: for locking again in this run
        QString error;
        bool carriedOver = false; // the pages were in the old form
    };
    // Every page opened and the locked flag cleared; the record stays. A
    // diary locked in the old form gets a record of the current form for the
    // same password in the same transaction. A page that does not open
    // leaves everything as it was (verdict Failed).
    Unlocked unlock(const QString& typed);

private:
    using PageChange = std::function<std::optional<QString>(const QString&)>;
    bool rewriteAll(const PageChange& changePage, bool locked, const std::optional<QString>& record,
                    QString* error);

    ProfileDatabase& m_database;
};
