#include "scheme_look.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>

namespace SchemeLooks {

namespace {

void setTextColour(QPalette& colours, const QColor& text)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::WindowText, text);
        colours.setColor(group, QPalette::Text, text);
        colours.setColor(group, QPalette::ButtonText, text);
    }
}

// The kinds of control inside a section box that take the main font.
bool takesMainFont(const QWidget* control)
{
    return qobject_cast<const QLineEdit*>(control) || qobject_cast<const QLabel*>(control) ||
           qobject_cast<const QPushButton*>(control) || qobject_cast<const QToolButton*>(control) ||
           qobject_cast<const QPlainTextEdit*>(control) || qobject_cast<const QTextEdit*>(control) ||
           qobject_cast<const QListView*>(control);
}

QList<QWidget*> directControls(const QWidget* parent)
{
    return parent ? parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly) : QList<QWidget*>();
}

} // namespace

void paintSection(QGroupBox* box, const SchemeLook& look)
{
    QPalette colours = box->palette();
    colours.setColor(QPalette::Window, look.background);
    setTextColour(colours, look.mainText);
    box->setPalette(colours);
    box->setFont(look.mainFont);
    for (QWidget* control : directControls(box))
        if (takesMainFont(control))
            paint(control, look.mainFont, look.mainText);
}

void paint(QWidget* control, const QFont& font, const QColor& text)
{
    QPalette colours = control->palette();
    setTextColour(colours, text);
    control->setPalette(colours);
    control->setFont(font);
}

void apply(QMainWindow* window, const SchemeLook& look)
{
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, look.background);
    setTextColour(colours, look.mainText);
    window->setPalette(colours);
    window->setFont(look.mainFont);
    if (auto* settingsBox = window->findChild<QGroupBox*>(QStringLiteral("Config")))
        settingsBox->setFont(look.mainFont);

    // The window's own controls sit on its client area in Qt.
    QList<QWidget*> controls = directControls(window);
    controls += directControls(window->centralWidget());
    for (QWidget* control : controls) {
        if (auto* box = qobject_cast<QGroupBox*>(control))
            paintSection(box, look);
        else if (auto* tree = qobject_cast<QTreeView*>(control))
            paint(tree, look.treeFont, look.treeText);
    }

    if (auto* pages = window->findChild<QTabWidget*>(QStringLiteral("PageControl1")))
        pages->setFont(look.mainFont);
}

SchemeLook current(QMainWindow* window)
{
    SchemeLook look;
    look.mainFont = ColourSchemes::inPoints(window->font());
    look.mainText = window->palette().color(QPalette::WindowText);
    look.background = window->palette().color(QPalette::Window);
    look.treeFont = look.mainFont;
    look.treeText = look.mainText;
    const QList<QWidget*> controls = directControls(window->centralWidget());
    for (QWidget* control : controls) {
        if (auto* tree = qobject_cast<QTreeView*>(control)) {
            look.treeFont = ColourSchemes::inPoints(tree->font());
            look.treeText = tree->palette().color(QPalette::Text);
        }
    }
    return look;
}

} // namespace SchemeLooks
