// Plug-ins in the main window: the scan at start-up, the section "Плагины",
// and the catalogue download of the settings page.
#include "main_window.h"

#include "build_addresses.h"
#include "plugin_downloads.h"
#include "plugin_host.h"
#include "plugins_section.h"
#include "settings_section.h"

// Where the description of a plug-in made for another version sends the user.
static QString pluginsAddress()
{
    const QString page = BuildAddresses::pluginPage();
    return page.isEmpty() ? BuildAddresses::site() : page;
}

void TForm1::scanPlugins()
{
    m_pluginHost = new PluginHost(pluginsAddress());
    m_pluginHost->scan(PluginHost::scanFolders(m_settings.programFolder));
}

void TForm1::buildPluginsSection()
{
    m_pluginsSection = new PluginsSection(*this, m_boxes.value(QStringLiteral("GroupBox7")), *pluginHost());
    connect(m_pluginsSection, &PluginsSection::helpRequested, this, &TForm1::showHelpPage);
    connect(m_pluginsSection, &PluginsSection::restarting, this, &TForm1::restarting);
    // The new copy is on its way: this one ends as on Exit.
    connect(m_pluginsSection, &PluginsSection::restartRequested, this, &QWidget::close, Qt::QueuedConnection);
}

PluginHost* TForm1::pluginHost() const
{
    // A window whose start-up stopped early lists nothing.
    if (!m_pluginHost)
        m_pluginHost = new PluginHost(pluginsAddress());
    return m_pluginHost;
}

PluginsSection* TForm1::pluginsSection() const
{
    buildNow(QStringLiteral("GroupBox7"));
    return m_pluginsSection;
}

PluginDownloads* TForm1::pluginDownloads() const
{
    if (!m_pluginDownloads)
        m_pluginDownloads = new PluginDownloads(const_cast<TForm1&>(*this), PluginHost::userFolder(),
                                                const_cast<TForm1*>(this));
    return m_pluginDownloads;
}

void TForm1::startPluginDownloadWhenDue()
{
    pluginDownloads()->decideAtStartUp();
}

void TForm1::wirePluginDownloads()
{
    pluginDownloads()->bindControls(m_settingsSection->Button10, m_settingsSection->ProgressBar1);
}

void TForm1::stopPlugins()
{
    // The thread is stopped while the settings it writes still exist.
    delete m_pluginDownloads;
    m_pluginDownloads = nullptr;
    delete m_pluginHost;
    m_pluginHost = nullptr;
}
