#pragma once

#include "profile_database.h"
#include "section_host.h"
#include "settings.h"
#include "sync_service.h"

#include <QGroupBox>
#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class Appearance;
class AddressBookSection;
class BackupControls;
class BrowserSection;
class CalendarSection;
class DailyPlannerPage;
class DiarySection;
class HelpSection;
class IdeasSection;
class InputGate;
class MailSection;
class NotesSection;
class PasswordBankSection;
class PluginDownloads;
class PluginHost;
class PluginsSection;
class QLabel;
class QMenu;
class QMenuBar;
class Schedule;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class RegistryStore;
class SettingsSection;
class SyncPage;
class TrayIcon;
class SearchSection;
class TSmartBox;

// The organiser's one main window: the section tree on the left, one group
// box per section on the right, of which one is visible at a time.
class TForm1 : public QMainWindow, public SectionHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    // Creating the window runs the whole start-up sequence.
    explicit TForm1(RegistryStore& registry, QWidget* parent = nullptr);
    ~TForm1() override;

    // False when the profile database could not be opened: the program must end.
    bool startedUp() const { return !m_fatal; }
    bool startupFinished() const override { return m_startupFinished; }
    // False until the monitor's first tick: the window refuses mouse and keys.
    bool acceptsInput() const;

    void showSection(int number) override;
    void showHelpPage(int page) override;
    // The page last asked for, shown or not.
    int requestedHelpPage() const { return m_requestedHelpPage; }
    int currentSection() const { return m_currentSection; }
    // A section's group box with its controls, built if they were not yet.
    QGroupBox* sectionBox(const QString& objectName) const;

    void setStatusMessage(const QString& text) override;
    QString statusMessage() const;

    RegistryStore& registry() override { return m_registry; }
    Settings::Record& settings() override { return m_settings; }
    ProfileDatabase& database() override { return m_database; }
    void markSettingsChanged() override;
    bool settingsChanged() const;
    SettingsSection* settingsSection() const;
    TrayIcon* trayIcon() const { return m_tray; }
    // A later start of the program asked for this one: out of the tray and
    // to the front, or the modal window it is busy with.
    void bringToFront();
    void prepareSecondary(SkinnedDialog& window) override;

    // The current main font, shared by every secondary window.
    QFont mainFont() const { return m_mainFont; }
    void setMainFont(const QFont& font) { m_mainFont = font; }
    // The settings section's pages: 0 general, 1 mail, 2 schemes, 3 slides.
    QWidget* settingsPage(int index) const;
    // Colour schemes and the slide show: the pages "Скины" and "Слайды",
    // readSlidePage() and SlideSetUp() for the settings save. Asking for it
    // builds the settings section.
    Appearance* appearance() const;
    // Notes (section 9), the daily planner (778) and the calendar (777).
    NotesSection* notesSection() const;
    DailyPlannerPage* plannerPage() const { return m_planner; }
    CalendarSection* calendarSection() const { return m_calendar; }
    // The password bank (section 40) and the diary (41), built on first asking.
    PasswordBankSection* passwordBank() const;
    MailSection* mailSection() const;
    HelpSection* helpSection() const;
    // F1: the page of the section on screen; nothing for a section without one.
    void HelpTopicClick();
    DiarySection* diary() const;
    // The ideas (section 42), built on first asking.
    IdeasSection* ideasSection() const;
    // Plug-ins: the libraries found at start-up, their section (33) and the
    // catalogue download of the settings page.
    PluginHost* pluginHost() const;
    PluginsSection* pluginsSection() const;
    PluginDownloads* pluginDownloads() const;

    // Handlers, public so that the timer and menus can be driven by tests too.
    void Timer1Timer();
    void TreeView1Change(QTreeWidgetItem* item);
    void CutClick();
    void CopyClick();
    void PasteClick();
    void InsertDateClick();
    void InsertTimeClick();
    void InsertFileClick();
    void AboutClick();
    // "Свернуться в трею"
    void HideInTrayClick();
    // "Профиль" → "Удалить": settings and profile folder go, the program ends.
    void DeleteProfileClick();
    // The backup group of the page "Основные"; asking for it builds the settings section.
    BackupControls* backupControls() const;

    QMenuBar* ActionMainMenuBar1 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    // The settings section's page control, made with the section.
    QTabWidget* PageControl1 = nullptr;
    // The mail section's subject box, which remembers earlier subjects.
    TSmartBox* Theme = nullptr;
    AddressBookSection* addressBook() const;
    // Reminders, tasks, the due-item monitor and the kettle timers.
    Schedule* schedule() const { return m_schedule; }

signals:
    // Closing the window ends the program; so does a wrong password of the
    // diary or the bank, at once and without saving.
    void programEnded();
    // A new copy is about to start in this one's place (after a restore).
    void restarting();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void buildWindow();
    void buildMenus();
    void buildQuickLaunchMenu();
    void buildTree();
    void buildSectionBoxes();
    void buildSettingsPages();
    void buildContactSections();
    void buildSettingsSection();
    void buildNotesSection();
    void buildSecretSections();
    void buildHelpSection();
    void addSettingsHelpButton();
    // The support letter node: the letter addressed to the support, or a
    // word that this build has no support address.
    void prepareSupportLetter();
    void buildIdeasSection();
    void buildBackupControls();
    // The first start of a day keeps a copy of the database in Backups/.
    void makeDailyCopy();
    void scanPlugins();
    void buildPluginsSection();
    void wirePluginDownloads();
    void startPluginDownloadWhenDue();
    void stopPlugins();
    // A wrong password ends the program at once: nothing is saved.
    void endAtOnce();
    // The bank does not stay open while the window is out of sight.
    void lockSecrets();
    // After the bank or the diary was sealed anew.
    void forgetOldCopies();
    // Moves a mail password of the old form out of the profile.
    void carryMailPasswordOver();
    // The contacts' sync with the server: its page, its timer, its reports.
    void buildSyncPage();
    void scheduleSync();
    void syncFinished(const SyncService::Outcome& outcome, bool askedByUser);
    // Lists that show what a sync changed read it again.
    void showSyncedChanges(const SyncService::Outcome& outcome);
    std::optional<SyncService::Account> syncAccount(QString* why);
    // Controls that start-up does not show are built on their section's
    // first showing, with the data start-up would have put in them.
    void buildLater(const QStringList& boxes, std::function<void()> build);
    void buildNow(const QString& box) const;
    void runStageOfSettings();
    void runShowingStep(int number);
    void launchTool(const QString& caption, const QStringList& candidates);
    void hideIntoTray();

    RegistryStore& m_registry;
    Settings::Record m_settings;
    ProfileDatabase m_database;
    QHash<QString, QGroupBox*> m_boxes;
    struct LaterPart
    {
        QStringList boxes;
        std::function<void()> build;
    };
    mutable QHash<QString, std::shared_ptr<LaterPart>> m_later;
    QLabel* m_statusPanel = nullptr;
    AddressBookSection* m_addressBook = nullptr;
    SearchSection* m_search = nullptr;
    int m_currentSection = -1;
    int m_requestedHelpPage = 0;
    MailSection* m_mail = nullptr;
    HelpSection* m_help = nullptr;
    QFont m_mainFont;
    SettingsSection* m_settingsSection = nullptr;
    TrayIcon* m_tray = nullptr;
    InputGate* m_inputGate = nullptr;
    Appearance* m_appearance = nullptr;
    NotesSection* m_notes = nullptr;
    DailyPlannerPage* m_planner = nullptr;
    CalendarSection* m_calendar = nullptr;
    PasswordBankSection* m_passwords = nullptr;
    DiarySection* m_diary = nullptr;
    IdeasSection* m_ideas = nullptr;
    BrowserSection* m_browser = nullptr;
    Schedule* m_schedule = nullptr;
    BackupControls* m_backup = nullptr;
    mutable PluginHost* m_pluginHost = nullptr;
    PluginsSection* m_pluginsSection = nullptr;
    SyncService* m_sync = nullptr;
    SyncPage* m_syncPage = nullptr;
    QTimer* m_syncTimer = nullptr;
    bool m_syncAskedByUser = false;
    QString m_lastSyncFailure;
    mutable PluginDownloads* m_pluginDownloads = nullptr;
    bool m_fatal = false;
    bool m_startupFinished = false;
    bool m_firstTickDone = false;
    bool m_shownOnce = false;
};
