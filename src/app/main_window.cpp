#include "main_window.h"

#include "about_window.h"
#include "appearance.h"
#include "error_handler.h"
#include "message_boxes.h"
#include "modal_windows.h"
#include "registry_store.h"
#include "sections.h"
#include "skinned_dialog.h"
#include "system_info.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

namespace {
constexpr int kMonitorInterval = 3000;
}

TForm1::TForm1(RegistryStore& registry, QWidget* parent) : QMainWindow(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("TForm1"));
    buildWindow();
    MessageBoxes::setOwner(this);
    ErrorHandler::guard([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    MessageBoxes::setOwner(nullptr);
}

void TForm1::FormCreate()
{
    m_settings.programFolder = SystemInfo::programFolder();
    m_mainFont = sectionBox(QStringLiteral("GroupBox1"))->font();
    // Colour schemes and the slide show; applying a scheme changes the main font.
    m_appearance = new Appearance(*this, this, PageControl1, Image1);
    connect(m_appearance, &Appearance::mainFontChanged, this, &TForm1::setMainFont);

    runStageOfSettings();
    if (m_fatal)
        return;

    // Step 6: set up the slide show.
    m_appearance->SlideSetUp();

    // Step 11: apply the colour scheme named by Skin; a failure is ignored.
    m_appearance->applyStoredScheme();

    setStatusMessage(QStringLiteral("Загрузка настроек завершена!"));

    Timer1->start(kMonitorInterval);
    hide();
    showSection(Sections::kEveryDay);
    m_startupFinished = true;
}

// Settings, then the profile database: one unit of start-up.
void TForm1::runStageOfSettings()
{
    m_settings.version = Settings::kVersion;
    m_settings.userName = SystemInfo::userName();
    Settings::load(m_registry, m_settings);
    setWindowTitle(QStringLiteral("Quillarbor ") + Settings::kVersion + QStringLiteral(" - ") + m_settings.userName);

    m_settings.documentsFolder = SystemInfo::documentsFolder(m_registry);
    if (!m_database.open(m_settings.documentsFolder, m_settings.programFolder)) {
        MessageBoxes::errorBox(ProfileDatabase::openFailureMessage());
        m_fatal = true;
    }
}

void TForm1::FormShow()
{
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

void TForm1::Timer1Timer()
{
    if (!m_firstTickDone) {
        m_firstTickDone = true;
        setEnabled(true);
    }
}

QGroupBox* TForm1::sectionBox(const QString& objectName) const
{
    return m_boxes.value(objectName);
}

void TForm1::showSection(int number)
{
    for (QGroupBox* box : std::as_const(m_boxes))
        box->hide();
    m_currentSection = number;
    const Sections::Box* box = Sections::boxOf(number);
    if (!box)
        return;
    m_boxes.value(box->objectName)->show();
}

void TForm1::TreeView1Change(QTreeWidgetItem* item)
{
    if (item)
        showSection(item->data(0, Qt::UserRole).toInt());
}

void TForm1::setStatusMessage(const QString& text)
{
    m_statusPanel->setText(text);
}

QString TForm1::statusMessage() const
{
    return m_statusPanel->text();
}

void TForm1::markSettingsChanged()
{
    m_settingsChanged = true;
}

void TForm1::prepareSecondary(SkinnedDialog& window)
{
    window.skin = true;
    window.Font1 = m_mainFont;
    window.FoneColor = palette().color(QPalette::Window);
    window.Font1Color = palette().color(QPalette::WindowText);
}

void TForm1::AboutClick()
{
    TForm8 about(this);
    ModalWindows::exec(&about);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    try {
        hide();
    } catch (...) {
        m_database.close();
    }
    event->accept();
    emit programEnded();
}
