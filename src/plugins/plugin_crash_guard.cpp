#include "plugin_crash_guard.h"

#include "folder_tree.h"
#include "system_info.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString kRecordName = QStringLiteral("plugin-call");
const QString kListName = QStringLiteral("plugins-off");
constexpr qint64 kReadLimit = 1024 * 1024;

QByteArray readSmall(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(kReadLimit) : QByteArray();
}

} // namespace

PluginCrashGuard::PluginCrashGuard(QString folder) : m_folder(std::move(folder))
{
    const QString list = QString::fromUtf8(readSmall(listFile()));
    for (const QString& line : list.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!m_switchedOff.contains(line))
            m_switchedOff.append(line);
}

QString PluginCrashGuard::defaultFolder()
{
    return SystemInfo::userDataFolder();
}

QString PluginCrashGuard::recordFile() const
{
    return m_folder + QLatin1Char('/') + kRecordName;
}

QString PluginCrashGuard::listFile() const
{
    return m_folder + QLatin1Char('/') + kListName;
}

QString PluginCrashGuard::takeCrashRecord()
{
    if (!QFile::exists(recordFile()))
        return {};
    // Only the last line counts: a record is one path, and a write cut short
    // by the end of the program leaves at most a part of one.
    const QString path = QString::fromUtf8(readSmall(recordFile())).trimmed();
    // A library that is gone since needs no switching off.
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || !QFileInfo(path).isFile()) {
        QFile::remove(recordFile());
        return {};
    }
    // Switched off before the record goes: should this start end too, the
    // next one still knows.
    if (!isSwitchedOff(path) && !switchOff(path))
        return {};
    QFile::remove(recordFile());
    return path;
}

bool PluginCrashGuard::switchOff(const QString& path)
{
    if (isSwitchedOff(path))
        return true;
    if (!writeList(m_switchedOff + QStringList{path}))
        return false;
    m_switchedOff.append(path);
    return true;
}

bool PluginCrashGuard::switchOn(const QString& path)
{
    if (!isSwitchedOff(path))
        return true;
    QStringList rest = m_switchedOff;
    rest.removeAll(path);
    if (!writeList(rest))
        return false;
    m_switchedOff = rest;
    return true;
}

bool PluginCrashGuard::writeList(const QStringList& paths)
{
    if (paths.isEmpty())
        return !QFile::exists(listFile()) || QFile::remove(listFile());
    if (!FolderTree::makePrivate(m_folder))
        return false;
    QSaveFile file(listFile());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    for (const QString& path : paths)
        file.write(path.toUtf8() + '\n');
    return file.commit();
}

void PluginCrashGuard::enter(const QString& path)
{
    m_calls.append(path);
    writeRecord();
}

void PluginCrashGuard::leave()
{
    if (!m_calls.isEmpty())
        m_calls.removeLast();
    writeRecord();
}

void PluginCrashGuard::writeRecord()
{
    if (m_calls.isEmpty()) {
        QFile::remove(recordFile());
        return;
    }
    // No sync: the record must outlive the process, not the machine, and a
    // plain write is in the system's hands the moment it returns.
    if (!FolderTree::makePrivate(m_folder))
        return;
    QFile file(recordFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(m_calls.last().toUtf8());
}

PluginCrashGuard::Call::Call(PluginCrashGuard& guard, const QString& path) : m_guard(guard)
{
    m_guard.enter(path);
}

PluginCrashGuard::Call::~Call()
{
    m_guard.leave();
}
