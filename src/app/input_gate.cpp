#include "input_gate.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

InputGate::InputGate(QWidget* window) : QObject(window), m_window(window)
{
    // The shortcuts of the window's menus are delivered to their actions, not
    // to a widget, so the filter sits on the application.
    qApp->installEventFilter(this);
}

InputGate::~InputGate()
{
    open();
}

void InputGate::open()
{
    if (!m_closed)
        return;
    m_closed = false;
    qApp->removeEventFilter(this);
}

bool InputGate::eventFilter(QObject* watched, QEvent* event)
{
    if (m_closed && m_window && isInput(event->type())) {
        if (event->type() == QEvent::Shortcut) {
            // A menu shortcut of this window: its action belongs to the window.
            for (QObject* owner = watched; owner; owner = owner->parent())
                if (owner == m_window)
                    return true;
        }
        if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->window() == m_window) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
