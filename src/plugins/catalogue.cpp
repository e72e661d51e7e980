#include "catalogue.h"

#include "text_decoding.h"

namespace Catalogue {

Reading read(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    // The line end of the last line is no further line.
    if (bytes.endsWith('\n'))
        lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);

    Reading reading;
    if (lines.isEmpty() || lines.first() != kHeader) {
        reading.kind = Reading::Kind::Bad;
        return reading;
    }
    bool number = false;
    const int count = lines.size() > 1 ? lines.at(1).trimmed().toInt(&number) : 0;
    if (!number) {
        reading.kind = Reading::Kind::Unreadable;
        return reading;
    }
    if (count == 0) {
        reading.kind = Reading::Kind::Bad;
        return reading;
    }
    reading.kind = Reading::Kind::Listed;
    reading.count = count;
    for (qsizetype i = 2; i < lines.size() && i - 2 < count; ++i)
        reading.names.append(TextDecoding::decode(lines.at(i)));
    return reading;
}

bool isSafeName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format)
            return false;
    }
    return true;
}

} // namespace Catalogue
