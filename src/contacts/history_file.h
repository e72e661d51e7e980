#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The history of a combo box: one entry a line, every line ending with CR LF.
// Written as UTF-8 without a byte-order mark; read with a byte-order mark
// honoured and Windows-1251 accepted, so files of the Windows version read.
namespace HistoryFile {

QStringList parse(const QByteArray& bytes);
QByteArray format(const QStringList& entries);

// False with a reason when the file cannot be read. The temporary file of a
// save killed before its rename, left beside it, is removed first.
bool load(const QString& path, QStringList* entries, QString* error = nullptr);
// Replaces the file whole through a temporary file, so that a crash while
// writing leaves the old history in place.
bool save(const QString& path, const QStringList& entries, QString* error = nullptr);

} // namespace HistoryFile
