#pragma once

#include <QByteArray>
#include <QString>

// Files brought in from or taken out to other programs (address books,
// calendars): read whole or not at all, written whole or not at all.
namespace ExchangeFile {

// Far more than any address book or calendar a person keeps (10,000 cards
// make about 3 MB), and little enough to read at once.
inline constexpr qint64 kLargestFile = 32 * 1024 * 1024;

// The whole file, or false with a message for the user.
bool readWhole(const QString& path, QByteArray* bytes, QString* error);
// Into a temporary file beside the target, renamed when complete.
bool writeWhole(const QString& path, const QByteArray& bytes, QString* error);

} // namespace ExchangeFile
