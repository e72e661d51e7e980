#pragma once

#include <QColor>
#include <QFont>
#include <optional>

class QWidget;

// The font and colour dialogs of the scheme editor, behind one seam so that
// tests can answer them.
namespace SchemeDialogs {

// A font with the colour of its text, as the editor holds it.
struct FontChoice
{
    QFont font;
    QColor colour;
};

class Backend
{
public:
    virtual ~Backend() = default;
    virtual std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial) = 0;
    virtual std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial) = 0;
};

// nullopt when the user cancelled.
std::optional<FontChoice> chooseFont(QWidget* parent, const FontChoice& initial);
std::optional<QColor> chooseColour(QWidget* parent, const QColor& initial);

void setBackend(Backend* backend); // nullptr restores the real dialogs

} // namespace SchemeDialogs
