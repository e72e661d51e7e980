#include "system_info.h"

#include "registry_store.h"
#include "settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <pwd.h>
#include <unistd.h>

namespace {
QString& programFolderOverride()
{
    static QString folder;
    return folder;
}
QString& userNameOverride()
{
    static QString name;
    return name;
}
} // namespace

namespace SystemInfo {

QString programFolder()
{
    QString folder = programFolderOverride();
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void setProgramFolder(const QString& folder)
{
    programFolderOverride() = folder;
}

QString userName()
{
    if (!userNameOverride().isEmpty())
        return userNameOverride();
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

void setUserName(const QString& name)
{
    userNameOverride() = name;
}

QString documentsFolder(const RegistryStore& store)
{
    QString folder =
        store.readString(Settings::kShellFoldersKey, QStringLiteral("personal")).value_or(QString());
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/Documents");
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString userDataFolder()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Quillarbor");
}

QString executablePath()
{
    return QCoreApplication::applicationFilePath();
}

} // namespace SystemInfo
