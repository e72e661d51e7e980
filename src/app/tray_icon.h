#pragma once

#include <QIcon>
#include <QObject>
#include <optional>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// The one notification-area icon of the program. Once added it stays for the
// rest of the run; its picture can change while a timer runs.
class TrayIcon : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayIcon)

public:
    TrayIcon(QWidget* window, QMenu* menu, QObject* parent = nullptr);

    // Is there a notification area to put the icon in?
    static bool available();
    static void setAvailableForTests(std::optional<bool> available);

    // "Quillarbor 3.2 - <user>", cut to what the tip can hold.
    static QString tipFor(const QString& userName);

    // Adds the icon with the application's picture; nothing changes when it is there.
    void add();
    bool isAdded() const { return m_icon != nullptr; }
    // Changing an icon that was never added does nothing.
    void setPicture(const QIcon& picture);
    void resetPicture();
    QIcon picture() const;
    QString tip() const;
    QSystemTrayIcon* icon() const { return m_icon; }

    // The mouse on the icon: a left click or double click brings the window back,
    // a right click opens the quick-launch menu.
    void leftClick();
    void rightClick();

private:
    QWidget* m_window;
    QMenu* m_menu;
    QSystemTrayIcon* m_icon = nullptr;
    QIcon m_applicationPicture;
};
