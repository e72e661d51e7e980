#pragma once

#include "catalogue_download.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>

class PluginDownloads;
class QProgressBar;
class QPushButton;
class RegistryStore;
class SectionHost;
namespace Settings {
struct Record;
}

// The automatic catalogue download: runs once, off the main thread.
class MyThread : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MyThread)

public:
    explicit MyThread(PluginDownloads& owner);
    // Set when the work has ended, on every path.
    bool workFinished() const { return m_finished; }

protected:
    void run() override;

private:
    PluginDownloads& m_owner;
    std::atomic<bool> m_finished = false;
};

// The catalogue download of the settings page "Основные": the start-up
// decision and its thread, the button "Закачать плагины" and its own thread,
// and the progress bar, whose state is kept here until the page is first
// built. Both downloads leave the main thread free: what they show is carried
// out on it through queued calls.
class PluginDownloads : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PluginDownloads)

public:
    inline static const QString kConnectFailed =
        QStringLiteral("Невозможно подключиться к серверу!\r\nПроверьте настройки подключения к Интернету!");
    inline static const QString kNoServer =
        QStringLiteral("В этой сборке программы не указан сервер плагинов: закачка плагинов недоступна.");

    // folder: where the catalogue and the libraries go.
    PluginDownloads(SectionHost& host, QString folder, QObject* parent = nullptr);
    // Threads still at work are told to stop, and waited for.
    ~PluginDownloads() override;

    // Due when wanted and the last automatic download is more than 14 days
    // old, or none is recorded (or what is recorded is no date).
    static bool isDue(const Settings::Record& record, const QDate& today);

    // Start-up: starts MyThread when the download is due and this build has a
    // plug-in server; at most once.
    void decideAtStartUp();
    // The page's controls, once the settings section is built.
    void bindControls(QPushButton* button, QProgressBar* bar);
    // The settings section is being shown.
    void settingsShown();
    // Starts the manual download; the button stays disabled until it ends.
    void Button10Click();

    MyThread* thread() const { return m_thread; }
    // The manual download has been started and its end not yet shown.
    bool manualRunning() const { return m_manualThread != nullptr; }
    // What the progress bar shows (also before the page exists).
    bool barVisible() const { return m_visible; }
    int barMaximum() const { return m_maximum; }
    int barPosition() const { return m_position; }

private:
    friend class MyThread;
    class ManualThread;
    class Relay;
    void manualEnded(const CatalogueDownload::Result& result);
    static void reportFailedFiles(const QStringList& files);
    void showBar();
    void setBarMaximum(int maximum);
    void setBarPosition(int position);
    void hideBar();
    void applyBar();
    void stopBar();

    SectionHost& m_host;
    RegistryStore& m_registry;
    QString m_folder;
    MyThread* m_thread = nullptr;
    ManualThread* m_manualThread = nullptr;
    QPointer<QPushButton> m_button;
    QPointer<QProgressBar> m_bar;
    bool m_visible = false;
    int m_maximum = 100;
    int m_position = 0;
    bool m_buttonDisabled = false;
};
