#include "main_window.h"

#include "about_window.h"
#include "address_book_section.h"
#include "addresses.h"
#include "appearance.h"
#include "birthday_window.h"
#include "browser_section.h"
#include "calendar_section.h"
#include "clock.h"
#include "daily_planner_page.h"
#include "diary_section.h"
#include "error_handler.h"
#include "ideas_section.h"
#include "input_gate.h"
#include "interrupted_saves.h"
#include "mail_section.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "notes_section.h"
#include "password_bank_section.h"
#include "plugin_downloads.h"
#include "registry_store.h"
#include "reminders_section.h"
#include "resources_section.h"
#include "schedule.h"
#include "search_section.h"
#include "sections.h"
#include "settings_section.h"
#include "skinned_dialog.h"
#include "smart_box.h"
#include "system_info.h"
#include "tasks_section.h"
#include "tray_icon.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

namespace {
constexpr int kMonitorInterval = 3000;
}

TForm1::TForm1(RegistryStore& registry, QWidget* parent) : QMainWindow(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("TForm1"));
    m_database.startLoadingDriver();
    buildWindow();
    // The daily planner and the calendar fill their section boxes.
    m_planner = new DailyPlannerPage(*this, sectionBox(QStringLiteral("EveryDay")));
    m_calendar = new CalendarSection(*this, sectionBox(QStringLiteral("CalendarBox")));
    m_tray = new TrayIcon(this, PopupMenu1, this);
    // The mail section's subject box reads its history as the window shows.
    Theme = new TSmartBox(m_registry, sectionBox(QStringLiteral("GroupBox1")));
    Theme->setObjectName(QStringLiteral("Theme"));
    Theme->setGeometry(16, 104, 400, 26);
    // Reminders and tasks (sections 6 and 5), the due-item monitor on Timer1
    // and the kettle timers of the tray menu.
    m_schedule = new Schedule(*this, this, sectionBox(QStringLiteral("GroupBox5")),
                              sectionBox(QStringLiteral("GroupBox6")), Timer1);
    connect(m_schedule, &Schedule::helpRequested, this, &TForm1::showHelpPage);
    connect(m_schedule, &Schedule::trayPictureChanged, m_tray, &TrayIcon::setPicture);
    connect(m_schedule, &Schedule::trayPictureReset, m_tray, &TrayIcon::resetPicture);
    // A double click in the daily planner opens the reminder or the task in its grid.
    m_planner->selectRow = [this](int section, qint64 key) {
        if (section == Sections::kReminders)
            m_schedule->reminders()->select(key);
        else if (section == Sections::kTasks)
            m_schedule->tasks()->select(key);
    };
    // The daily planner follows the changes of reminders and tasks while it is shown.
    connect(m_schedule, &Schedule::changed, this, [this] {
        if (m_currentSection == Sections::kEveryDay)
            m_planner->build();
    });

    // What start-up does not show waits for its first showing: the window
    // comes up sooner, and the data is read when it is needed.
    buildLater({QStringLiteral("Config")}, [this] { buildSettingsSection(); });
    buildLater({QStringLiteral("Marks")}, [this] { buildNotesSection(); });
    buildLater({QStringLiteral("GroupBox1"), QStringLiteral("GroupBox2"), QStringLiteral("GroupBox4")},
               [this] {
                   buildContactSections();
                   m_mail = new MailSection(*this, m_boxes.value(QStringLiteral("GroupBox1")));
                   connect(m_mail, &MailSection::helpRequested, this, &TForm1::showHelpPage);
               });
    buildLater({QStringLiteral("Browser")}, [this] {
        m_browser = new BrowserSection(m_boxes.value(QStringLiteral("Browser")), m_settings.programFolder);
    });
    buildLater({QStringLiteral("GroupBox5")}, [this] { m_schedule->reminders(); });
    buildLater({QStringLiteral("GroupBox6")}, [this] { m_schedule->tasks(); });
    buildLater({QStringLiteral("PassBox"), QStringLiteral("DiaryBox")}, [this] { buildSecretSections(); });
    buildLater({QStringLiteral("Help")}, [this] { buildHelpSection(); });
    buildLater({QStringLiteral("IdeaBox")}, [this] { buildIdeasSection(); });
    buildLater({QStringLiteral("GroupBox7")}, [this] { buildPluginsSection(); });

    MessageBoxes::setOwner(this);
    ErrorHandler::guard([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    // A grid edit still open in the bank is posted while the profile is open.
    lockSecrets();
    // A sync under way stops and is waited for while the profile is still open.
    delete m_sync;
    m_sync = nullptr;
    stopPlugins();
    MessageBoxes::setOwner(nullptr);
}

void TForm1::FormCreate()
{
    m_settings.programFolder = SystemInfo::programFolder();
    m_mainFont = m_boxes.value(QStringLiteral("GroupBox1"))->font();
    // Colour schemes and the slide show; applying a scheme changes the main font.
    m_appearance = new Appearance(*this, this, Image1);
    connect(m_appearance, &Appearance::mainFontChanged, this, &TForm1::setMainFont);

    runStageOfSettings();
    if (m_fatal)
        return;
    // Temporary files of saves that a crash or a kill cut short.
    InterruptedSaves::sweepAll(ProfileDatabase::profileFolder(m_settings.documentsFolder),
                               SystemInfo::userDataFolder(),
                               QFileInfo(Settings::autostartEntryPath()).absolutePath());
    makeDailyCopy();
    // The plug-ins found, listed and started as they ask.
    scanPlugins();

    // The corner picture: the season or the slide show.
    m_appearance->SlideSetUp();
    // Birthdays of the coming week, one window each, before the main window shows.
    Birthdays::announce(m_database.BookTable, Clock::today());
    // Tasks, then reminders, that fell due while the program was not running.
    m_schedule->startupPass();
    // The colour scheme named by Skin; a failure is ignored.
    m_appearance->applyStoredScheme();
    // The link categories as start-up finds them; their section is made on its first showing.
    const LinkCategories categories = ResourcesSection::openCategories(m_settings.programFolder);
    buildLater({QStringLiteral("Resources")}, [this, categories, names = categories.names()] {
        new ResourcesSection(*this, m_boxes.value(QStringLiteral("Resources")), categories, names);
    });
    setStatusMessage(QStringLiteral("Загрузка настроек завершена!"));

    // The plug-in catalogue download, when it is due.
    startPluginDownloadWhenDue();
    // A mail password from before leaves the profile once the window is up:
    // the Secret Service may take a moment to answer.
    QTimer::singleShot(0, this, [this] { ErrorHandler::guard([this] { carryMailPasswordOver(); }); });
    // The contacts meet the server once the window is up, then every Interval minutes.
    scheduleSync();
    Timer1->start(kMonitorInterval);
    hide();
    // The daily planner, built as its section is shown.
    showSection(Sections::kEveryDay);
    m_startupFinished = true;
}

// Settings, then the profile database: one unit of start-up.
void TForm1::runStageOfSettings()
{
    m_settings.version = Settings::kVersion;
    m_settings.userName = SystemInfo::userName();
    // A yes/no or number value that went missing is put back to its default,
    // so the profile still opens.
    Settings::load(m_registry, m_settings);
    setWindowTitle(QStringLiteral("Quillarbor ") + Settings::kVersion + QStringLiteral(" - ") +
                   m_settings.userName);
    Settings::syncAutorunAtStart(m_registry, m_settings.autorun, SystemInfo::executablePath());

    m_settings.documentsFolder = SystemInfo::documentsFolder(m_registry);
    if (!m_database.open(m_settings.documentsFolder, m_settings.programFolder)) {
        MessageBoxes::errorBox(ProfileDatabase::openFailureMessage());
        m_fatal = true;
        return;
    }
}

void TForm1::FormShow()
{
    QString error;
    if (!Theme->Init(&error))
        MessageBoxes::errorBox(QStringLiteral("Не удалось прочитать историю тем сообщений:\r\n%1\r\n%2")
                                   .arg(Theme->historyPath(), error));
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (const QScreen* display = screen())
            move(display->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        ErrorHandler::guard([this] { FormShow(); });
    }
}

void TForm1::buildLater(const QStringList& boxes, std::function<void()> build)
{
    const auto part = std::make_shared<LaterPart>(LaterPart{boxes, std::move(build)});
    for (const QString& box : boxes)
        m_later.insert(box, part);
}

void TForm1::buildNow(const QString& box) const
{
    const std::shared_ptr<LaterPart> part = m_later.value(box);
    if (!part)
        return;
    for (const QString& each : std::as_const(part->boxes))
        m_later.remove(each);
    part->build();
    // The colour scheme was put on the window before these controls existed.
    if (m_appearance)
        for (const QString& each : std::as_const(part->boxes))
            m_appearance->paintLateSection(m_boxes.value(each));
}

// The pages "Основные" and "Почта" with the settings held in memory, and the
// pages "Скины" and "Слайды".
void TForm1::buildSettingsSection()
{
    buildSettingsPages();
    addSettingsHelpButton();
    m_settingsSection = new SettingsSection(PageControl1, *this);
    m_appearance->buildPages(PageControl1);
    // The settings save takes the slide page's values and sets the show up again.
    m_settingsSection->readSlidePage = [this](Settings::Record& record) {
        m_appearance->readSlidePage(record);
    };
    m_settingsSection->setUpSlides = [this] { m_appearance->SlideSetUp(); };
    m_settingsSection->fill();
    buildSyncPage();
    buildBackupControls();
    wirePluginDownloads();
    // "Сменить пароль для банка паролей" belongs to the password bank.
    m_settingsSection->Button12->setEnabled(true);
    connect(m_settingsSection->Button12, &QPushButton::clicked, this,
            [this] { ErrorHandler::guard([this] { passwordBank()->Button12Click(); }); });
}

// The notes list in the stored view, day notes left out.
void TForm1::buildNotesSection()
{
    m_notes = new NotesSection(*this, m_boxes.value(QStringLiteral("Marks")));
    m_notes->selectView(m_settings.view);
    m_notes->setListViewStyle(m_settings.view);
    m_notes->fillList();
}

// The address book (section 10), its search (section 11), and the mail
// section's recipient list, both lists in the table's order.
void TForm1::buildContactSections()
{
    m_addressBook = new AddressBookSection(*this, m_boxes.value(QStringLiteral("GroupBox2")),
                                           m_boxes.value(QStringLiteral("GroupBox1")));
    m_search = new SearchSection(*this, m_boxes.value(QStringLiteral("GroupBox4")), *m_addressBook);
    connect(m_addressBook, &AddressBookSection::helpRequested, this, &TForm1::showHelpPage);
    connect(m_search, &SearchSection::helpRequested, this, &TForm1::showHelpPage);
    m_addressBook->fillLists();
}

SettingsSection* TForm1::settingsSection() const
{
    buildNow(QStringLiteral("Config"));
    return m_settingsSection;
}

Appearance* TForm1::appearance() const
{
    buildNow(QStringLiteral("Config"));
    return m_appearance;
}

NotesSection* TForm1::notesSection() const
{
    buildNow(QStringLiteral("Marks"));
    return m_notes;
}

AddressBookSection* TForm1::addressBook() const
{
    buildNow(QStringLiteral("GroupBox2"));
    return m_addressBook;
}

void TForm1::Timer1Timer()
{
    if (!m_firstTickDone) {
        m_firstTickDone = true;
        m_inputGate->open();
        if (m_settings.hideInTray)
            hideIntoTray();
    }
    // The due-item monitor: the earliest task and the earliest reminder.
    m_schedule->monitorTick();
}

QGroupBox* TForm1::sectionBox(const QString& objectName) const
{
    buildNow(objectName);
    return m_boxes.value(objectName);
}

void TForm1::showSection(int number)
{
    // Leaving the settings section saves what changed; a failed save keeps it shown.
    if (!m_boxes.value(QStringLiteral("Config"))->isHidden() && m_settingsSection &&
        !m_settingsSection->saveIfChanged()) {
        ErrorHandler::report();
        return;
    }
    for (QGroupBox* box : std::as_const(m_boxes))
        box->hide();
    m_currentSection = number;
    const Sections::Box* box = Sections::boxOf(number);
    if (!box)
        return;
    sectionBox(box->objectName)->show();
    runShowingStep(number);
}

// The sections' own steps, run each time a section is shown.
void TForm1::runShowingStep(int number)
{
    // --- daily planner and calendar ---
    if (number == Sections::kEveryDay)
        m_planner->build();
    else if (number == Sections::kCalendar)
        m_calendar->showToday();
    // --- end of daily planner and calendar ---
    else if (number == Sections::kPasswords)
        m_passwords->showSection();
    else if (number == Sections::kDiary)
        m_diary->showSection();
    else if (number == Sections::kSupportLetter)
        prepareSupportLetter();
    else if (number == Sections::kIdeas)
        m_ideas->showSection();
    else if (number == Sections::kSettings)
        pluginDownloads()->settingsShown();
    else if (const QString page = Addresses::browserPageOf(number, m_settings.programFolder); !page.isEmpty())
        m_browser->open(page);
}

void TForm1::TreeView1Change(QTreeWidgetItem* item)
{
    if (item)
        showSection(item->data(0, Qt::UserRole).toInt());
}

void TForm1::setStatusMessage(const QString& text)
{
    m_statusPanel->setText(text);
    // Seen at once, also while a long operation keeps the event loop busy.
    m_statusPanel->repaint();
}

QString TForm1::statusMessage() const
{
    return m_statusPanel->text();
}

void TForm1::markSettingsChanged()
{
    settingsSection()->markChanged();
}

bool TForm1::acceptsInput() const
{
    return m_inputGate->isOpen();
}

bool TForm1::settingsChanged() const
{
    return m_settingsSection && m_settingsSection->isChanged();
}

void TForm1::hideIntoTray()
{
    lockSecrets();
    // Without a notification area the window could never come back: minimise it instead.
    if (!TrayIcon::available()) {
        showMinimized();
        return;
    }
    m_tray->add();
    hide();
}

void TForm1::bringToFront()
{
    m_tray->leftClick();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

void TForm1::HideInTrayClick()
{
    m_tray->resetPicture();
    hideIntoTray();
}

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !(windowState() & Qt::WindowMinimized))
        return;
    lockSecrets();
    if (!TrayIcon::available())
        return;
    // Minimising hides the window into the tray instead.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    m_tray->add();
    QTimer::singleShot(0, this, &QWidget::hide);
}

void TForm1::prepareSecondary(SkinnedDialog& window)
{
    window.skin = true;
    window.Font1 = m_mainFont;
    // The active colours: while the window is still disabled at start-up its
    // current ones are the greyed-out ones.
    window.FoneColor = palette().color(QPalette::Active, QPalette::Window);
    window.Font1Color = palette().color(QPalette::Active, QPalette::WindowText);
}

void TForm1::AboutClick()
{
    TForm8 about(this);
    ModalWindows::exec(&about);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool closedCleanly = false;
    try {
        m_tray->resetPicture();
        hide();
        closedCleanly = !m_settingsSection || m_settingsSection->saveIfChanged();
    } catch (...) {
    }
    if (!closedCleanly)
        m_database.close();
    event->accept();
    emit programEnded();
}
