#include "kettle_timers.h"

#include "error_handler.h"
#include "modal_windows.h"
#include "reminder_popup.h"
#include "system_info.h"
#include "tea_window.h"

#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace {

constexpr int kMinute = 60000;

// A picture that cannot be read leaves the tray without one while a timer runs.
QIcon iconFrom(const QString& file)
{
    return QFileInfo::exists(file) ? QIcon(file) : QIcon();
}

} // namespace

KettleTimers::KettleTimers(QWidget* window, Prepare prepare, QObject* parent)
    : QObject(parent), m_window(window), m_prepare(std::move(prepare)),
      m_kettleIcon(iconFrom(SystemInfo::programFolder() + QStringLiteral("tea.ico"))),
      m_countdownIcon(iconFrom(SystemInfo::programFolder() + QStringLiteral("timer.ico")))
{
    setObjectName(QStringLiteral("KettleTimers"));
    TeaTimer = new QTimer(window);
    TeaTimer->setObjectName(QStringLiteral("TeaTimer"));
    // Every start gives exactly one alarm.
    TeaTimer->setSingleShot(true);
    connect(TeaTimer, &QTimer::timeout, this, [this] { ErrorHandler::guard([this] { TeaTimerTimer(); }); });
}

void KettleTimers::start(Mode mode)
{
    TTeaForm window(m_window);
    if (m_prepare)
        m_prepare(window);
    if (mode == Mode::Countdown)
        window.StaticText1->setText(TTeaForm::kCountdownText);
    if (ModalWindows::exec(&window) != QDialog::Accepted)
        return;
    m_mode = mode;
    const int minutes = window.minutes();
    // A Qt timer of no interval would fire without pause: 0 minutes is a
    // timer that never rings, so the one running is stopped and none starts.
    if (minutes > 0)
        TeaTimer->start(minutes * kMinute);
    else
        TeaTimer->stop();
    emit trayPictureChanged(picture(mode));
}

void KettleTimers::TeaTimerTimer()
{
    TeaTimer->stop();
    // The alarm keeps the pop-up's own cream look whatever the colour scheme.
    TForm9 popup(m_window);
    popup.fill(m_mode == Mode::Kettle ? kKettleMessage : kCountdownMessage, kNowLine);
    ModalWindows::exec(&popup);
    // A timer started while the alarm was open keeps its picture.
    if (!TeaTimer->isActive())
        emit trayPictureReset();
}
