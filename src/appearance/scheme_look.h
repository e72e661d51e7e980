#pragma once

#include "colour_scheme.h"

class QGroupBox;
class QMainWindow;
class QWidget;

// Putting a scheme's look on the main window.
namespace SchemeLooks {

// Window colour and fonts for the main window: its own font and colour, the
// settings box and its page control, every section box with the edit boxes,
// labels, buttons, memos and list boxes directly in it, and the section tree.
// Each control gets its own copy of the font.
void apply(QMainWindow* window, const SchemeLook& look);

// One section box and the controls directly in it, as apply() paints them.
void paintSection(QGroupBox* box, const SchemeLook& look);

// The look the window has now (its design look before any scheme).
SchemeLook current(QMainWindow* window);

// Gives one control a font with the colour of its text.
void paint(QWidget* control, const QFont& font, const QColor& text);

} // namespace SchemeLooks
