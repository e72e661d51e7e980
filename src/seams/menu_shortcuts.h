#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Lets the shortcuts of a window's menus win over the keys a focused text
// box would take for itself: a line edit claims Ctrl+E (end of line on X11),
// Ctrl+X/C/V and others, so the window's "Выход" or "Вырезать" would never
// come while the caret is in a box.
class MenuShortcutsFirst : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MenuShortcutsFirst)

public:
    explicit MenuShortcutsFirst(QWidget* window);
    ~MenuShortcutsFirst() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
};
