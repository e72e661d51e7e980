#pragma once

#include "table_object.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

// One font of a scheme as stored: face, point size and the colour of its text.
struct SchemeFont
{
    QString face;
    int size = 0;
    QColor colour = QColor(0, 0, 0);
};

// A colour scheme: a row of "Темы".
struct ColourScheme
{
    QString name;
    SchemeFont main;
    QColor background = QColor(0, 0, 0);
    SchemeFont tree;

    static ColourScheme fromRow(const TableObject::Row& row);
    // The stored fields, style fields left alone.
    QVariantMap toValues() const;
};

// What a scheme looks like on screen: the two fonts, their text colours and
// the window colour.
struct SchemeLook
{
    QFont mainFont;
    QColor mainText;
    QColor background;
    QFont treeFont;
    QColor treeText;
};

namespace ColourSchemes {

inline const QString kProtectedName = QStringLiteral("Modern");
// Sizes chosen in the font dialog are capped here; sizes read from the table are not.
inline constexpr int kLargestChosenSize = 14;

// "DejaVu Sans; 10 pt"
QString fontText(const QString& face, int size);
QString fontText(const QFont& font);
// The point size of any font, also of one set in pixels.
int pointSizeOf(const QFont& font);
// A font given in points, whatever the original was given in.
QFont inPoints(const QFont& font);
// R + 256·G + 65536·B.
int colourReference(const QColor& colour);
QColor fromReference(int reference);

// The look of a scheme; a missing face or a size that is not positive keeps
// the face or size of the fallback, so a damaged row never yields an
// unusable font.
SchemeLook lookOf(const ColourScheme& scheme, const SchemeLook& fallback);
// The scheme the look describes, under the given name.
ColourScheme schemeOf(const QString& name, const SchemeLook& look);

} // namespace ColourSchemes

// The schemes of the profile database, looked up by exact name with bound
// parameters, so any text is a valid name.
class SchemeStore
{
public:
    explicit SchemeStore(TableObject& table) : m_table(table) {}

    QStringList names() const;
    std::optional<ColourScheme> firstNamed(const QString& name) const;
    // With duplicate names the last row in table order.
    std::optional<ColourScheme> lastNamed(const QString& name) const;
    // Overwrites the first row of that name or adds a row, in one transaction.
    bool save(const ColourScheme& scheme, QString* error);
    // Removes the first row of that name; false when there is none or it failed.
    bool removeFirst(const QString& name);

private:
    TableObject& m_table;
};
