#include "tray_icon.h"

#include "settings.h"
#include "system_info.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {
std::optional<bool> availabilityOverride;
constexpr int kTipLength = 127;
} // namespace

TrayIcon::TrayIcon(QWidget* window, QMenu* menu, QObject* parent)
    // The window's own picture, decoded once for both.
    : QObject(parent), m_window(window), m_menu(menu), m_applicationPicture(window->windowIcon())
{
}

bool TrayIcon::available()
{
    return availabilityOverride.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TrayIcon::setAvailableForTests(std::optional<bool> available)
{
    availabilityOverride = available;
}

QString TrayIcon::tipFor(const QString& userName)
{
    return (QStringLiteral("Quillarbor ") + Settings::kVersion + QStringLiteral(" - ") + userName)
        .left(kTipLength);
}

void TrayIcon::add()
{
    if (m_icon)
        return;
    m_icon = new QSystemTrayIcon(m_applicationPicture, this);
    m_icon->setObjectName(QStringLiteral("TrayIcon"));
    m_icon->setToolTip(tipFor(SystemInfo::userName()));
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            leftClick();
        else if (reason == QSystemTrayIcon::Context)
            rightClick();
    });
    m_icon->show();
}

void TrayIcon::setPicture(const QIcon& picture)
{
    if (m_icon)
        m_icon->setIcon(picture);
}

void TrayIcon::resetPicture()
{
    setPicture(m_applicationPicture);
}

QIcon TrayIcon::picture() const
{
    return m_icon ? m_icon->icon() : QIcon();
}

QString TrayIcon::tip() const
{
    return m_icon ? m_icon->toolTip() : QString();
}

void TrayIcon::leftClick()
{
    resetPicture();
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void TrayIcon::rightClick()
{
    // The window comes to the front first, so that the menu and what it
    // opens appear over it. A window hidden in the tray stays hidden: to the
    // front is not onto the screen.
    if (m_window->isVisible()) {
        m_window->raise();
        m_window->activateWindow();
    }
    m_menu->popup(QCursor::pos());
}
