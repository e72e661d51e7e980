#include "menu_shortcuts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

MenuShortcutsFirst::MenuShortcutsFirst(QWidget* window) : QObject(window), m_window(window)
{
    qApp->installEventFilter(this);
}

MenuShortcutsFirst::~MenuShortcutsFirst()
{
    qApp->removeEventFilter(this);
}

bool MenuShortcutsFirst::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride || !m_window)
        return QObject::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return QObject::eventFilter(watched, event);
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    const QList<QAction*> actions = m_window->findChildren<QAction*>();
    for (const QAction* action : actions) {
        if (action->isEnabled() && action->shortcutContext() != Qt::WidgetShortcut &&
            action->shortcuts().contains(pressed)) {
            // Not overridden: the key goes on to the window's shortcut.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
