// Building the main window's controls: menus, tree, section boxes, status bar.
#include "main_window.h"

#include "addresses.h"
#include "error_handler.h"
#include "input_gate.h"
#include "kettle_timers.h"
#include "menu_shortcuts.h"
#include "message_boxes.h"
#include "schedule.h"
#include "sections.h"
#include "shell.h"
#include "tray_icon.h"
#include "wrapping_tree_delegate.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int kClientWidth = 875;
constexpr int kClientHeight = 636;
constexpr int kMenuHeight = 23;

QIcon menuIcon(const char* name)
{
    return QIcon(QStringLiteral(":/icons/menu/%1.png").arg(QLatin1String(name)));
}

// Every size a window manager, task bar or tray may ask for; each file is
// decoded as the icon is made, so none is larger than it needs to be.
QIcon applicationIcon()
{
    QIcon icon;
    for (const int side : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/app_%1.png").arg(side), QSize(side, side));
    return icon;
}

QFont fontOf(const QStringList& families, int pixels, bool bold = false)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

void TForm1::buildWindow()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(applicationIcon());
    setFixedSize(kClientWidth, kClientHeight);
    setFont(fontOf(
        {QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"), QStringLiteral("DejaVu Sans")}, 14));

    QPalette cream = palette();
    cream.setColor(QPalette::Window, QColor(255, 251, 240));
    setPalette(cream);
    setAutoFillBackground(true);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(central);

    buildMenus();
    buildQuickLaunchMenu();
    buildTree();

    Image1 = new QLabel(central);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 432 - kMenuHeight, 161, 161);
    Image1->setScaledContents(true);
    Image1->setFrameShape(QFrame::StyledPanel);

    buildSectionBoxes();

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setFixedHeight(28);
    status->setSizeGripEnabled(false);
    auto* firstPanel = new QLabel(status);
    firstPanel->setFixedWidth(50);
    m_statusPanel = new QLabel(status);
    m_statusPanel->setObjectName(QStringLiteral("StatusMessage"));
    status->addWidget(firstPanel);
    status->addWidget(m_statusPanel, 1);
    setStatusBar(status);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, [this] { ErrorHandler::guard([this] { Timer1Timer(); }); });

    // The window takes no input until the monitor's first tick, but keeps its
    // look: a disabled window would show every control greyed out.
    m_inputGate = new InputGate(this);
}

void TForm1::buildMenus()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    ActionMainMenuBar1->setFont(fontOf({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")}, 12));
    ActionMainMenuBar1->setFixedHeight(kMenuHeight);
    setMenuBar(ActionMainMenuBar1);

    const auto add = [this](QMenu* menu, const QString& text, const char* icon, const QKeySequence& keys,
                            const char* name, auto handler) {
        QAction* action = menu->addAction(menuIcon(icon), text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, handler] { ErrorHandler::guard([this, handler] { (this->*handler)(); }); });
        return action;
    };

    // Every shortcut of the menu works whatever box has the focus.
    new MenuShortcutsFirst(this);

    QMenu* profile = ActionMainMenuBar1->addMenu(QStringLiteral("Профиль"));
    profile->setObjectName(QStringLiteral("ProfileMenu"));
    QAction* deleteProfile = profile->addAction(menuIcon("delete_profile"), QStringLiteral("Удалить"));
    deleteProfile->setObjectName(QStringLiteral("DeleteProfileAction"));
    connect(deleteProfile, &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { DeleteProfileClick(); }); });
    QAction* toTray = profile->addAction(menuIcon("tray"), QStringLiteral("Свернуться в трею"));
    toTray->setObjectName(QStringLiteral("HideInTrayAction"));
    toTray->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
    connect(toTray, &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { HideInTrayClick(); }); });
    profile->addSeparator();
    QAction* exitAction = profile->addAction(menuIcon("exit"), QStringLiteral("Выход"));
    exitAction->setObjectName(QStringLiteral("ExitAction"));
    exitAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = ActionMainMenuBar1->addMenu(QStringLiteral("Правка"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    add(edit, QStringLiteral("Вырезать"), "cut", QKeySequence(QStringLiteral("Ctrl+X")), "CutAction",
        &TForm1::CutClick);
    add(edit, QStringLiteral("Копировать"), "copy", QKeySequence(QStringLiteral("Ctrl+C")), "CopyAction",
        &TForm1::CopyClick);
    add(edit, QStringLiteral("Вставить"), "paste", QKeySequence(QStringLiteral("Ctrl+V")), "PasteAction",
        &TForm1::PasteClick);

    QMenu* insert = ActionMainMenuBar1->addMenu(QStringLiteral("Вставка"));
    insert->setObjectName(QStringLiteral("InsertMenu"));
    add(insert, QStringLiteral("Дата"), "date", QKeySequence(QStringLiteral("Ctrl+D")), "InsertDateAction",
        &TForm1::InsertDateClick);
    add(insert, QStringLiteral("Время"), "time", QKeySequence(QStringLiteral("Ctrl+T")), "InsertTimeAction",
        &TForm1::InsertTimeClick);
    add(insert, QStringLiteral("Текст из файла..."), "textfile", QKeySequence(QStringLiteral("Ctrl+F")),
        "InsertFileAction", &TForm1::InsertFileClick);

    QMenu* help = ActionMainMenuBar1->addMenu(QStringLiteral("Справка"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction* topic = help->addAction(menuIcon("help_topic"), QStringLiteral("Соответствующий раздел"));
    topic->setObjectName(QStringLiteral("HelpTopicAction"));
    topic->setShortcut(QKeySequence(QStringLiteral("F1")));
    connect(topic, &QAction::triggered, this, [this] { ErrorHandler::guard([this] { HelpTopicClick(); }); });
    QAction* contents = help->addAction(menuIcon("help_contents"), QStringLiteral("Показать огравление"));
    contents->setObjectName(QStringLiteral("HelpContentsAction"));
    contents->setShortcut(QKeySequence(QStringLiteral("Ctrl+F1")));
    connect(contents, &QAction::triggered, this, [this] { showSection(Sections::kHelp); });
    add(help, QStringLiteral("О программе..."), "about", QKeySequence(), "AboutAction", &TForm1::AboutClick);
}

void TForm1::buildQuickLaunchMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* show = PopupMenu1->addAction(QStringLiteral("По&казать"));
    show->setObjectName(QStringLiteral("ShowAction"));
    connect(show, &QAction::triggered, this, [this] { m_tray->leftClick(); });

    QMenu* run = PopupMenu1->addMenu(QStringLiteral("В&ыполнить"));
    const auto tool = [this, run](const QString& caption, const QStringList& candidates) {
        QAction* action = run->addAction(caption);
        connect(action, &QAction::triggered, this,
                [this, caption, candidates] { launchTool(caption, candidates); });
    };
    tool(QStringLiteral("Командная строка"),
         {QStringLiteral("x-terminal-emulator"), QStringLiteral("gnome-terminal"), QStringLiteral("konsole"),
          QStringLiteral("xfce4-terminal"), QStringLiteral("xterm")});
    tool(QStringLiteral("Редактор реестра"), {QStringLiteral("dconf-editor")});
    tool(QStringLiteral("Paint"), {QStringLiteral("kolourpaint"), QStringLiteral("pinta"),
                                   QStringLiteral("mtpaint"), QStringLiteral("gimp")});
    tool(QStringLiteral("WordPad"),
         {QStringLiteral("lowriter"), QStringLiteral("abiword"), QStringLiteral("libreoffice")});
    tool(QStringLiteral("Калькулятор"),
         {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
          QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")});
    tool(QStringLiteral("Блокнот"),
         {QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kate"),
          QStringLiteral("mousepad"), QStringLiteral("pluma"), QStringLiteral("xed"),
          QStringLiteral("featherpad"), QStringLiteral("leafpad")});

    QMenu* go = PopupMenu1->addMenu(QStringLiteral("&Быстрый переход"));
    connect(go->addAction(QStringLiteral("&Мои документы")), &QAction::triggered, this,
            [this] { Shell::open(m_settings.documentsFolder); });
    connect(go->addAction(QStringLiteral("&Google")), &QAction::triggered, this,
            [] { Shell::open(Addresses::kSearchEngine); });
    connect(go->addAction(QStringLiteral("&Новости")), &QAction::triggered, this,
            [] { Shell::open(Addresses::kNews); });
    connect(go->addAction(QStringLiteral("Погода")), &QAction::triggered, this,
            [] { Shell::open(Addresses::kWeather); });

    QAction* countdown = PopupMenu1->addAction(QStringLiteral("Таймер..."));
    countdown->setObjectName(QStringLiteral("N103"));
    connect(countdown, &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { m_schedule->timers()->N103Click(); }); });
    QAction* kettle = PopupMenu1->addAction(QStringLiteral("Поставить чайник..."));
    kettle->setObjectName(QStringLiteral("N100"));
    connect(kettle, &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { m_schedule->timers()->N100Click(); }); });
    connect(PopupMenu1->addAction(QStringLiteral("О &программе...")), &QAction::triggered, this,
            [this] { ErrorHandler::guard([this] { AboutClick(); }); });
    connect(PopupMenu1->addAction(QStringLiteral("&Выход")), &QAction::triggered, this, &QWidget::close);
}

void TForm1::launchTool(const QString& caption, const QStringList& candidates)
{
    const QString program = Shell::firstInstalled(candidates);
    if (program.isEmpty()) {
        MessageBoxes::errorBox(
            QStringLiteral("Для пункта «%1» на этом компьютере не найдено подходящей программы. "
                           "Установите, например, %2.")
                .arg(caption, candidates.first()));
        return;
    }
    Shell::open(program);
}

void TForm1::buildTree()
{
    TreeView1 = new QTreeWidget(centralWidget());
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setGeometry(0, 24 - kMenuHeight, 169, 401);
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(14);
    TreeView1->setIconSize(QSize(14, 14));
    // The narrow tree shows every caption whole: a long one wraps onto a
    // second line instead of being cut short.
    TreeView1->setWordWrap(true);
    TreeView1->setTextElideMode(Qt::ElideNone);
    TreeView1->setUniformRowHeights(false);
    TreeView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TreeView1->setItemDelegate(new WrappingTreeDelegate(TreeView1));
    TreeView1->setFont(fontOf({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")}, 12));
    const auto makeItem = [](const Sections::Node& node) {
        auto* item = new QTreeWidgetItem({node.caption});
        item->setToolTip(0, node.caption);
        item->setData(0, Qt::UserRole, node.section);
        item->setIcon(0, QIcon(QStringLiteral(":/icons/nodes/%1.png").arg(node.icon)));
        return item;
    };
    for (const Sections::Node& node : Sections::tree()) {
        QTreeWidgetItem* item = makeItem(node);
        for (const Sections::Node& child : node.children)
            item->addChild(makeItem(child));
        TreeView1->addTopLevelItem(item);
    }
    TreeView1->expandAll();
    connect(TreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ErrorHandler::guard([this, item] { TreeView1Change(item); }); });
}

void TForm1::buildSectionBoxes()
{
    for (const Sections::Box& def : Sections::boxes()) {
        auto* box = new QGroupBox(def.caption, centralWidget());
        box->setObjectName(def.objectName);
        box->setGeometry(176, 32 - kMenuHeight, 689, 561);
        box->setVisible(def.objectName == QLatin1String("EveryDay"));
        m_boxes.insert(def.objectName, box);
    }
}

void TForm1::buildSettingsPages()
{
    QGroupBox* config = m_boxes.value(QStringLiteral("Config"));
    PageControl1 = new QTabWidget(config);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(8, 24, 673, 529);
    const QStringList captions = {QStringLiteral("Основные"), QStringLiteral("Почта"), QStringLiteral("Скины"),
                                  QStringLiteral("Слайды"), QStringLiteral("Синхронизация")};
    for (int i = 0; i < captions.size(); ++i) {
        auto* page = new QWidget(PageControl1);
        page->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        PageControl1->addTab(page, captions[i]);
    }
}

QWidget* TForm1::settingsPage(int index) const
{
    buildNow(QStringLiteral("Config"));
    return PageControl1->widget(index);
}
