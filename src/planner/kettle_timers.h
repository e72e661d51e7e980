#pragma once

#include <QIcon>
#include <QObject>
#include <functional>

class QTimer;
class QWidget;
class SkinnedDialog;

// The kettle timer and the countdown: one shared timer on the main window,
// started from the tray menu for a number of minutes, ending in the
// reminder pop-up. Starting one replaces the one that runs.
class KettleTimers : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KettleTimers)

public:
    enum class Mode { Kettle, Countdown };
    using Prepare = std::function<void(SkinnedDialog&)>;

    // The timer belongs to the window; the icons are read from the program folder once.
    KettleTimers(QWidget* window, Prepare prepare, QObject* parent = nullptr);

    static inline const QString kKettleMessage = QStringLiteral("Чайник вскипел!");
    static inline const QString kCountdownMessage = QStringLiteral("Время закончилось");
    static inline const QString kNowLine = QStringLiteral("Дата события: сейчас");

    // "Поставить чайник..."
    void N100Click() { start(Mode::Kettle); }
    // "Таймер..."
    void N103Click() { start(Mode::Countdown); }
    // The alarm, when the minutes have passed.
    void TeaTimerTimer();

    Mode mode() const { return m_mode; }
    QIcon picture(Mode mode) const { return mode == Mode::Kettle ? m_kettleIcon : m_countdownIcon; }

    QTimer* TeaTimer = nullptr;

signals:
    // The tray shows the timer's picture while it runs, and its own after the alarm.
    void trayPictureChanged(const QIcon& picture);
    void trayPictureReset();

private:
    void start(Mode mode);

    QWidget* m_window;
    Prepare m_prepare;
    Mode m_mode = Mode::Kettle;
    QIcon m_kettleIcon;
    QIcon m_countdownIcon;
};
