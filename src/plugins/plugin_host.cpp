#include "plugin_host.h"

#include "message_boxes.h"
#include "plugin_record.h"
#include "system_info.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <type_traits>

namespace {

QString notAPlugin(const QString& name)
{
    return QStringLiteral("Произошла ошибка! Плагин ") + name +
           QStringLiteral(" не является плагином Quillarbor!");
}

QString loadFailed(const QString& name)
{
    return QStringLiteral("Произошла ошибка при загрузке плагина ") + name + QLatin1Char('!');
}

QString crashedMessage(const QString& path)
{
    return QStringLiteral("Прошлый запуск программы завершился аварийно во время работы плагина\r\n") + path +
           QStringLiteral("\r\nЭтот плагин отключён и больше не загружается. Включить его снова или удалить "
                          "файл можно в разделе «Плагины».");
}

QString switchedOffName(const QString& path)
{
    return QFileInfo(path).fileName() + QStringLiteral(" (отключён)");
}

QString fromHost(const char16_t* text)
{
    return text ? QString::fromUtf16(text) : QString();
}

void* hostGetApplication(TIPluginDemo*)
{
    return static_cast<void*>(qApp);
}

void hostPluginErrorMessage(TIPluginDemo*, const char16_t* mess)
{
    MessageBoxes::critical(QStringLiteral("Plugin Error"), fromHost(mess));
}

int32_t hostSetAction(TIPluginDemo* self, const char16_t* act)
{
    // A plug-in's call must never carry one of our exceptions back into it.
    try {
        // The face is the first member of the host object.
        if (self)
            return reinterpret_cast<PluginHost::HostObject*>(self)->owner->SetAction(fromHost(act));
    } catch (...) {
    }
    return 0;
}

const TIPluginDemoVtbl kOperations = {hostGetApplication, hostPluginErrorMessage, hostSetAction};

template <typename Entry> Entry entry(QLibrary& library, const char* name)
{
    return library.isLoaded() ? reinterpret_cast<Entry>(library.resolve(name)) : nullptr;
}

} // namespace

static_assert(std::is_standard_layout_v<PluginHost::HostObject>);

PluginHost::PluginHost(QString makerSite, QString stateFolder)
    : m_guard(std::move(stateFolder)), m_makerSite(std::move(makerSite))
{
}

PluginHost::~PluginHost() = default;

QString PluginHost::userFolder()
{
    return SystemInfo::userDataFolder() + QStringLiteral("/Plugins");
}

QStringList PluginHost::scanFolders(const QString& programFolder)
{
    return {programFolder + QStringLiteral("Plugins"), userFolder()};
}

QStringList PluginHost::libraryFiles(const QString& folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString& file :
         dir.entryList({QStringLiteral("*.dll"), QStringLiteral("*.so")}, QDir::Files, QDir::Name))
        paths.append(dir.filePath(file));
    return paths;
}

PluginHost::HostObject* PluginHost::createHostObject()
{
    auto object = std::make_unique<HostObject>(HostObject{{&kOperations}, this});
    m_current = object.get();
    m_il.push_back(std::move(object));
    return m_current;
}

void PluginHost::scan(const QStringList& folders)
{
    m_paths.clear();
    m_names.clear();
    m_crashedAtLastRun = m_guard.takeCrashRecord();
    if (!m_crashedAtLastRun.isEmpty())
        MessageBoxes::warning(QStringLiteral("Плагин отключён"), crashedMessage(m_crashedAtLastRun));
    for (const QString& folder : folders)
        for (const QString& path : libraryFiles(folder)) {
            if (m_guard.isSwitchedOff(path)) {
                m_paths.append(path);
                m_names.append(switchedOffName(path));
                continue;
            }
            const PluginCrashGuard::Call call(m_guard, path);
            scanFile(path);
        }
}

bool PluginHost::isSwitchedOff(int index) const
{
    return index >= 0 && index < m_paths.size() && m_guard.isSwitchedOff(m_paths.at(index));
}

bool PluginHost::switchOn(int index)
{
    if (!isSwitchedOff(index))
        return false;
    return m_guard.switchOn(m_paths.at(index));
}

void PluginHost::scanFile(const QString& path)
{
    const QString fileName = QFileInfo(path).fileName();
    try {
        // Not unloaded by the object going away: a library is released only
        // where that is said below.
        QLibrary library(path);
        library.load();
        const auto getPluginInfo = entry<TGetPluginInfo>(library, "GetPluginInfo");
        if (!getPluginInfo) {
            library.unload();
            m_paths.append(path);
            m_names.append(path);
            return;
        }
        try {
            createHostObject();
            TPluginInfo info;
            memset(&info, 0, sizeof info);
            getPluginInfo(&info);
            const QString name = PluginRecord::text(info.Name);
            m_paths.append(path);
            // A plug-in that leaves its name unset is listed by its file.
            m_names.append(name.isEmpty() ? fileName : name);
        } catch (...) {
            MessageBoxes::errorBox(notAPlugin(fileName));
        }
        const auto getCanAutoRun = entry<TGetCanAutoRun>(library, "GetCanAutoRun");
        if (!getCanAutoRun)
            return;
        if (getCanAutoRun() != 1) {
            library.unload();
            return;
        }
        m_autoRunEntry = entry<TAutoRun>(library, "AutoRun");
        m_autoRunPath = path;
        if (!m_autoRunEntry) {
            library.unload();
            return;
        }
        HostObject* host = createHostObject();
        m_runningAutoRun = true;
        try {
            m_autoRunEntry(&host->face);
        } catch (...) {
            m_runningAutoRun = false;
            throw;
        }
        m_runningAutoRun = false;
    } catch (...) {
        MessageBoxes::errorBox(loadFailed(fileName));
    }
}

std::optional<QStringList> PluginHost::describe(int index)
{
    if (index < 0 || index >= m_paths.size())
        return std::nullopt;
    const QString path = m_paths.at(index);
    if (m_guard.isSwitchedOff(path))
        return QStringList{switchedOffName(path),
                           QStringLiteral("Плагин отключён: во время его работы программа завершилась "
                                          "аварийно, поэтому он не загружается. Кнопка «Включить» "
                                          "включит его при следующем запуске программы, «Удалить» удалит "
                                          "его файл.")};
    TPluginInfo info = PluginRecord::defaults(m_makerSite);
    const PluginCrashGuard::Call call(m_guard, path);
    try {
        QLibrary library(path);
        library.load();
        const auto getPluginInfo = entry<TGetPluginInfo>(library, "GetPluginInfo");
        if (getPluginInfo) {
            // The host object that would be handed over is made as at the scan.
            createHostObject();
            try {
                getPluginInfo(&info);
            } catch (...) {
                MessageBoxes::errorBox(notAPlugin(path));
                library.unload();
                return std::nullopt;
            }
        }
        library.unload();
    } catch (...) {
        MessageBoxes::errorBox(loadFailed(path));
        return std::nullopt;
    }
    return QStringList{PluginRecord::heading(info), PluginRecord::text(info.Description)};
}

void PluginHost::run(int index)
{
    if (index < 0 || index >= m_paths.size() || isSwitchedOff(index))
        return;
    const PluginCrashGuard::Call call(m_guard, m_paths.at(index));
    try {
        QLibrary library(m_paths.at(index));
        library.load();
        const auto initPlugin = entry<TInitPlugin>(library, "InitPlugin");
        if (!initPlugin) {
            library.unload();
            return;
        }
        // This host object lives only for the call; the one made before it
        // becomes the current one again, so SetAction never hands out a
        // released object.
        HostObject* previous = m_current;
        auto host = std::make_unique<HostObject>(HostObject{{&kOperations}, this});
        m_current = host.get();
        try {
            initPlugin(&host->face);
        } catch (...) {
        }
        m_current = previous;
    } catch (...) {
    }
}

bool PluginHost::remove(int index)
{
    if (index < 0 || index >= m_paths.size())
        return false;
    if (!QFile::remove(m_paths.at(index)))
        return false;
    m_guard.switchOn(m_paths.at(index));
    m_paths.removeAt(index);
    m_names.removeAt(index);
    return true;
}

int32_t PluginHost::SetAction(const QString& act)
{
    if (act != QLatin1String("UPDATE") || !m_autoRunEntry || !m_current)
        return 0;
    // An AutoRun that asks for itself again would never end.
    if (m_runningAutoRun)
        return 0;
    m_runningAutoRun = true;
    {
        const PluginCrashGuard::Call call(m_guard, m_autoRunPath);
        try {
            m_autoRunEntry(&m_current->face);
        } catch (...) {
        }
    }
    m_runningAutoRun = false;
    return 0;
}
