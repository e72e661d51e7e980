#pragma once

#include "key_record.h"

#include <QString>

// A typed master password against what is stored for it: a key record of
// the current form, or an old verifier that the caller must carry over.
namespace MasterKey {

enum class Verdict {
    Opened,  // the current form; key holds the derived key
    OldForm, // an old verifier accepted: the caller seals the old values anew
    Wrong,   // a wrong password (or none stored)
    Damaged, // the stored record is not whole; error says so
    Failed,  // the key could not be derived; error says why
};

struct Checked
{
    Verdict verdict = Verdict::Wrong;
    VaultKey key;
    QString error;
};

Checked check(const QString& stored, const QString& typed);

// What the user reads when a stored key record is not whole.
QString damagedMessage();

} // namespace MasterKey
