#include "colour_scheme.h"

#include "profile_database.h"

#include <QFontInfo>
#include <QSqlError>
#include <algorithm>

namespace {

const QString kName = QStringLiteral("Наименование");
const QString kFace = QStringLiteral("Название");
const QString kSize = QStringLiteral("Размер");
const QString kFace2 = QStringLiteral("Название2");
const QString kSize2 = QStringLiteral("Размер2");

int component(const TableObject::Row& row, const QString& field)
{
    return std::clamp(row.value(field).toInt(), 0, 255);
}

QColor colourOf(const TableObject::Row& row, const QString& red, const QString& green, const QString& blue)
{
    return QColor(component(row, red), component(row, green), component(row, blue));
}

void putColour(QVariantMap& values, const QColor& colour, const QString& red, const QString& green,
               const QString& blue)
{
    const QColor rgb = colour.toRgb();
    values.insert(red, rgb.red());
    values.insert(green, rgb.green());
    values.insert(blue, rgb.blue());
}

QFont fontOf(const SchemeFont& stored, const QFont& fallback)
{
    QFont font = fallback;
    if (!stored.face.isEmpty())
        font.setFamilies({stored.face});
    if (stored.size > 0)
        font.setPointSize(stored.size);
    else
        font = ColourSchemes::inPoints(font);
    return font;
}

SchemeFont storedOf(const QFont& font, const QColor& colour)
{
    return SchemeFont{font.family(), ColourSchemes::pointSizeOf(font), colour.toRgb()};
}

} // namespace

ColourScheme ColourScheme::fromRow(const TableObject::Row& row)
{
    ColourScheme scheme;
    scheme.name = row.value(kName).toString();
    scheme.main.face = row.value(kFace).toString();
    scheme.main.size = row.value(kSize).toInt();
    scheme.main.colour =
        colourOf(row, QStringLiteral("FЦветR"), QStringLiteral("FЦветG"), QStringLiteral("FЦветB"));
    scheme.background =
        colourOf(row, QStringLiteral("ЦветR"), QStringLiteral("ЦветG"), QStringLiteral("ЦветB"));
    scheme.tree.face = row.value(kFace2).toString();
    scheme.tree.size = row.value(kSize2).toInt();
    scheme.tree.colour =
        colourOf(row, QStringLiteral("FЦветR2"), QStringLiteral("FЦветG2"), QStringLiteral("FЦветB2"));
    return scheme;
}

QVariantMap ColourScheme::toValues() const
{
    QVariantMap values;
    values.insert(kName, name);
    values.insert(kFace, main.face);
    values.insert(kFace2, tree.face);
    values.insert(kSize, main.size);
    values.insert(kSize2, tree.size);
    putColour(values, main.colour, QStringLiteral("FЦветR"), QStringLiteral("FЦветG"),
              QStringLiteral("FЦветB"));
    putColour(values, tree.colour, QStringLiteral("FЦветR2"), QStringLiteral("FЦветG2"),
              QStringLiteral("FЦветB2"));
    putColour(values, background, QStringLiteral("ЦветR"), QStringLiteral("ЦветG"), QStringLiteral("ЦветB"));
    return values;
}

namespace ColourSchemes {

QString fontText(const QString& face, int size)
{
    return face + QStringLiteral("; ") + QString::number(size) + QStringLiteral(" pt");
}

QString fontText(const QFont& font)
{
    return fontText(font.family(), pointSizeOf(font));
}

int pointSizeOf(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    return QFontInfo(font).pointSize();
}

QFont inPoints(const QFont& font)
{
    QFont result = font;
    if (font.pointSize() <= 0)
        result.setPointSize(std::max(1, QFontInfo(font).pointSize()));
    return result;
}

int colourReference(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return rgb.red() + 256 * rgb.green() + 65536 * rgb.blue();
}

QColor fromReference(int reference)
{
    return QColor(reference & 0xFF, (reference >> 8) & 0xFF, (reference >> 16) & 0xFF);
}

SchemeLook lookOf(const ColourScheme& scheme, const SchemeLook& fallback)
{
    SchemeLook look;
    look.mainFont = fontOf(scheme.main, fallback.mainFont);
    look.mainText = scheme.main.colour;
    look.background = scheme.background;
    look.treeFont = fontOf(scheme.tree, fallback.treeFont);
    look.treeText = scheme.tree.colour;
    return look;
}

ColourScheme schemeOf(const QString& name, const SchemeLook& look)
{
    ColourScheme scheme;
    scheme.name = name;
    scheme.main = storedOf(look.mainFont, look.mainText);
    scheme.background = look.background.toRgb();
    scheme.tree = storedOf(look.treeFont, look.treeText);
    return scheme;
}

} // namespace ColourSchemes

QStringList SchemeStore::names() const
{
    QStringList list;
    for (const TableObject::Row& row : m_table.rows())
        list.append(row.value(kName).toString());
    return list;
}

std::optional<ColourScheme> SchemeStore::firstNamed(const QString& name) const
{
    const std::optional<TableObject::Row> row = m_table.first(TableFilter(kName, name));
    if (!row)
        return std::nullopt;
    return ColourScheme::fromRow(*row);
}

std::optional<ColourScheme> SchemeStore::lastNamed(const QString& name) const
{
    const QList<TableObject::Row> rows = m_table.rows(TableFilter(kName, name));
    if (rows.isEmpty())
        return std::nullopt;
    return ColourScheme::fromRow(rows.last());
}

bool SchemeStore::save(const ColourScheme& scheme, QString* error)
{
    Transaction transaction(m_table.database());
    if (!transaction.isActive()) {
        if (error)
            *error = QStringLiteral("no transaction");
        return false;
    }
    const std::optional<TableObject::Row> existing = m_table.first(TableFilter(kName, scheme.name));
    const bool written = existing ? m_table.update(existing->key, scheme.toValues(), error)
                                  : m_table.insert(scheme.toValues(), nullptr, error);
    // Anything not committed is rolled back when the transaction goes.
    if (!written)
        return false;
    if (!transaction.commit()) {
        if (error)
            *error = m_table.database().lastError().text();
        return false;
    }
    return true;
}

bool SchemeStore::removeFirst(const QString& name)
{
    const std::optional<TableObject::Row> row = m_table.first(TableFilter(kName, name));
    return row && m_table.remove(row->key);
}
