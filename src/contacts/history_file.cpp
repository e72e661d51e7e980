#include "history_file.h"

#include "interrupted_saves.h"
#include "text_decoding.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace HistoryFile {

QStringList parse(const QByteArray& bytes)
{
    const QString text = TextDecoding::decode(bytes);
    QStringList entries;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype at = 0; at < size; ++at) {
        const QChar c = text.at(at);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        entries.append(text.mid(start, at - start));
        if (c == QLatin1Char('\r') && at + 1 < size && text.at(at + 1) == QLatin1Char('\n'))
            ++at;
        start = at + 1;
    }
    // A last line without its line end is an entry too.
    if (start < size)
        entries.append(text.mid(start));
    return entries;
}

QByteArray format(const QStringList& entries)
{
    QByteArray bytes;
    for (const QString& entry : entries) {
        bytes += entry.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool load(const QString& path, QStringList* entries, QString* error)
{
    // A save killed before its rename leaves its temporary file beside the
    // history, which is still the old one, whole: it goes as the history is read.
    const QFileInfo info(path);
    InterruptedSaves::sweep(info.absolutePath(), {info.fileName()});
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    *entries = parse(bytes);
    return true;
}

bool save(const QString& path, const QStringList& entries, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(format(entries)) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace HistoryFile
