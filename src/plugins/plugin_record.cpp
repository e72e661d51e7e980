#include "plugin_record.h"

#include "text_decoding.h"

#include <QByteArray>
#include <QHash>

namespace {

QByteArray toWindows1251(const QString& value)
{
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> codes;
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            const QString decoded = TextDecoding::decodeWindows1251(QByteArray(1, char(byte)));
            if (decoded.at(0) != QChar(0xFFFD))
                codes.insert(decoded.at(0).unicode(), char(byte));
        }
        return codes;
    }();
    QByteArray bytes;
    bytes.reserve(value.size());
    for (const QChar c : value) {
        if (c.unicode() < 0x80)
            bytes.append(char(c.unicode()));
        else
            bytes.append(table.value(c.unicode(), '?'));
    }
    return bytes;
}

} // namespace

namespace PluginRecord {

QString text(const unsigned char* field, int fieldSize)
{
    const int length = qMin(int(field[0]), fieldSize - 1);
    return TextDecoding::decode(QByteArray(reinterpret_cast<const char*>(field + 1), length));
}

void setText(unsigned char* field, int fieldSize, const QString& value)
{
    const QByteArray bytes = toWindows1251(value).left(fieldSize - 1);
    field[0] = static_cast<unsigned char>(bytes.size());
    memcpy(field + 1, bytes.constData(), size_t(bytes.size()));
}

TPluginInfo defaults(const QString& makerSite)
{
    TPluginInfo info;
    memset(&info, 0, sizeof info);
    setText(info.Name, QStringLiteral("Неопредел."));
    setText(info.Version, QStringLiteral("0.0"));
    setText(info.HostVersion, QStringLiteral("1.6"));
    setText(info.Description,
            QStringLiteral("Плагин требует более старую версию программы, загрузите более новую версию "
                           "плагина с ") +
                // A build without a web site sends the user to the plug-in's own author.
                (makerSite.isEmpty() ? QStringLiteral("сайта его автора.") : makerSite));
    return info;
}

QString heading(const TPluginInfo& info)
{
    return text(info.Name) + QLatin1Char(' ') + text(info.Version) + QStringLiteral(" для Quillarbor ") +
           text(info.HostVersion);
}

} // namespace PluginRecord
