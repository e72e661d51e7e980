#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Keeps a window from taking mouse and keyboard input without changing how
// it looks: a disabled Qt window greys every control, and the main window
// must look finished during the seconds it waits before accepting input.
// Windows of their own (pop-ups, questions) stay usable.
class InputGate : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InputGate)

public:
    explicit InputGate(QWidget* window);
    ~InputGate() override;

    void open();
    bool isOpen() const { return !m_closed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    bool m_closed = true;
};
