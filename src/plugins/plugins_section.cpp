#include "plugins_section.h"

#include "error_handler.h"
#include "message_boxes.h"
#include "plugin_host.h"
#include "section_host.h"
#include "shell.h"
#include "system_info.h"

#include "section_buttons.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using SectionButtons::button;
using SectionButtons::onClick;

} // namespace

PluginsSection::PluginsSection(SectionHost& host, QGroupBox* box, PluginHost& plugins)
    : QObject(box), m_host(host), m_plugins(plugins)
{
    ListBox6 = new QListWidget(box);
    ListBox6->setObjectName(QStringLiteral("ListBox6"));
    ListBox6->setGeometry(16, 32, 300, 514);
    QFont listFont(QStringLiteral("Century Gothic"));
    listFont.setPixelSize(15);
    ListBox6->setFont(listFont);
    ListBox6->setUniformItemSizes(true);
    ListBox6->setAccessibleName(QStringLiteral("Плагины"));
    for (int row = 0; row < m_plugins.names().size(); ++row) {
        auto* item = new QListWidgetItem(m_plugins.names().at(row), ListBox6);
        item->setSizeHint(QSize(0, 20));
        if (m_plugins.isSwitchedOff(row))
            item->setForeground(ListBox6->palette().brush(QPalette::Disabled, QPalette::Text));
    }

    Memo2 = new QPlainTextEdit(box);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->setGeometry(328, 32, 345, 400);
    Memo2->setReadOnly(true);
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setTabChangesFocus(true);
    Memo2->setAccessibleName(QStringLiteral("Описание плагина"));

    BitBtn24 = button(box, "BitBtn24", QStringLiteral("Запуск"), {328, 444, 110, 34});
    BitBtn26 = button(box, "BitBtn26", QStringLiteral("Удалить"), {446, 444, 110, 34});
    BitBtn36 = button(box, "BitBtn36", QStringLiteral("Обновить"), {564, 444, 109, 34});
    SwitchOnButton = button(box, "SwitchOnButton", QStringLiteral("Включить"), {328, 486, 110, 34});
    SwitchOnButton->setToolTip(QStringLiteral("Включить отключённый плагин при следующем запуске"));
    SwitchOnButton->setEnabled(false);
    Button6 = button(box, "Button6", QStringLiteral("?"), {637, 512, 36, 34});
    Button6->setToolTip(QStringLiteral("Справка"));
    Button6->setAccessibleName(QStringLiteral("Справка"));

    // A click, or moving through the list with the keys, shows the description.
    connect(ListBox6, &QListWidget::currentRowChanged, this, [this](int row) {
        showEntryState(row);
        if (row >= 0)
            ErrorHandler::guard([this] { ListBox6Click(); });
    });
    onClick(BitBtn24, this, &PluginsSection::BitBtn24Click);
    onClick(BitBtn26, this, &PluginsSection::BitBtn26Click);
    onClick(BitBtn36, this, &PluginsSection::BitBtn36Click);
    onClick(SwitchOnButton, this, &PluginsSection::SwitchOnClick);
    connect(Button6, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpPage); });
}

void PluginsSection::ListBox6Click()
{
    Memo2->clear();
    if (const auto lines = m_plugins.describe(ListBox6->currentRow()))
        for (const QString& line : *lines)
            Memo2->appendPlainText(line);
}

void PluginsSection::BitBtn24Click()
{
    m_plugins.run(ListBox6->currentRow());
}

void PluginsSection::BitBtn26Click()
{
    const int row = ListBox6->currentRow();
    if (row < 0 || !m_plugins.remove(row)) {
        MessageBoxes::errorBox(QStringLiteral("Невозможно удалить плагин!"));
        return;
    }
    {
        // The removal itself is no selection of another entry.
        const QSignalBlocker quiet(ListBox6);
        delete ListBox6->takeItem(row);
        ListBox6->setCurrentRow(-1);
    }
    Memo2->clear();
    showEntryState(-1);
    m_host.setStatusMessage(QStringLiteral("Плагин удалён!"));
}

void PluginsSection::SwitchOnClick()
{
    const int row = ListBox6->currentRow();
    if (!m_plugins.isSwitchedOff(row))
        return;
    if (!m_plugins.switchOn(row)) {
        MessageBoxes::errorBox(QStringLiteral("Не удалось включить плагин: список отключённых плагинов не "
                                              "записывается."));
        return;
    }
    SwitchOnButton->setEnabled(false);
    MessageBoxes::information(QStringLiteral("Плагин включён"),
                              QStringLiteral("Плагин будет загружен при следующем запуске программы. "
                                             "Чтобы перезапустить её сейчас, нажмите «Обновить»."));
}

void PluginsSection::showEntryState(int row)
{
    SwitchOnButton->setEnabled(m_plugins.isSwitchedOff(row));
}

void PluginsSection::BitBtn36Click()
{
    MessageBoxes::warning(QStringLiteral("Внимание"),
                          QStringLiteral("Сейчас произойдет перезапуск программы"));
    // The new copy must find the one-copy name free, or it would hand over
    // to this one and end with it.
    emit restarting();
    Shell::open(SystemInfo::executablePath());
    emit restartRequested();
}
